// CBinaryFile and the file queries on Windows, through Win32 handles and UTF-16 paths.
#include "platform/binary_file.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32_text.h"

namespace {

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

constexpr std::size_t MAX_CALL_SIZE = std::numeric_limits<DWORD>::max();

// Others may read, write and rename the file while we hold it, as on POSIX;
// a program that holds it without sharing still keeps us out.
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

CBinaryFile::~CBinaryFile()
{
    if (m_fd >= 0) {
        WriteDeferred(); // a caller that needs to know of a failure closes first
        ::_close(m_fd);
    }
}

bool CBinaryFile::Open(const std::string& path, Mode mode)
{
    if (m_fd >= 0) {
        m_lastError = MakeFileError(EBUSY, path);
        return false;
    }
    DWORD access = 0;
    DWORD disposition = OPEN_EXISTING;
    int crtFlags = _O_BINARY;
    switch (mode) {
    case Mode::Read:
        access = GENERIC_READ;
        crtFlags |= _O_RDONLY;
        break;
    case Mode::WriteExisting:
        access = GENERIC_WRITE;
        crtFlags |= _O_WRONLY;
        break;
    case Mode::CreateWrite:
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        crtFlags |= _O_WRONLY;
        break;
    case Mode::CreateReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        crtFlags |= _O_RDWR;
        break;
    }
    const std::wstring wide = WideOf(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        m_lastError = MakeFileError(EISDIR, path);
        return false;
    }
    const HANDLE handle = ::CreateFileW(wide.c_str(), access, SHARE_ALL, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_lastError = MakeFileError(ErrnoOfSystemError(::GetLastError()), path);
        return false;
    }
    // A name such as "COM1" or "NUL" opens a device, not a file: a read
    // would block or never end, a write would vanish.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        m_lastError = NotRegularFileError(path);
        return false;
    }
    // A C runtime descriptor over the handle keeps the object's layout the
    // same on every system.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), crtFlags);
    if (fd < 0) {
        ::CloseHandle(handle);
        m_lastError = MakeFileError(EMFILE, path);
        return false;
    }
    Adopt(fd, path);
    return true;
}

int CBinaryFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into, std::size_t& got)
{
    OVERLAPPED where = At(offset);
    DWORD count = 0;
    const DWORD asked = static_cast<DWORD>(std::min(into.size(), MAX_CALL_SIZE));
    if (!::ReadFile(HandleOf(m_fd), into.data(), asked, &count, &where)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            got = 0;
            return 0;
        }
        // On a handle of ours, a refused read means it was opened for writing.
        return error == ERROR_ACCESS_DENIED ? EBADF : ErrnoOfSystemError(error);
    }
    got = count;
    return 0;
}

int CBinaryFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED where = At(offset + done);
        DWORD put = 0;
        const DWORD asked = static_cast<DWORD>(std::min(bytes.size() - done, MAX_CALL_SIZE));
        if (!::WriteFile(HandleOf(m_fd), bytes.data() + done, asked, &put, &where))
            return ErrnoOfSystemError(::GetLastError());
        if (put == 0)
            return ENOSPC;
        done += put;
    }
    return 0;
}

std::uint64_t CBinaryFile::Length()
{
    if (m_fd < 0)
        Fail(EBADF);
    FlushDeferred();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(HandleOf(m_fd), &size))
        Fail(ErrnoOfSystemError(::GetLastError()));
    return static_cast<std::uint64_t>(size.QuadPart);
}

void CBinaryFile::Sync()
{
    if (m_fd < 0)
        Fail(EBADF);
    FlushDeferred();
    if (!::FlushFileBuffers(HandleOf(m_fd)))
        Fail(ErrnoOfSystemError(::GetLastError()));
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
    const int closeError = ::_close(fd) != 0 ? errno : 0;
    if (lost != 0)
        Fail(lost);
    if (closeError != 0)
        Fail(closeError);
}

bool RemoveFile(const std::string& path)
{
    return ::DeleteFileW(WideOf(path).c_str()) != 0;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    // No access asked: the identity is readable even where the data are not.
    const HANDLE handle = ::CreateFileW(WideOf(path).c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
