// CControllerLink: the master side of the link, reading and writing file records.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/com_port.h"
#include "link/link_frame.h"
#include "link/link_observer.h"

// The master side of the controller link: owns the serial port and runs the
// two transactions, read file record and write file record, one request and
// one reply each, with no retries. The link remembers nothing between
// transactions except the port and its read time-out.
class CControllerLink {
public:
    // Time-out and baud rate of a port picked by the user.
    static constexpr std::uint32_t REOPEN_BAUD_RATE = 38400;
    static constexpr std::uint32_t REOPEN_TIMEOUT_MS = 50;
    // A controller may take its time to store what it was sent; once a write
    // has run, every later reply gets this long, until the next Reopen.
    static constexpr std::uint32_t WRITE_TIMEOUT_MS = 4000;

    // Opens the port at once; a failure just leaves it closed.
    CControllerLink(std::uint16_t baudRate, const char* portName, std::uint16_t timeoutMs);
    // Runs the link over a port that is already open (or closed).
    explicit CControllerLink(CComPort port);

    // Closes the port and opens `portName` at 38400 baud with a 50 ms
    // time-out; the result is whether the port is now open.
    bool Reopen(const char* portName);
    bool IsOpen() const;
    int LastOpenError() const;
    std::uint32_t TimeoutMs() const;

    // Asks for `length` (frames or bytes, as the file has it) of `file` from
    // `record`. On success the reply's data, cut to dest.size(), are in
    // `dest` and *received holds how many the reply carried; on failure
    // neither is touched.
    bool ReadRecord(std::uint8_t unit, std::uint16_t file, std::uint16_t record,
                    std::uint16_t length, std::span<std::uint8_t> dest,
                    std::size_t* received = nullptr);

    // Sends `data` to `file` at `record`; true when a good reply came back,
    // whatever it carried. More than LinkFrame::MAX_WRITE_DATA bytes would
    // not fit a frame: nothing is sent and the result is false.
    bool WriteRecord(std::uint8_t unit, std::uint16_t file, std::uint16_t record,
                     std::span<const std::uint8_t> data);

    // The port name of the last open, as it was asked for.
    const std::string& PortName() const { return m_portName; }

    // Shows every frame to `observer` from now on; nullptr stops it. It may
    // be set from another thread than the one running transactions; the
    // observer must outlive every transaction that may still see it.
    void SetObserver(ILinkObserver* observer) { m_observer.store(observer, std::memory_order_release); }

    // Waits out what the line may still bring after a failed transaction
    // (see SettleLine); the next request does so by itself. A process that
    // is about to end calls it, so that the next user of the line meets a
    // quiet one.
    void SettleLine();

private:
    using Clock = std::chrono::steady_clock;

    bool SendRequest(std::size_t size);
    bool ReceiveReply(std::size_t& dataSize);
    // Tells the observer, if any, how the reply went; nothing else when off.
    void ObserveReply(bool received, std::size_t dataSize)
    {
        if (ILinkObserver* observer = m_observer.load(std::memory_order_acquire))
            ReportReply(*observer, received, dataSize);
    }
    void ReportReply(ILinkObserver& observer, bool received, std::size_t dataSize) const;
    // Marks the line unsettled after a failed transaction.
    void NoteFailure();

    CComPort m_port;
    std::string m_portName;
    std::atomic<ILinkObserver*> m_observer{nullptr};
    LinkFailure m_failure = LinkFailure::NoReply; // why the last reply failed
    // Until when a reply to a failed request may still arrive; the line is
    // settled (nothing owed) when it is unset.
    std::optional<Clock::time_point> m_lateUntil;
    Clock::time_point m_requestSent;
    // The last reply came to its end (as far as its own bytes tell),
    // whether or not it was good.
    bool m_replyEnded = false;
    // Holds the request, then the reply over it.
    std::array<std::uint8_t, LinkFrame::MAX_REPLY_SIZE> m_frame{};
};
