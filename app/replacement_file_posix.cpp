#include "app/replacement_file.h"

#include "image/binary_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

} // namespace

CReplacementFile::~CReplacementFile()
{
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

bool CReplacementFile::Begin(const std::string& target)
{
    m_target = target;
    mode_t mode = NewFileMode();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            m_lastError = MakeFileError(EISDIR, target);
            return false;
        }
        const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            m_lastError = MakeFileError(errno, target);
            return false;
        }
        ::close(fd);
        mode = st.st_mode & 07777;
    }

    const std::string::size_type slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = FolderOf(target) + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        m_lastError = MakeFileError(errno, target);
        return false;
    }
    ::fchmod(fd, mode);
    ::close(fd);
    m_temp = temp;
    return true;
}

void CReplacementFile::Commit()
{
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        throw FileException(MakeFileError(errno, m_target));
    m_temp.clear();
    // Make the rename itself durable; a folder that cannot be synced is no
    // reason to report the finished transfer as failed.
    const int dir = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
