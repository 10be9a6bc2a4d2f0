// CStagedFolder's start: the target checked for our mark, the staging folder made.
#include "platform/staged_folder.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include "platform/win32_text.h"
#endif

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 in the program; a std::filesystem path made from a narrow
// string on Windows would read it in the ANSI code page.
fs::path PathOf(const std::string& text)
{
#ifdef _WIN32
    return fs::path(WideOf(text));
#else
    return fs::path(text);
#endif
}

std::string TextOf(const fs::path& path)
{
#ifdef _WIN32
    return Utf8Of(path.wstring());
#else
    return path.string();
#endif
}

// "backups/./today/" and "backups/today" name one folder, whose parent is
// "backups".
std::string Normalized(const std::string& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(PathOf(path), ec);
    fs::path normal = (ec ? PathOf(path) : absolute).lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path())
        normal = normal.parent_path();
    return TextOf(normal);
}

} // namespace

CStagedFolder::~CStagedFolder()
{
    std::error_code ec;
    if (!m_staging.empty())
        fs::remove_all(PathOf(m_staging), ec);
}

CStagedFolder::Start CStagedFolder::Begin(const std::string& target)
{
    m_target = Normalized(target);
    const fs::path path = PathOf(m_target);
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
        if (!empty && !fs::is_regular_file(path / PathOf(m_mark), ec))
            return Start::Foreign;
    }

    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    fs::create_directories(parent, ec);
    if (ec) {
        m_lastError = MakeFileError(ec.value(), TextOf(parent));
        return Start::Failed;
    }
    std::string name = ".";
    name += TextOf(path.filename());
    name += ".new-";
    if (!CreateStaging(TextOf(parent / PathOf(name))))
        return Start::Failed;
    return Start::Ready;
}
