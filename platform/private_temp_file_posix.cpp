// CPrivateTempFile on POSIX: created new, owner-only, in the runtime or temporary folder.
#include "platform/private_temp_file.h"

#include <cerrno>
#include <cstdlib>

#include <unistd.h>

#include "platform/temp_registry.h"

namespace {

constexpr const char* FALLBACK_FOLDER = "/tmp";
constexpr const char* NAME_PATTERN = "/vem730-XXXXXX";

} // namespace

CPrivateTempFile::~CPrivateTempFile()
{
    Remove();
}

bool CPrivateTempFile::Create()
{
    Remove();
    int error = ENOENT;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR", static_cast<const char*>(nullptr)}) {
        const char* folder = variable != nullptr ? std::getenv(variable) : FALLBACK_FOLDER;
        if (folder == nullptr || *folder == '\0')
            continue;
        // mkstemp creates with O_EXCL and mode 0600.
        std::string path = std::string(folder) + NAME_PATTERN;
        const int fd = ::mkstemp(path.data());
        if (fd < 0) {
            error = errno;
            continue;
        }
        ::close(fd);
        m_path = path;
        m_registration = RegisterTempPath(m_path);
        m_lastError = FileError{};
        return true;
    }
    m_lastError = MakeFileError(error, FALLBACK_FOLDER);
    return false;
}

void CPrivateTempFile::Remove()
{
    if (m_path.empty())
        return;
    ::unlink(m_path.c_str());
    UnregisterTempPath(m_registration);
    m_registration = -1;
    m_path.clear();
}
