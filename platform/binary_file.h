// CBinaryFile: our own binary file, with a read-ahead cache and deferrable writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file_error.h"

// A binary file of the project's own; one opened for reading is always a
// regular file. Opening reports failure as a result
// (LastError says why); a failure while reading, writing, seeking, syncing
// or closing throws FileException, since the caller cannot go on as if the
// bytes were there. Reads are served from a small read-ahead cache that
// writes keep current, so scanning a file a byte at a time stays cheap; what
// reaches the disk is exactly what was written.
//
// A file open for reading and writing may defer its writes (DeferWrites):
// small writes then only patch the cache and reach the disk together when
// the cache moves to another part of the file, or at Length, Sync or Close.
// A failure to write them is reported there.
class CBinaryFile {
public:
    enum class Mode {
        Read,            // existing file, read only
        WriteExisting,   // existing file, write only, contents kept
        CreateWrite,     // created if missing, emptied, write only
        CreateReadWrite, // created if missing, emptied, read and write
    };

    CBinaryFile() = default;
    ~CBinaryFile();
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;

    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    const FileError& LastError() const { return m_lastError; }

    void Seek(std::uint64_t offset);
    std::uint64_t Position() const { return m_position; }
    // Reads up to into.size() bytes from the position; fewer only at the end
    // of the file. Returns the count read.
    std::size_t Read(std::span<std::uint8_t> into);
    // Writes every byte at the position.
    void Write(std::span<const std::uint8_t> bytes);
    // From now on, writes that fit the cache wait in it (see above). Has no
    // effect on a file open for writing only. Closing ends it.
    void DeferWrites() { m_deferWrites = true; }
    std::uint64_t Length();
    // Forces what was written to the disk.
    void Sync();
    // Closes the file after writing what waits in the cache; throws when the
    // system reports that written data were lost. Closing a closed file does
    // nothing.
    void Close();

private:
    static constexpr std::size_t CACHE_SIZE = 16384;

#ifndef _WIN32
    // The descriptor of the opened file, or -1 with m_lastError.
    int OpenRegular(const std::string& path, int flags);
#endif
    // Takes `fd`, just opened on `path`, with an empty cache.
    void Adopt(int fd, const std::string& path);
    [[noreturn]] void Fail(int systemError) const;
    bool FillCache(std::uint64_t offset);
    // Puts a write into the cache; false when it must go to the disk now.
    bool Defer(std::span<const std::uint8_t> bytes);
    // Writes the deferred bytes out; the system's error number, or 0.
    int WriteDeferred();
    void FlushDeferred();
    // One read of up to into.size() bytes at `offset` (got 0 at the end of
    // the file); the system's error number, EBADF on a file opened for
    // writing only, or 0.
    int ReadAt(std::uint64_t offset, std::span<std::uint8_t> into, std::size_t& got);
    // Writes every byte at `offset`; the system's error number, or 0.
    int WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);

    int m_fd = -1;
    std::string m_path;
    FileError m_lastError;
    std::uint64_t m_position = 0;
    std::vector<std::uint8_t> m_cache;
    std::uint64_t m_cacheStart = 0;
    std::size_t m_cacheLength = 0;
    bool m_deferWrites = false;
    // Deferred bytes lie in the cache from m_dirtyStart to m_dirtyEnd.
    std::uint64_t m_dirtyStart = 0;
    std::uint64_t m_dirtyEnd = 0;
};

// Removes a file; false when it could not be removed (a missing file
// included).
bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);

// What makes a file the one it is, whichever name reaches it: two paths
// name one file when their identities are equal. The device and inode
// number on POSIX; the volume serial number and file index on Windows,
// where every inode number reads as 0.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
// Nothing when the file cannot be reached.
std::optional<FileIdentity> IdentityOf(const std::string& path);
