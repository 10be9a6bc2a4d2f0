// PtyPair: a pseudo-terminal pair with a non-blocking master and a held slave, for tests.
#include "tests/support/pty_pair.h"

#include <array>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

PtyPair::PtyPair()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        Fail("posix_openpt");
    constexpr std::size_t PATH_ROOM = 128;
    std::array<char, PATH_ROOM> path{};
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, path.data(), path.size()) != 0) {
        const int error = errno;
        ::close(m_master);
        errno = error;
        Fail("pseudo-terminal set-up");
    }
    m_slavePath = path.data();
    const int flags = ::fcntl(m_master, F_GETFL);
    m_heldSlave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0 || m_heldSlave < 0) {
        const int error = errno;
        ::close(m_master);
        if (m_heldSlave >= 0)
            ::close(m_heldSlave);
        errno = error;
        Fail("pseudo-terminal descriptors");
    }
}

PtyPair::~PtyPair()
{
    CloseMaster();
    ::close(m_heldSlave);
}

void PtyPair::CloseMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
