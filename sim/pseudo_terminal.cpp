// CPseudoTerminal: the pty pair opened, its slave held and set raw at 38400 baud.
#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>
#include <climits>
#include "platform/file_error.h"
#include "sim/sim_messages.h"

namespace {

std::string SystemError(const char* what)
{
    return SimMsg::Failed(what, SystemErrorReason(errno));
}

} // namespace

bool CPseudoTerminal::Open(std::string& error)
{
    CFileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!master.IsOpen()) {
        error = SystemError(SimMsg::PTY_NOT_OPENED);
        return false;
    }
    // The request loop waits with poll(); a reply to a client that stopped
    // reading must never block it.
    if (::fcntl(master.Get(), F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(master.Get(), F_SETFL, ::fcntl(master.Get(), F_GETFL) | O_NONBLOCK) != 0 ||
        ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0) {
        error = SystemError(SimMsg::PTY_NOT_SET_UP);
        return false;
    }
    char name[PATH_MAX];
    if (::ptsname_r(master.Get(), name, sizeof name) != 0) {
        error = SystemError(SimMsg::PTY_NOT_NAMED);
        return false;
    }
    CFileDescriptor slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave.IsOpen()) {
        error = SystemError(SimMsg::PTY_SLAVE_NOT_OPENED);
        return false;
    }
    termios tio{};
    if (::tcgetattr(slave.Get(), &tio) != 0) {
        error = SystemError(SimMsg::LINE_NOT_READ);
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    if (::tcsetattr(slave.Get(), TCSANOW, &tio) != 0) {
        error = SystemError(SimMsg::LINE_NOT_RAW);
        return false;
    }
    m_master = std::move(master);
    m_slave = std::move(slave);
    m_slavePath = name;
    return true;
}
