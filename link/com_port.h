// CComPort: the serial port, opened with the controller's line settings.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

// One open serial port with synchronous, all-or-nothing reads and writes.
//
// Line settings of every open: raw, 8 data bits, no parity, 1 stop bit, no
// hardware or software flow control, receiver on, modem lines ignored, DTR
// and RTS inactive where the device has them. The port is used exclusively:
// a second opener of the same device, in this process or another, fails.
//
// Read rule for a time-out T: a read of n bytes succeeds only when all n
// bytes arrive within n + T ms of its start and no gap between two bytes
// exceeds T ms. A hang-up or a vanished device fails a read at once on
// POSIX; on Windows such a read fails when its time-out runs out, or at once
// when the driver already knows the device is gone. Either way HungUp()
// then tells it from a silent line.
//
// Close puts back the line settings the device had before Open.
//
// Every operation on a closed port fails at once without touching the
// system, except Close, which is then simply true.
class CComPort {
public:
    CComPort();
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;
    CComPort(CComPort&& other) noexcept;
    CComPort& operator=(CComPort&& other) noexcept;

    // Opens and configures the device that ResolvePortName gives for the
    // name. False, with the port
    // closed, when any step fails; false with no change when already open.
    bool Open(const char* portName, std::uint32_t baudRate, std::uint32_t timeoutMs);

    // Takes over a descriptor that is already open and set up, for instance
    // one end of a socket pair standing in for the line; no line settings,
    // no locking. False, leaving fd to the caller, when the port is open or
    // fd is negative; otherwise the port owns fd (and has closed it if
    // making it non-blocking failed).
#ifndef _WIN32
    bool Attach(int fd, std::uint32_t timeoutMs);
#endif

    bool SetTimeouts(std::uint32_t timeoutMs);
    // Discards unread input and unsent output.
    bool Purge();
    // Sends every byte; there is no write time-out.
    bool Write(std::span<const std::uint8_t> bytes);
    // Fills `into` completely under the read rule, or fails. After a failure
    // the bytes that did arrive are in `into`, but count for nothing.
    bool Read(std::span<std::uint8_t> into);
    bool Close();
    bool IsOpen() const;

    // Whether an operation since the open found the line hung up: the
    // device went away (an adapter pulled out, the far end of a
    // pseudo-terminal closed). The port stays open until Close.
    bool HungUp() const { return m_hungUp; }
    // Looks, without reading or waiting, whether the line has hung up; the
    // result is HungUp() afterwards.
    bool CheckHangUp();

    // errno of the last failed Open (EBUSY when another user holds the
    // device; on Windows the errno that stands for the system's error), 0
    // after a successful one.
    int LastOpenError() const;
    // The read time-out in force; 0 while closed.
    std::uint32_t TimeoutMs() const;

private:
    bool Configure(std::uint32_t baudRate);
    bool FailOpen(int error);
    // Notes a failure of the system call that set `error` (errno, or the
    // system's error code on Windows) when it means the device is gone;
    // false always, for the failing operation to return.
    bool NoteFailure(int error);

#ifdef _WIN32
    // The port's HANDLE; INVALID_HANDLE_VALUE (all bits set) while closed.
    static constexpr std::intptr_t CLOSED = -1;

    std::intptr_t m_handle = CLOSED;
#else
    static constexpr int CLOSED = -1;

    int m_fd = CLOSED;
    bool m_exclusive = false; // we set TIOCEXCL and must clear it on close
#endif
    std::uint32_t m_timeoutMs = 0;
    int m_lastOpenError = 0;
    bool m_hungUp = false;
#ifndef _WIN32
    // The line settings found at open, put back at close: the device may be
    // a terminal someone else uses after us.
    struct SavedSettings;
    void RestoreSettings();
    std::unique_ptr<SavedSettings> m_saved;
#endif
};
