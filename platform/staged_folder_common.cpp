// CStagedFolder: the target looked at, the staging beside or inside it, the commit with the mark last.
#include "platform/staged_folder.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/binary_file.h"
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
fs::path Normalized(const fs::path& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    fs::path normal = (ec ? path : absolute).lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path())
        normal = normal.parent_path();
    return normal;
}

FolderTarget Failed(const std::error_code& ec, const std::string& path)
{
    FolderTarget target;
    target.kind = FolderTarget::Kind::Failed;
    target.error = MakeFileError(ec.value(), path);
    return target;
}

} // namespace

std::string StagingPrefixFor(const std::string& targetName)
{
    return "." + targetName + ".new-";
}

bool HasUniqueEnding(const std::string& name, const std::string& prefix)
{
    if (name.size() != prefix.size() + STAGED_UNIQUE_LENGTH || !name.starts_with(prefix))
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

FolderTarget LookAtFolderTarget(const std::string& path)
{
    FolderTarget target;
    if (path.empty()) {
        target.kind = FolderTarget::Kind::Failed;
        target.error = MakeFileError(ENOENT, path);
        return target;
    }
    const fs::path given = Normalized(PathOf(path));
    target.resolved = TextOf(given);
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(given, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        return Failed(ec, path);
    if (!fs::exists(own)) {
        // The parent may itself be reached through a link; the new folder
        // is made where that leads.
        const fs::path resolved = fs::weakly_canonical(given, ec);
        if (!ec)
            target.resolved = TextOf(resolved);
        return target;
    }
    const fs::file_status followed = fs::status(given, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        return Failed(ec, path);
    if (!fs::exists(followed)) {
        target.kind = FolderTarget::Kind::DanglingLink;
        std::error_code linkError;
        const fs::path named = fs::read_symlink(given, linkError);
        if (!linkError)
            target.resolved = TextOf(named.is_absolute() ? named : (given.parent_path() / named).lexically_normal());
        return target;
    }
    if (!fs::is_directory(followed)) {
        target.kind = FolderTarget::Kind::NotAFolder;
        return target;
    }
    target.kind = FolderTarget::Kind::Folder;
    const fs::path resolved = fs::canonical(given, ec);
    if (ec)
        return Failed(ec, path);
    target.resolved = TextOf(resolved);
    return target;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, FileError& error)
{
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(PathOf(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        FolderEntry entry;
        entry.name = TextOf(it->path().filename());
        std::error_code typeError;
        const fs::file_status status = it->symlink_status(typeError);
        if (fs::is_regular_file(status))
            entry.type = FolderEntry::Type::File;
        else if (fs::is_directory(status))
            entry.type = FolderEntry::Type::Folder;
        entries.push_back(std::move(entry));
    }
    if (ec) {
        error = MakeFileError(ec.value(), folder);
        return std::nullopt;
    }
    return entries;
}

bool RemoveOwnEntry(const std::string& path)
{
    std::error_code ec;
    fs::remove_all(PathOf(path), ec);
    return !ec;
}

CStagedFolder::~CStagedFolder()
{
    if (!m_staging.empty())
        RemoveOwnEntry(m_staging);
    if (!m_aside.empty())
        RemoveOwnEntry(m_aside);
}

bool CStagedFolder::Begin(const std::string& target)
{
    m_target = target;
    const fs::path path = PathOf(m_target);
    std::error_code ec;
    const bool exists = fs::exists(fs::symlink_status(path, ec));
    // A root has no parent to stage beside.
    const bool beside = path.has_filename() && path.has_parent_path();
    if (!exists) {
        if (!beside) {
            m_lastError = MakeFileError(ENOENT, m_target);
            return false;
        }
        fs::create_directories(path.parent_path(), ec);
        if (ec) {
            m_lastError = MakeFileError(ec.value(), TextOf(path.parent_path()));
            return false;
        }
    }
    if (beside && (!exists || OnFileSystemOfParent()) &&
        CreateStaging(TextOf(path.parent_path() / PathOf(StagingPrefixFor(TextOf(path.filename()))))))
        return true;
    if (!exists)
        return false;
    // The parent cannot take it: the new files are staged inside.
    if (!CreateStaging(TextOf(path / PathOf(STAGED_SUBFOLDER_PREFIX))))
        return false;
    m_subfolder = TextOf(PathOf(m_staging).filename());
    return true;
}

void CStagedFolder::Commit(const std::string& markName,
                           const std::function<std::string(const std::string& subfolder)>& markText,
                           const std::vector<std::string>& retired)
{
    const fs::path target = PathOf(m_target);
    const auto writeMark = [&] {
        const std::string text = markText(m_subfolder);
        CBinaryFile mark;
        if (!mark.Open(m_staging + "/" + markName, CBinaryFile::Mode::CreateWrite))
            throw FileException(mark.LastError());
        mark.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        mark.Close();
        if (const int error = SyncFolderTree(m_staging))
            throw FileException(MakeFileError(error, m_target));
    };
    std::error_code ec;
    if (m_subfolder.empty()) {
        writeMark();
        if (!fs::exists(fs::symlink_status(target, ec))) {
            fs::rename(PathOf(m_staging), target, ec);
            if (ec)
                throw FileException(MakeFileError(ec.value(), m_target));
            m_staging.clear();
            SyncFolderTree(TextOf(target.parent_path()));
            return;
        }
        switch (ExchangeWithTarget()) {
        case Exchange::Done:
            // The staging name now holds the old contents.
            m_aside = std::move(m_staging);
            m_staging.clear();
            SyncFolderTree(TextOf(target.parent_path()));
            return;
        case Exchange::Failed:
            throw FileException(m_lastError);
        case Exchange::Unsupported:
            fs::remove(PathOf(m_staging + "/" + markName), ec);
            MoveStagingIntoTarget();
            break;
        }
    }
    writeMark();
    fs::rename(PathOf(m_staging + "/" + markName), target / PathOf(markName), ec);
    if (ec)
        throw FileException(MakeFileError(ec.value(), m_target + "/" + markName));
    // The subfolder is the target's now.
    m_staging.clear();
    SyncFolderTree(m_target);
    for (const std::string& name : retired)
        RemoveOwnEntry(m_target + "/" + name);
}

void CStagedFolder::MoveStagingIntoTarget()
{
    const std::string name = TextOf(PathOf(m_staging).filename());
    const std::string subfolder =
        STAGED_SUBFOLDER_PREFIX + name.substr(name.size() - std::min(name.size(), STAGED_UNIQUE_LENGTH));
    std::error_code ec;
    fs::rename(PathOf(m_staging), PathOf(m_target) / PathOf(subfolder), ec);
    if (ec)
        throw FileException(MakeFileError(ec.value(), m_target));
    m_staging = m_target + "/" + subfolder;
    m_subfolder = subfolder;
}
