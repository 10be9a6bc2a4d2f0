// CFileDescriptor: the owned descriptor moved, reset and closed.
#include "sim/file_descriptor.h"

#include <unistd.h>

#include <utility>

CFileDescriptor::~CFileDescriptor()
{
    Reset();
}

CFileDescriptor::CFileDescriptor(CFileDescriptor&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
{
}

CFileDescriptor& CFileDescriptor::operator=(CFileDescriptor&& other) noexcept
{
    if (this != &other)
        Reset(std::exchange(other.m_fd, -1));
    return *this;
}

void CFileDescriptor::Reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}
