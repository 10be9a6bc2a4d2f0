// CStagedFolder on POSIX: synced to disk, then exchanged with the target by rename.
#include "platform/staged_folder.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Everything under the folder's file system to the disk; one call instead of
// one per file.
bool SyncFileSystemOf(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

bool CStagedFolder::CreateStaging(const std::string& prefix)
{
    std::string staging = prefix + "XXXXXX";
    if (!::mkdtemp(staging.data())) {
        m_lastError = MakeFileError(errno, m_target);
        return false;
    }
    m_staging = staging;
    // A folder the user asked for, not a private one: the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(m_staging.c_str(), 0777 & ~mask);
    return true;
}

void CStagedFolder::Commit()
{
    if (!SyncFileSystemOf(m_staging))
        throw FileException(MakeFileError(errno, m_target));
    SyncFolder(m_staging);

    std::error_code ec;
    const bool replacing = fs::exists(m_target, ec);
    if (!replacing) {
        if (::rename(m_staging.c_str(), m_target.c_str()) != 0)
            throw FileException(MakeFileError(errno, m_target));
        m_staging.clear();
    } else if (::renameat2(AT_FDCWD, m_staging.c_str(), AT_FDCWD, m_target.c_str(),
                           RENAME_EXCHANGE) == 0) {
        // The staging name now holds the old contents; the destructor
        // removes them.
    } else if (errno == EINVAL || errno == ENOSYS) {
        // A file system without an atomic exchange: the old folder goes
        // aside under a name of its own first, then the new one takes its
        // place, so one of them always stands at the target.
        std::string aside = m_target + ".old-XXXXXX";
        if (!::mkdtemp(aside.data()) || ::rename(m_target.c_str(), aside.c_str()) != 0)
            throw FileException(MakeFileError(errno, m_target));
        if (::rename(m_staging.c_str(), m_target.c_str()) != 0) {
            const int error = errno;
            ::rename(aside.c_str(), m_target.c_str());
            throw FileException(MakeFileError(error, m_target));
        }
        m_staging = aside;
    } else {
        throw FileException(MakeFileError(errno, m_target));
    }
    const fs::path parent = fs::path(m_target).has_parent_path() ? fs::path(m_target).parent_path()
                                                                 : fs::path(".");
    SyncFolder(parent.string());
}
