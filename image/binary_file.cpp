#include "image/binary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CBinaryFile::~CBinaryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
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
    constexpr mode_t NEW_FILE_MODE = 0666; // narrowed by the user's umask
    int fd;
    do {
        fd = ::open(path.c_str(), flags, NEW_FILE_MODE);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_lastError = MakeFileError(errno, path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        m_lastError = MakeFileError(EISDIR, path);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_lastError = FileError{};
    m_position = 0;
    m_cacheLength = 0;
    return true;
}

void CBinaryFile::Fail(int systemError) const
{
    throw FileException(MakeFileError(systemError, m_path));
}

void CBinaryFile::Seek(std::uint64_t offset)
{
    if (m_fd < 0)
        Fail(EBADF);
    m_position = offset;
}

bool CBinaryFile::FillCache(std::uint64_t offset)
{
    m_cache.resize(CACHE_SIZE);
    m_cacheStart = offset;
    m_cacheLength = 0;
    while (m_cacheLength < CACHE_SIZE) {
        const ssize_t got = ::pread(m_fd, m_cache.data() + m_cacheLength, CACHE_SIZE - m_cacheLength,
                                    static_cast<off_t>(offset + m_cacheLength));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EBADF) // opened write-only: nothing to cache
                return false;
            Fail(errno);
        }
        if (got == 0)
            break;
        m_cacheLength += static_cast<std::size_t>(got);
    }
    return true;
}

std::size_t CBinaryFile::Read(std::span<std::uint8_t> into)
{
    if (m_fd < 0)
        Fail(EBADF);
    std::size_t done = 0;
    while (done < into.size()) {
        const bool cached = m_position >= m_cacheStart && m_position < m_cacheStart + m_cacheLength;
        if (!cached) {
            if (!FillCache(m_position))
                Fail(EBADF);
            if (m_cacheLength == 0)
                break; // end of file
        }
        const std::size_t from = static_cast<std::size_t>(m_position - m_cacheStart);
        const std::size_t count = std::min(into.size() - done, m_cacheLength - from);
        std::memcpy(into.data() + done, m_cache.data() + from, count);
        done += count;
        m_position += count;
        if (m_cacheLength < CACHE_SIZE && from + count == m_cacheLength)
            break; // the cache ends at the end of the file
    }
    return done;
}

void CBinaryFile::Write(std::span<const std::uint8_t> bytes)
{
    if (m_fd < 0)
        Fail(EBADF);
    const std::uint64_t start = m_position;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(m_position));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            m_cacheLength = 0;
            Fail(errno);
        }
        if (put == 0) {
            m_cacheLength = 0;
            Fail(ENOSPC);
        }
        done += static_cast<std::size_t>(put);
        m_position += static_cast<std::uint64_t>(put);
    }
    // Keep the cache equal to the file: patch it when the write lies inside
    // it; forget it when the write overlaps it, or may have grown the file
    // past a cache that ends at the old end of the file.
    const std::uint64_t end = start + bytes.size();
    const std::uint64_t cacheEnd = m_cacheStart + m_cacheLength;
    if (m_cacheLength > 0) {
        if (start >= m_cacheStart && end <= cacheEnd)
            std::memcpy(m_cache.data() + (start - m_cacheStart), bytes.data(), bytes.size());
        else if (m_cacheLength < CACHE_SIZE || (end > m_cacheStart && start < cacheEnd))
            m_cacheLength = 0;
    }
}

std::uint64_t CBinaryFile::Length()
{
    if (m_fd < 0)
        Fail(EBADF);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Fail(errno);
    return static_cast<std::uint64_t>(st.st_size);
}

void CBinaryFile::Sync()
{
    if (m_fd < 0)
        Fail(EBADF);
    if (::fsync(m_fd) != 0 && errno != EINVAL)
        Fail(errno);
}

void CBinaryFile::Close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    m_cacheLength = 0;
    if (::close(fd) != 0 && errno != EINTR)
        Fail(errno);
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
