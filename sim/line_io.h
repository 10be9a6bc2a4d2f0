// CLineIo: byte-level traffic on the simulator's end of the line, against deadlines.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Byte-level traffic on the simulator's end of the line. Every wait is a
// poll on the line and on a stop descriptor, against a deadline on the
// monotonic clock, so the request loop ends at once when it is stopped.
class CLineIo {
public:
    using Clock = std::chrono::steady_clock;

    // The line's time for `bytes` bytes: 10 bits a byte (start, 8 data,
    // stop) at 38400 baud, about 260 µs a byte.
    static constexpr unsigned BAUD_RATE = 38400;
    static constexpr unsigned BITS_PER_BYTE = 10;
    static constexpr std::chrono::nanoseconds LineTime(std::size_t bytes)
    {
        return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * BITS_PER_BYTE *
                                        std::nano::den / BAUD_RATE);
    }

    enum class Result { Ok, Timeout, Stopped, Error };

    // Neither descriptor is owned. The stop descriptor reads as ready once
    // the loop is to end, and stays so.
    CLineIo(int line, int stop) : m_line(line), m_stop(stop) {}

    // Waits, without limit, until a byte is pending.
    Result WaitForInput();
    // Takes `count` bytes into `out`, waiting for each at most `gap` after the
    // one before it. On a time-out `out` holds what did arrive.
    Result Read(std::size_t count, std::chrono::milliseconds gap, std::vector<std::uint8_t>& out);
    // When the oldest pending byte arrived (meaningful while bytes are pending).
    Clock::time_point PendingSince() const { return m_pendingSince; }
    // Discards what is pending and whatever follows until the line has been
    // quiet for `quiet`; returns the bytes dropped.
    std::vector<std::uint8_t> Drain(std::chrono::milliseconds quiet);

    // False when stopped before the deadline.
    bool WaitUntil(Clock::time_point deadline);
    // Sends every byte; gives up when the other side takes nothing for
    // WRITE_STALL_LIMIT (a client that has gone away).
    Result Write(std::span<const std::uint8_t> bytes);

    static constexpr std::chrono::milliseconds WRITE_STALL_LIMIT{1000};

private:
    enum class Ready { Line, Timeout, Stopped, Error };
    Ready Poll(short events, Clock::time_point deadline, bool forever);
    Result Fill(Clock::time_point deadline, bool forever);

    int m_line;
    int m_stop;
    std::vector<std::uint8_t> m_pending;
    Clock::time_point m_pendingSince{};
};
