// CLineIo: polled reads and paced writes on the simulator's end of the line.
#include "sim/line_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace {

constexpr std::size_t READ_CHUNK = 512;

timespec ToTimespec(std::chrono::nanoseconds d)
{
    if (d.count() < 0)
        d = std::chrono::nanoseconds(0);
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(d);
    return timespec{static_cast<time_t>(secs.count()), static_cast<long>((d - secs).count())};
}

} // namespace

CLineIo::Ready CLineIo::Poll(short events, Clock::time_point deadline, bool forever)
{
    for (;;) {
        std::array<pollfd, 2> fds{{{m_stop, POLLIN, 0}, {m_line, events, 0}}};
        const timespec timeout = ToTimespec(deadline - Clock::now());
        const int n = ::ppoll(fds.data(), fds.size(), forever ? nullptr : &timeout, nullptr);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Ready::Error;
        }
        if (fds[0].revents != 0)
            return Ready::Stopped;
        // A hang-up cannot come while our own slave stays open; should it
        // come, the read or write that follows reports it.
        if (fds[1].revents != 0)
            return Ready::Line;
        if (n == 0)
            return Ready::Timeout;
    }
}

CLineIo::Result CLineIo::Fill(Clock::time_point deadline, bool forever)
{
    switch (Poll(POLLIN, deadline, forever)) {
    case Ready::Stopped: return Result::Stopped;
    case Ready::Timeout: return Result::Timeout;
    case Ready::Error: return Result::Error;
    case Ready::Line: break;
    }
    std::array<std::uint8_t, READ_CHUNK> chunk;
    const ssize_t got = ::read(m_line, chunk.data(), chunk.size());
    if (got < 0)
        return errno == EAGAIN || errno == EINTR ? Result::Ok : Result::Error;
    if (got == 0)
        return Result::Error;
    if (m_pending.empty())
        m_pendingSince = Clock::now();
    m_pending.insert(m_pending.end(), chunk.begin(), chunk.begin() + got);
    return Result::Ok;
}

CLineIo::Result CLineIo::WaitForInput()
{
    while (m_pending.empty()) {
        const Result r = Fill(Clock::time_point{}, true);
        if (r != Result::Ok)
            return r;
    }
    return Result::Ok;
}

CLineIo::Result CLineIo::Read(std::size_t count, std::chrono::milliseconds gap,
                              std::vector<std::uint8_t>& out)
{
    while (m_pending.size() < count) {
        const std::size_t had = m_pending.size();
        const Result r = Fill(Clock::now() + gap, false);
        if (r == Result::Ok || m_pending.size() > had)
            continue;
        out = std::move(m_pending);
        m_pending.clear();
        return r;
    }
    out.assign(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(count));
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(count));
    // The rest arrived with the bytes just taken.
    return Result::Ok;
}

std::vector<std::uint8_t> CLineIo::Drain(std::chrono::milliseconds quiet)
{
    std::vector<std::uint8_t> dropped = std::move(m_pending);
    m_pending.clear();
    while (Fill(Clock::now() + quiet, false) == Result::Ok) {
        dropped.insert(dropped.end(), m_pending.begin(), m_pending.end());
        m_pending.clear();
    }
    return dropped;
}

bool CLineIo::WaitUntil(Clock::time_point deadline)
{
    for (;;) {
        pollfd stop{m_stop, POLLIN, 0};
        const timespec timeout = ToTimespec(deadline - Clock::now());
        const int n = ::ppoll(&stop, 1, &timeout, nullptr);
        if (n > 0)
            return false;
        if (n < 0 && errno == EINTR)
            continue;
        return true;
    }
}

CLineIo::Result CLineIo::Write(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(m_line, bytes.data(), bytes.size());
        if (put > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(put));
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR)
            return Result::Error;
        switch (Poll(POLLOUT, Clock::now() + WRITE_STALL_LIMIT, false)) {
        case Ready::Stopped: return Result::Stopped;
        case Ready::Timeout: return Result::Timeout;
        case Ready::Error: return Result::Error;
        case Ready::Line: break;
        }
    }
    return Result::Ok;
}
