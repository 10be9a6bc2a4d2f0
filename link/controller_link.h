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

    // A port whose device went away is closed at once, by the transaction
    // that found it hung up or by CheckHangUp: a dead handle would fail
    // every later request. Lost() then stays true until the port is open
    // again, by ReopenLost or by Reopen.
    bool Lost() const { return m_lost; }
    // Opens a lost port again under its name, with the baud rate and
    // time-out of its last open; the result is whether the port is open.
    // A port that is open, or closed for any other reason, is left as it is.
    bool ReopenLost();
    // Looks whether the open port has hung up, without a transaction, and
    // closes it if so; the result is whether it did.
    bool CheckHangUp();

    // How the last transaction failed; nothing after one that succeeded.
    const std::optional<LinkFault>& LastFault() const { return m_lastFault; }
    // The caller found the last reply, good on the line, carrying fewer
    // data than its request needs: the transaction counts as failed.
    void NoteShortData();

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

    // Whether the last WriteRecord that failed went out whole and was
    // neither confirmed nor refused: the controller may have stored it.
    bool LastWriteUnanswered() const { return m_writeUnanswered; }

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
    // Tells a silent line from a closed or hung-up port once a reply failed.
    void ClassifyFailure();
    // Keeps the fault of a failed transaction, marks the line unsettled
    // and closes a port that hung up.
    void NoteFailure();
    // Closes a port whose device went away.
    void Lose();
    // Opens the port, remembering how, for ReopenLost.
    void Open(const char* portName, std::uint32_t baudRate, std::uint32_t timeoutMs);

    CComPort m_port;
    std::string m_portName;
    std::uint32_t m_openBaudRate = REOPEN_BAUD_RATE;
    std::uint32_t m_openTimeoutMs = REOPEN_TIMEOUT_MS;
    bool m_lost = false;
    std::optional<LinkFault> m_lastFault;
    std::atomic<ILinkObserver*> m_observer{nullptr};
    LinkFailure m_failure = LinkFailure::NoReply; // why the last reply failed
    // Until when a reply to a failed request may still arrive; the line is
    // settled (nothing owed) when it is unset.
    std::optional<Clock::time_point> m_lateUntil;
    Clock::time_point m_requestSent;
    // The last reply came to its end (as far as its own bytes tell),
    // whether or not it was good.
    bool m_replyEnded = false;
    bool m_writeUnanswered = false;
    // Holds the request, then the reply over it.
    std::array<std::uint8_t, LinkFrame::MAX_REPLY_SIZE> m_frame{};
};
