// CReplacementFile on POSIX: rename beside the target, or copy over it, keeping its owner.
#include "platform/replacement_file.h"

#include "platform/binary_file.h"
#include "platform/temp_registry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Short and fixed, so that it fits beside a name of the longest length the
// file system takes.
constexpr const char* TEMP_NAME = "/.vemsync-XXXXXX";

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::string& path)
{
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

CReplacementFile::~CReplacementFile()
{
    if (!m_inPlace && !m_temp.empty()) {
        ::unlink(m_temp.c_str());
        UnregisterTempPath(m_registration);
    }
}

bool CReplacementFile::Begin(const std::string& target)
{
    m_target = target;
    m_final = target;
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        // The link stays; the file it names is replaced. A dangling link
        // gets its file created through it.
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved) != nullptr)
            m_final = resolved;
        else
            m_inPlace = true;
    }
    struct stat st {};
    const bool exists = ::stat(m_final.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) {
            m_lastError =
                S_ISDIR(st.st_mode) ? MakeFileError(EISDIR, target) : NotRegularFileError(target);
            return false;
        }
        const int fd = ::open(m_final.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            m_lastError = MakeFileError(errno, target);
            return false;
        }
        ::close(fd);
    }
    if (!m_inPlace && StageBeside(exists ? &st : nullptr))
        return true;
    if (!exists && !m_inPlace)
        return false; // a new file needs its folder anyway
    m_inPlace = true;
    if (!m_staged.Create()) {
        m_lastError = m_staged.LastError();
        return false;
    }
    m_temp = m_staged.Path();
    return true;
}

bool CReplacementFile::StageBeside(const struct stat* existing)
{
    if (existing != nullptr && existing->st_nlink != 1)
        return false;
    std::string temp = FolderOf(m_final) + TEMP_NAME;
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        m_lastError = MakeFileError(errno, m_target);
        return false;
    }
    bool keeps = true;
    if (existing != nullptr) {
        struct stat created {};
        keeps = ::fstat(fd, &created) == 0;
        if (keeps && (created.st_uid != existing->st_uid || created.st_gid != existing->st_gid))
            keeps = ::fchown(fd, existing->st_uid, existing->st_gid) == 0;
        keeps = keeps && ::fchmod(fd, existing->st_mode & 07777) == 0;
    } else {
        ::fchmod(fd, NewFileMode());
    }
    ::close(fd);
    if (!keeps) {
        ::unlink(temp.c_str());
        return false;
    }
    m_temp = temp;
    m_registration = RegisterTempPath(m_temp);
    return true;
}

void CReplacementFile::Commit()
{
    if (m_inPlace)
        RewriteInPlace();
    else
        RenameIntoPlace();
}

void CReplacementFile::RenameIntoPlace()
{
    if (::rename(m_temp.c_str(), m_final.c_str()) != 0)
        throw FileException(MakeFileError(errno, m_target));
    UnregisterTempPath(m_registration);
    m_temp.clear();
    // Make the rename itself durable; a folder that cannot be synced is no
    // reason to report the finished transfer as failed.
    SyncFolder(m_final);
}

// The staged content is complete before the first byte of the target
// changes; the target is then written from its start and cut to the new
// length.
void CReplacementFile::RewriteInPlace()
{
    std::vector<std::uint8_t> content;
    {
        CBinaryFile staged;
        if (!staged.Open(m_temp, CBinaryFile::Mode::Read))
            throw FileException(AsTargetError(staged.LastError()));
        content.resize(staged.Length());
        if (staged.Read(content) != content.size())
            throw FileException(FileError{FileErrorCause::EndOfFile, 0, m_target});
        staged.Close();
    }
    const int fd = ::open(m_final.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, NewFileMode());
    if (fd < 0)
        throw FileException(MakeFileError(errno, m_target));
    struct stat st {};
    int error = ::fstat(fd, &st) != 0 ? errno : 0;
    if (error == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileException(NotRegularFileError(m_target));
    }
    for (std::size_t done = 0; error == 0 && done < content.size();) {
        const ssize_t put = ::pwrite(fd, content.data() + done, content.size() - done,
                                     static_cast<off_t>(done));
        if (put < 0 && errno != EINTR)
            error = errno;
        else if (put == 0)
            error = ENOSPC;
        else if (put > 0)
            done += static_cast<std::size_t>(put);
    }
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(content.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0)
        throw FileException(MakeFileError(error, m_target));
    m_staged.Remove();
    m_temp.clear();
}
