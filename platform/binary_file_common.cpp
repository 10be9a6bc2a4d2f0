// CBinaryFile's seek, read-ahead cache and deferred writes, shared by every system.
#include "platform/binary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

void CBinaryFile::Adopt(int fd, const std::string& path)
{
    m_fd = fd;
    m_path = path;
    m_lastError = FileError{};
    m_position = 0;
    m_cacheLength = 0;
    m_deferWrites = false;
    m_dirtyStart = m_dirtyEnd = 0;
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
        std::size_t got = 0;
        if (const int error = ReadAt(offset + m_cacheLength,
                                     std::span(m_cache).subspan(m_cacheLength), got)) {
            if (error == EBADF) // opened write-only: nothing to cache
                return false;
            Fail(error);
        }
        if (got == 0)
            break;
        m_cacheLength += got;
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
