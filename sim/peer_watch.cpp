// CPeerWatch: inotify on the terminal's closes, TIOCNXCL when nobody else holds it.
#include "sim/peer_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>

#include "link/port_open_cause.h"
#include "platform/file_error.h"
#include "sim/sim_messages.h"

CPeerWatch::~CPeerWatch()
{
    Join();
}

void CPeerWatch::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CPeerWatch::Start(const std::string& slavePath, int slave, int stop, std::string& error)
{
    m_slavePath = slavePath;
    m_slave = slave;
    m_inotify.Reset(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!m_inotify.IsOpen() ||
        ::inotify_add_watch(m_inotify.Get(), slavePath.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        error = SimMsg::Failed(SimMsg::PTY_NOT_WATCHED, SystemErrorReason(errno));
        return false;
    }
    m_thread = std::thread([this, stop] { Run(stop); });
    return true;
}

void CPeerWatch::Run(int stop)
{
    std::array<pollfd, 2> waits{pollfd{m_inotify.Get(), POLLIN, 0}, pollfd{stop, POLLIN, 0}};
    for (;;) {
        if (::poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (waits[1].revents != 0)
            return;
        // Every close of the terminal by anyone; what matters is who is
        // left.
        std::array<char, 4096> events;
        while (::read(m_inotify.Get(), events.data(), events.size()) > 0) {
        }
        ReleaseIfAbandoned();
    }
}

void CPeerWatch::ReleaseIfAbandoned()
{
    int exclusive = 0;
    if (::ioctl(m_slave, TIOCGEXCL, &exclusive) != 0 || exclusive == 0)
        return;
    for (const PortHolder& holder : ProcessesHolding(m_slavePath))
        if (holder.pid != ::getpid())
            return;
    // In this process only the simulator's own descriptor, unless a test
    // runs its client here too.
    struct stat own {};
    if (::fstat(m_slave, &own) != 0)
        return;
    int held = 0;
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        struct stat st {};
        if (::stat(fd.path().c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == own.st_rdev)
            ++held;
    }
    if (held <= 1)
        ::ioctl(m_slave, TIOCNXCL);
}
