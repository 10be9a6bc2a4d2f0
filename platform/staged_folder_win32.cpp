// CStagedFolder on Windows: the old folder moved aside, the new one into its place.
#include "platform/staged_folder.h"

#include <cstdio>

#include <windows.h>

#include "platform/win32_text.h"

namespace {

// Names tried for the staging and the set-aside folder before giving up.
constexpr int NAME_TRIES = 100;

std::string UniqueEnding(int attempt)
{
    char ending[16];
    std::snprintf(ending, sizeof ending, "%06lx",
                  static_cast<unsigned long>((::GetTickCount() + attempt * 7919u) & 0xFFFFFFu));
    return ending;
}

FileError SystemError(DWORD error, const std::string& path)
{
    return MakeFileError(ErrnoOfSystemError(error), path);
}

bool Move(const std::string& from, const std::string& to)
{
    return ::MoveFileExW(WideOf(from).c_str(), WideOf(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace

bool CStagedFolder::CreateStaging(const std::string& prefix)
{
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < NAME_TRIES && error == ERROR_ALREADY_EXISTS; ++attempt) {
        const std::string staging = prefix + UniqueEnding(attempt);
        if (::CreateDirectoryW(WideOf(staging).c_str(), nullptr)) {
            m_staging = staging;
            return true;
        }
        error = ::GetLastError();
    }
    m_lastError = SystemError(error, m_target);
    return false;
}

// Every file in the staging folder was synced when it was written. Windows
// has no exchange of two folders: the old folder goes aside under a name of
// its own first, then the new one takes its place, so one of them always
// stands at the target; the destructor removes the old one.
void CStagedFolder::Commit()
{
    if (::GetFileAttributesW(WideOf(m_target).c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!Move(m_staging, m_target))
            throw FileException(SystemError(::GetLastError(), m_target));
        m_staging.clear();
        return;
    }
    std::string aside;
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < NAME_TRIES && aside.empty(); ++attempt) {
        const std::string name = m_target + ".old-" + UniqueEnding(attempt);
        if (Move(m_target, name))
            aside = name;
        else if ((error = ::GetLastError()) != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    if (aside.empty())
        throw FileException(SystemError(error, m_target));
    if (!Move(m_staging, m_target)) {
        error = ::GetLastError();
        Move(aside, m_target);
        throw FileException(SystemError(error, m_target));
    }
    m_staging = aside;
}
