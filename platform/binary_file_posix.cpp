// CBinaryFile and the file queries on POSIX, through plain file descriptors.
#include "platform/binary_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CBinaryFile::~CBinaryFile()
{
    if (m_fd >= 0) {
        WriteDeferred(); // a caller that needs to know of a failure closes first
        ::close(m_fd);
    }
}

bool CBinaryFile::Open(const std::string& path, Mode mode)
{
    if (m_fd >= 0) {
        m_lastError = MakeFileError(EBUSY, path);
        return false;
    }
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read:
        flags |= O_RDONLY;
        break;
    case Mode::WriteExisting:
        flags |= O_WRONLY;
        break;
    case Mode::CreateWrite:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case Mode::CreateReadWrite:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    const int fd = OpenRegular(path, flags);
    if (fd < 0)
        return false;
    Adopt(fd, path);
    return true;
}

// What is read is a program, parameter or image file, a regular file: a FIFO
// or a device (/dev/zero) would block or never end, so it is refused before
// it is opened, and again after, in case the name changed hands in between;
// the open itself does not wait for a FIFO's other end. What is written may
// be any file but a folder.
int CBinaryFile::OpenRegular(const std::string& path, int flags)
{
    const bool reading = (flags & O_ACCMODE) == O_RDONLY;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (reading && !S_ISREG(st.st_mode)))) {
        m_lastError = S_ISDIR(st.st_mode) ? MakeFileError(EISDIR, path) : NotRegularFileError(path);
        return -1;
    }
    constexpr mode_t NEW_FILE_MODE = 0666; // narrowed by the user's umask
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK, NEW_FILE_MODE);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_lastError = MakeFileError(errno, path);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || (reading && !S_ISREG(st.st_mode))) {
        ::close(fd);
        m_lastError = S_ISDIR(st.st_mode) ? MakeFileError(EISDIR, path) : NotRegularFileError(path);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int CBinaryFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into, std::size_t& got)
{
    for (;;) {
        const ssize_t n = ::pread(m_fd, into.data(), into.size(), static_cast<off_t>(offset));
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return 0;
        }
        if (errno != EINTR)
            return errno;
    }
}

int CBinaryFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (put == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(put);
    }
    return 0;
}

std::uint64_t CBinaryFile::Length()
{
    if (m_fd < 0)
        Fail(EBADF);
    FlushDeferred();
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Fail(errno);
    return static_cast<std::uint64_t>(st.st_size);
}

void CBinaryFile::Sync()
{
    if (m_fd < 0)
        Fail(EBADF);
    FlushDeferred();
    if (::fsync(m_fd) != 0 && errno != EINVAL)
        Fail(errno);
}

void CBinaryFile::Close()
{
    if (m_fd < 0)
        return;
    const int lost = WriteDeferred();
    const int fd = m_fd;
    m_fd = -1;
    m_cacheLength = 0;
    m_deferWrites = false;
    const int closeError = ::close(fd) != 0 && errno != EINTR ? errno : 0;
    if (lost != 0)
        Fail(lost);
    if (closeError != 0)
        Fail(closeError);
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}
