// CComPort on POSIX: termios settings, exclusive open and timed reads.
#include "link/com_port.h"

#include <cerrno>
#include <chrono>
#include <string>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/port_names.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BaudRate {
    std::uint32_t bitsPerSecond;
    speed_t speed;
};

constexpr BaudRate BAUD_RATES[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

bool SpeedOf(std::uint32_t baudRate, speed_t& speed)
{
    for (const BaudRate& entry : BAUD_RATES) {
        if (entry.bitsPerSecond == baudRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

// Milliseconds from now to `deadline`, rounded up so that a wait never ends
// just short of it and turns into a spin; 0 once it has passed.
int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

constexpr short HANG_UP_EVENTS = POLLHUP | POLLERR | POLLNVAL;

// Errors of a read, write or flush that mean the device is no longer there:
// a hung-up terminal, a pseudo-terminal whose master closed, an adapter
// pulled out, a stream whose reader went.
bool MeansDeviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

} // namespace

struct CComPort::SavedSettings {
    termios settings{};
};

CComPort::CComPort() = default;

CComPort::~CComPort()
{
    Close();
}

CComPort::CComPort(CComPort&& other) noexcept
    : m_fd(std::exchange(other.m_fd, CLOSED)),
      m_exclusive(std::exchange(other.m_exclusive, false)),
      m_timeoutMs(std::exchange(other.m_timeoutMs, 0)),
      m_lastOpenError(other.m_lastOpenError), m_hungUp(std::exchange(other.m_hungUp, false)),
      m_saved(std::move(other.m_saved))
{
}

CComPort& CComPort::operator=(CComPort&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, CLOSED);
        m_exclusive = std::exchange(other.m_exclusive, false);
        m_timeoutMs = std::exchange(other.m_timeoutMs, 0);
        m_lastOpenError = other.m_lastOpenError;
        m_hungUp = std::exchange(other.m_hungUp, false);
        m_saved = std::move(other.m_saved);
    }
    return *this;
}

bool CComPort::Open(const char* portName, std::uint32_t baudRate, std::uint32_t timeoutMs)
{
    if (IsOpen())
        return false;
    if (portName == nullptr)
        return FailOpen(EINVAL);

    const std::string path = ResolvePortName(portName);
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd == CLOSED)
        return FailOpen(errno);

    // The advisory lock keeps out a second opener even where TIOCEXCL does
    // not (a privileged process passes TIOCEXCL). It is taken before
    // anything is changed so that a refused opener disturbs nothing.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return FailOpen(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(m_fd, TIOCEXCL) != 0)
        return FailOpen(errno);
    m_exclusive = true;

    if (!Configure(baudRate))
        return FailOpen(errno);
    m_timeoutMs = timeoutMs;
    m_lastOpenError = 0;
    return true;
}

bool CComPort::Configure(std::uint32_t baudRate)
{
    speed_t speed{};
    if (!SpeedOf(baudRate, speed)) {
        errno = EINVAL;
        return false;
    }

    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return false;
    m_saved = std::make_unique<SavedSettings>(SavedSettings{settings});
    ::cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    // With VMIN 0 a non-blocking read of an empty queue would return 0,
    // which is indistinguishable from a hang-up; VMIN 1 makes it EAGAIN.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0)
        return false;
    if (::tcsetattr(m_fd, TCSANOW, &settings) != 0)
        return false;

    // Pseudo-terminals and some adapters have no modem lines.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(m_fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return false;
    return true;
}

bool CComPort::FailOpen(int error)
{
    Close();
    m_lastOpenError = error;
    return false;
}

bool CComPort::Attach(int fd, std::uint32_t timeoutMs)
{
    if (IsOpen() || fd < 0)
        return false;
    m_fd = fd;
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags == -1 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) == -1)
        return FailOpen(errno);
    m_timeoutMs = timeoutMs;
    m_lastOpenError = 0;
    return true;
}

bool CComPort::SetTimeouts(std::uint32_t timeoutMs)
{
    if (!IsOpen())
        return false;
    m_timeoutMs = timeoutMs;
    return true;
}

bool CComPort::NoteFailure(int error)
{
    if (MeansDeviceGone(error))
        m_hungUp = true;
    return false;
}

bool CComPort::CheckHangUp()
{
    if (!IsOpen())
        return m_hungUp;
    pollfd waiter{m_fd, 0, 0};
    if (::poll(&waiter, 1, 0) > 0 && (waiter.revents & HANG_UP_EVENTS) != 0)
        m_hungUp = true;
    return m_hungUp;
}

bool CComPort::Purge()
{
    if (!IsOpen())
        return false;
    if (::tcflush(m_fd, TCIOFLUSH) == 0)
        return true;
    return NoteFailure(errno);
}

bool CComPort::Write(std::span<const std::uint8_t> bytes)
{
    if (!IsOpen())
        return false;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            return false;
        if (errno != EAGAIN)
            return NoteFailure(errno);
        // Output queue full: wait for room, however long the line takes.
        pollfd waiter{m_fd, POLLOUT, 0};
        if (::poll(&waiter, 1, -1) < 0 && errno != EINTR)
            return false;
        if ((waiter.revents & HANG_UP_EVENTS) != 0) {
            m_hungUp = true;
            return false;
        }
    }
    return true;
}

bool CComPort::Read(std::span<std::uint8_t> into)
{
    if (!IsOpen())
        return false;

    const std::chrono::milliseconds timeout(m_timeoutMs);
    const Clock::time_point start = Clock::now();
    const Clock::time_point totalDeadline =
        start + std::chrono::milliseconds(into.size()) + timeout;
    Clock::time_point deadline = totalDeadline; // the gap rule starts with the first byte

    std::size_t got = 0;
    while (got < into.size()) {
        // Read before waiting: bytes already queued count even when the
        // line has hung up behind them.
        const ssize_t n = ::read(m_fd, into.data() + got, into.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            const Clock::time_point gapDeadline = Clock::now() + timeout;
            deadline = gapDeadline < totalDeadline ? gapDeadline : totalDeadline;
            continue;
        }
        if (n == 0) {
            m_hungUp = true; // end of file: the other side is gone
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return NoteFailure(errno);

        const int waitMs = MillisecondsUntil(deadline);
        if (waitMs == 0)
            return false;
        pollfd waiter{m_fd, POLLIN, 0};
        const int ready = ::poll(&waiter, 1, waitMs);
        if (ready < 0 && errno != EINTR)
            return false;
        // Nothing queued (the read above said so) and the line is down.
        if (ready > 0 && (waiter.revents & POLLIN) == 0 && (waiter.revents & HANG_UP_EVENTS) != 0) {
            m_hungUp = true;
            return false;
        }
    }
    return true;
}

bool CComPort::Close()
{
    if (!IsOpen())
        return true;
    // Exclusive mode belongs to the terminal, not to our descriptor: left
    // set, it would lock out the next opener while anyone else (the
    // simulator, say) still holds the terminal.
    RestoreSettings();
    if (m_exclusive)
        ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = CLOSED;
    m_exclusive = false;
    m_timeoutMs = 0;
    m_hungUp = false;
    return true;
}

// At once: waiting for the output to drain could wait forever on a line
// nobody reads, and every transaction is over by now.
void CComPort::RestoreSettings()
{
    if (!m_saved)
        return;
    ::tcsetattr(m_fd, TCSANOW, &m_saved->settings);
    m_saved.reset();
}

bool CComPort::IsOpen() const
{
    return m_fd != CLOSED;
}
