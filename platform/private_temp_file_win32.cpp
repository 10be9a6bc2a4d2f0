// CPrivateTempFile on Windows: created new and unshared in the user's temporary folder.
#include "platform/private_temp_file.h"

#include <cerrno>
#include <cstdio>

#include <windows.h>

#include "platform/temp_registry.h"
#include "platform/win32_text.h"

namespace {

// A few tries with fresh names; only a name taken in between makes another.
constexpr int NAME_TRIES = 16;

} // namespace

CPrivateTempFile::~CPrivateTempFile()
{
    Remove();
}

// The user's temporary folder (GetTempPathW: %TMP%, %TEMP%, the profile's)
// is private to that user; the file is created new there, not shared while
// open, and marked temporary so that it mostly stays in the cache.
bool CPrivateTempFile::Create()
{
    Remove();
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        m_lastError = MakeFileError(ErrnoOfSystemError(::GetLastError()), "%TEMP%");
        return false;
    }
    static unsigned counter = 0;
    DWORD error = ERROR_FILE_EXISTS;
    for (int i = 0; i < NAME_TRIES && error == ERROR_FILE_EXISTS; ++i) {
        wchar_t name[64];
        std::swprintf(name, sizeof name / sizeof name[0], L"vem730-%lx-%llx-%x.tmp",
                      ::GetCurrentProcessId(), static_cast<unsigned long long>(::GetTickCount64()),
                      ++counter);
        const std::wstring path = std::wstring(folder) + name;
        const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = ::GetLastError();
            continue;
        }
        ::CloseHandle(handle);
        m_path = Utf8Of(path);
        m_registration = RegisterTempPath(m_path);
        m_lastError = FileError{};
        return true;
    }
    m_lastError = MakeFileError(ErrnoOfSystemError(error), Utf8Of(folder));
    return false;
}

void CPrivateTempFile::Remove()
{
    if (m_path.empty())
        return;
    ::DeleteFileW(WideOf(m_path).c_str());
    UnregisterTempPath(m_registration);
    m_registration = -1;
    m_path.clear();
}
