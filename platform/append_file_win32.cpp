// CAppendFile on Windows: a disk file opened for appending by its UTF-16 name.
#include "platform/append_file.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace {

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE HandleOf(void* handle)
{
    return static_cast<HANDLE>(handle);
}

} // namespace

CAppendFile::~CAppendFile()
{
    Close();
}

// Windows has no links planted in shared folders the way /tmp has them; the
// file must still be a file on a disk, not a pipe or a console.
CAppendFile::Opened CAppendFile::Open(const std::string& path)
{
    m_path = path;
    const HANDLE handle = ::CreateFileW(WideOf(path).c_str(), FILE_APPEND_DATA, SHARE_ALL, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_lastError = MakeFileError(ErrnoOfSystemError(::GetLastError()), path);
        return Opened::Failed;
    }
    m_created = ::GetLastError() != ERROR_ALREADY_EXISTS;
    m_handle = handle;
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        Close();
        return Opened::NotRegular;
    }
    return Opened::Ok;
}

std::optional<FileIdentity> CAppendFile::Identity() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (m_handle == nullptr || !::GetFileInformationByHandle(HandleOf(m_handle), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

void CAppendFile::RemoveIfCreated()
{
    Close();
    if (m_created)
        ::DeleteFileW(WideOf(m_path).c_str());
    m_created = false;
}

void CAppendFile::Append(std::string_view line)
{
    if (m_handle == nullptr || m_writeFailure)
        return;
    std::string text(line);
    text += '\n';
    DWORD put = 0;
    if (!::WriteFile(HandleOf(m_handle), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) ||
        put != text.size())
        m_writeFailure = MakeFileError(ErrnoOfSystemError(::GetLastError()), m_path);
}

void CAppendFile::Close()
{
    if (m_handle == nullptr)
        return;
    ::CloseHandle(HandleOf(m_handle));
    m_handle = nullptr;
}
