// CReplacementFile on Windows: staged beside the target, then swapped in by ReplaceFileW.
#include "platform/replacement_file.h"

#include <cerrno>
#include <cstdio>

#include <windows.h>

#include "platform/temp_registry.h"
#include "platform/win32_text.h"

namespace {

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Names tried for the temporary file before giving up.
constexpr int TEMP_NAME_TRIES = 100;

// The folder part of a path with its separator ("" for a bare name), and
// the name after it.
std::string::size_type NameStart(const std::string& path)
{
    const std::string::size_type separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

FileError SystemError(DWORD error, const std::string& path)
{
    return MakeFileError(ErrnoOfSystemError(error), path);
}

} // namespace

CReplacementFile::~CReplacementFile()
{
    if (!m_temp.empty()) {
        ::DeleteFileW(WideOf(m_temp).c_str());
        UnregisterTempPath(m_registration);
    }
}

bool CReplacementFile::Begin(const std::string& target)
{
    m_target = target;
    const std::wstring wideTarget = WideOf(target);
    const DWORD attributes = ::GetFileAttributesW(wideTarget.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            m_lastError = MakeFileError(EISDIR, target);
            return false;
        }
        // A program that holds the file without sharing it (an editor, a
        // spreadsheet) shows here as a sharing violation.
        const HANDLE probe = ::CreateFileW(wideTarget.c_str(), GENERIC_WRITE, SHARE_ALL, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            m_lastError = SystemError(::GetLastError(), target);
            return false;
        }
        ::CloseHandle(probe);
    }

    const std::string::size_type nameAt = NameStart(target);
    const std::string stem = target.substr(0, nameAt) + "." + target.substr(nameAt) + ".";
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < TEMP_NAME_TRIES && error == ERROR_FILE_EXISTS; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06lx",
                      static_cast<unsigned long>((::GetTickCount() + attempt * 7919u) & 0xFFFFFFu));
        const std::string temp = stem + suffix;
        const HANDLE created = ::CreateFileW(WideOf(temp).c_str(), GENERIC_WRITE, SHARE_ALL, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            ::CloseHandle(created);
            m_temp = temp;
            m_registration = RegisterTempPath(m_temp);
            return true;
        }
        error = ::GetLastError();
    }
    m_lastError = SystemError(error, target);
    return false;
}

// ReplaceFileW keeps what the folder knows of the old file (its attributes,
// its security); only a target that is not there takes the plain rename.
void CReplacementFile::Commit()
{
    const std::wstring target = WideOf(m_target);
    const std::wstring temp = WideOf(m_temp);
    bool replaced = false;
    if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        replaced = ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
        const DWORD error = replaced ? ERROR_SUCCESS : ::GetLastError();
        // The target went away in between: fall through to the rename.
        if (!replaced && error != ERROR_FILE_NOT_FOUND)
            throw FileException(SystemError(error, m_target));
    }
    if (!replaced &&
        !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileException(SystemError(::GetLastError(), m_target));
    UnregisterTempPath(m_registration);
    m_registration = -1;
    m_temp.clear();
}
