// CAppendFile on POSIX: no FIFO or device, no planted link, every write failure kept.
#include "platform/append_file.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A link is followed only where nobody else could have put it there: in a
// folder that neither its group nor others may write, or, in a shared
// folder with the sticky bit (/tmp), when it is the user's own link, which
// nobody else may then remove or replace.
bool SafeLink(const std::string& path, const struct stat& link)
{
    struct stat folder {};
    if (::stat(FolderOf(path).c_str(), &folder) != 0)
        return false;
    if ((folder.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return true;
    return (folder.st_mode & S_ISVTX) != 0 && link.st_uid == ::geteuid();
}

} // namespace

CAppendFile::~CAppendFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

CAppendFile::Opened CAppendFile::Open(const std::string& path)
{
    m_path = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && !SafeLink(path, st))
        return Opened::PlantedLink;
    // Refused before the open, which would wait for a FIFO's reader, and
    // again after it, in case the name changed hands in between.
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return Opened::NotRegular;
    constexpr mode_t NEW_FILE_MODE = 0666; // narrowed by the user's umask
    constexpr int FLAGS = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = -1;
    if (!exists) {
        do
            fd = ::open(path.c_str(), FLAGS | O_CREAT | O_EXCL, NEW_FILE_MODE);
        while (fd < 0 && errno == EINTR);
        m_created = fd >= 0;
    }
    if (fd < 0) {
        do
            fd = ::open(path.c_str(), FLAGS);
        while (fd < 0 && errno == EINTR);
    }
    if (fd < 0) {
        m_lastError = MakeFileError(errno, path);
        return errno == ENXIO ? Opened::NotRegular : Opened::Failed;
    }
    m_fd = fd;
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return Opened::NotRegular;
    }
    return Opened::Ok;
}

std::optional<FileIdentity> CAppendFile::Identity() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void CAppendFile::RemoveIfCreated()
{
    Close();
    if (m_created)
        ::unlink(m_path.c_str());
    m_created = false;
}

void CAppendFile::Append(std::string_view line)
{
    if (m_fd < 0 || m_writeFailure)
        return;
    std::string text(line);
    text += '\n';
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(m_fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            m_writeFailure = MakeFileError(put < 0 ? errno : ENOSPC, m_path);
            return;
        }
        done += static_cast<std::size_t>(put);
    }
}

void CAppendFile::Close()
{
    if (m_fd < 0)
        return;
    if (::close(m_fd) != 0 && errno != EINTR && !m_writeFailure)
        m_writeFailure = MakeFileError(errno, m_path);
    m_fd = -1;
}
