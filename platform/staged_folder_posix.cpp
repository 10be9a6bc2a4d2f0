// CStagedFolder on POSIX: mkdtemp, syncfs, and the exchange of two folders by renameat2.
#include "platform/staged_folder.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

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

// Everything under the folder's file system to the disk (one call instead
// of one per file), then the folder's own entries.
int CStagedFolder::SyncFolderTree(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::syncfs(fd) == 0 && ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// Only a folder on its parent's file system can be swapped with a folder
// made in that parent; the root of a mount is not.
bool CStagedFolder::OnFileSystemOfParent() const
{
    const fs::path target(m_target);
    struct stat own {};
    struct stat parent {};
    return ::stat(target.c_str(), &own) == 0 && ::stat(target.parent_path().c_str(), &parent) == 0 &&
           own.st_dev == parent.st_dev;
}

CStagedFolder::Exchange CStagedFolder::ExchangeWithTarget()
{
    if (::renameat2(AT_FDCWD, m_staging.c_str(), AT_FDCWD, m_target.c_str(), RENAME_EXCHANGE) == 0)
        return Exchange::Done;
    if (errno == EINVAL || errno == ENOSYS || errno == EXDEV)
        return Exchange::Unsupported;
    m_lastError = MakeFileError(errno, m_target);
    return Exchange::Failed;
}
