#include "image/binary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    m_fd = fd;
    m_path = path;
    m_lastError = FileError{};
    m_position = 0;
    m_cacheLength = 0;
    m_deferWrites = false;
    m_dirtyStart = m_dirtyEnd = 0;
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
    FlushDeferred();
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

void CBinaryFile::Write(std::span<const std::uint8_t> bytes)
{
    if (m_fd < 0)
        Fail(EBADF);
    if (m_deferWrites && Defer(bytes))
        return;
    FlushDeferred(); // earlier bytes first, in case the two overlap
    const std::uint64_t start = m_position;
    if (const int error = WriteAt(start, bytes)) {
        m_cacheLength = 0;
        Fail(error);
    }
    m_position += bytes.size();
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

// The cache holds the file from m_cacheStart; when it holds less than
// CACHE_SIZE bytes the file ends where the cache does, so a write that lands
// past that end but inside the window leaves zeros between, as a hole would.
bool CBinaryFile::Defer(std::span<const std::uint8_t> bytes)
{
    const std::uint64_t start = m_position;
    const std::uint64_t end = start + bytes.size();
    if (bytes.size() > CACHE_SIZE)
        return false;
    const bool inWindow =
        m_cacheLength > 0 && start >= m_cacheStart && end <= m_cacheStart + CACHE_SIZE;
    if (!inWindow && !FillCache(start))
        return false; // write-only: nothing is cached
    const std::size_t from = static_cast<std::size_t>(start - m_cacheStart);
    if (from > m_cacheLength)
        std::memset(m_cache.data() + m_cacheLength, 0, from - m_cacheLength);
    std::memcpy(m_cache.data() + from, bytes.data(), bytes.size());
    m_cacheLength = std::max(m_cacheLength, from + bytes.size());
    if (m_dirtyStart == m_dirtyEnd) {
        m_dirtyStart = start;
        m_dirtyEnd = end;
    } else {
        m_dirtyStart = std::min(m_dirtyStart, start);
        m_dirtyEnd = std::max(m_dirtyEnd, end);
    }
    m_position = end;
    return true;
}

int CBinaryFile::WriteDeferred()
{
    if (m_dirtyStart == m_dirtyEnd)
        return 0;
    const std::size_t from = static_cast<std::size_t>(m_dirtyStart - m_cacheStart);
    const std::size_t count = static_cast<std::size_t>(m_dirtyEnd - m_dirtyStart);
    const int error = WriteAt(m_dirtyStart, {m_cache.data() + from, count});
    m_dirtyStart = m_dirtyEnd = 0;
    if (error != 0)
        m_cacheLength = 0; // the cache no longer shows the file
    return error;
}

void CBinaryFile::FlushDeferred()
{
    if (const int error = WriteDeferred())
        Fail(error);
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
