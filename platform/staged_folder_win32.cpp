// CStagedFolder on Windows: no exchange of folders, so an existing target gets a data subfolder.
#include "platform/staged_folder.h"

#include <cstdio>

#include <windows.h>

#include "platform/win32_text.h"

namespace {

// Names tried for the staging folder before giving up.
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

// Windows has no call that forces a whole file system to the disk; the
// files are left to the system's cache.
int CStagedFolder::SyncFolderTree(const std::string&)
{
    return 0;
}

// A drive root has no parent; any other folder is staged beside it.
bool CStagedFolder::OnFileSystemOfParent() const
{
    return true;
}

// Windows has no exchange of two folders: an existing target gets its new
// contents in a subfolder, with the mark file replaced last.
CStagedFolder::Exchange CStagedFolder::ExchangeWithTarget()
{
    return Exchange::Unsupported;
}
