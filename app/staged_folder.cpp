#include "app/staged_folder.h"

#include <cerrno>
#include <cstdio>
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

// "backups/./today/" and "backups/today" name one folder, whose parent is
// "backups".
std::string Normalized(const std::string& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    std::string text = (ec ? fs::path(path) : absolute).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

CStagedFolder::~CStagedFolder()
{
    std::error_code ec;
    if (!m_staging.empty())
        fs::remove_all(m_staging, ec);
}

CStagedFolder::Start CStagedFolder::Begin(const std::string& target)
{
    m_target = Normalized(target);
    const fs::path path(m_target);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status)) {
        if (!fs::is_directory(status)) {
            m_lastError = MakeFileError(ENOTDIR, m_target);
            return Start::Failed;
        }
        const bool empty = fs::is_empty(path, ec);
        if (ec) {
            m_lastError = MakeFileError(ec.value(), m_target);
            return Start::Failed;
        }
        if (!empty && !fs::is_regular_file(path / m_mark, ec))
            return Start::Foreign;
    }

    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    fs::create_directories(parent, ec);
    if (ec) {
        m_lastError = MakeFileError(ec.value(), parent.string());
        return Start::Failed;
    }
    std::string staging = (parent / ("." + path.filename().string() + ".new-XXXXXX")).string();
    if (!::mkdtemp(staging.data())) {
        m_lastError = MakeFileError(errno, m_target);
        return Start::Failed;
    }
    m_staging = staging;
    // A folder the user asked for, not a private one: the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(m_staging.c_str(), 0777 & ~mask);
    return Start::Ready;
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
