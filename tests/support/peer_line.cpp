// PeerLine: the far end of a test's line, read and written against deadlines with poll().
#include "tests/support/peer_line.h"

#include <cerrno>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

} // namespace

std::optional<Bytes> PeerLine::ReadExactly(std::size_t n, std::chrono::milliseconds within)
{
    const Clock::time_point deadline = Clock::now() + within;
    Bytes bytes(n);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(m_fd, bytes.data() + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            continue;
        }
        if (r == 0 || (errno != EAGAIN && errno != EINTR))
            return std::nullopt;
        const int waitMs = MillisecondsUntil(deadline);
        if (waitMs == 0)
            return std::nullopt;
        pollfd waiter{m_fd, POLLIN, 0};
        if (::poll(&waiter, 1, waitMs) < 0 && errno != EINTR)
            return std::nullopt;
    }
    return bytes;
}

Bytes PeerLine::Drain()
{
    Bytes all;
    std::uint8_t chunk[256];
    for (;;) {
        const ssize_t r = ::read(m_fd, chunk, sizeof chunk);
        if (r <= 0)
            return all;
        all.insert(all.end(), chunk, chunk + r);
    }
}

bool PeerLine::Write(std::span<const std::uint8_t> bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t r = ::write(m_fd, bytes.data() + sent, bytes.size() - sent);
        if (r > 0) {
            sent += static_cast<std::size_t>(r);
            continue;
        }
        if (r == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
        pollfd waiter{m_fd, POLLOUT, 0};
        if (::poll(&waiter, 1, static_cast<int>(DEFAULT_WAIT.count())) <= 0)
            return false;
    }
    return true;
}

bool PeerLine::WritePaced(std::span<const Bytes> chunks, std::chrono::milliseconds gap)
{
    Clock::time_point next = Clock::now();
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (i > 0) {
            // The silence is the device's behaviour being played, not a
            // wait for the other side.
            next += gap;
            std::this_thread::sleep_until(next);
        }
        if (!Write(chunks[i]))
            return false;
        next = Clock::now();
    }
    return true;
}
