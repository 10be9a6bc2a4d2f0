// CStagedFolder: a folder's new contents built apart and put in place in one step, and the folder primitives it needs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_error.h"

// What stands where a folder is wanted, symbolic links followed.
struct FolderTarget {
    enum class Kind {
        Missing,      // nothing: the folder can be made there
        Folder,       // a folder, at `resolved`
        NotAFolder,   // a file, a device or the like
        DanglingLink, // a symbolic link (or a chain of them) to nothing
        Failed,       // it could not be looked at: `error` says why
    };
    Kind kind = Kind::Missing;
    // Absolute and without "." or "..": the folder itself, where a link
    // led, so that the link stays a link; for a dangling link, what it names.
    std::string resolved;
    FileError error;
};
FolderTarget LookAtFolderTarget(const std::string& path);

// One entry of a folder as it stands: links are not followed.
struct FolderEntry {
    enum class Type { File, Folder, Other };
    std::string name;
    Type type = Type::Other;
};
// The entries of `folder`; nothing, with `error`, when it cannot be listed.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, FileError& error);
// Removes a file, or a folder with everything in it, that the caller has
// found to be its own; false when something of it stays.
bool RemoveOwnEntry(const std::string& path);

// The new contents of a folder, built apart and put in place in one step:
// until Commit the folder keeps what it held (or stays absent), and a
// staging folder that is dropped is removed with everything in it. Which
// existing folder may be replaced is the caller's decision.
//
// Where the folder can be exchanged as a whole — it is new, or its parent
// is writable, on the same file system, and the system can swap two
// folders — the contents are staged beside it as ".NAME.new-XXXXXX" and
// take its place, and the folder holds them directly. Elsewhere (the root
// of a mounted file system, a folder whose parent the user may not write, a
// file system without the swap) they are staged inside it, in a subfolder
// "data-XXXXXX" that stays, and the mark file that names that subfolder is
// the last thing replaced: until then the folder is exactly as it was.
class CStagedFolder {
public:
    CStagedFolder() = default;
    ~CStagedFolder();
    CStagedFolder(const CStagedFolder&) = delete;
    CStagedFolder& operator=(const CStagedFolder&) = delete;

    // `target` is a folder or missing, as LookAtFolderTarget resolved it.
    // Creates its parent folders if missing and the staging folder. False
    // with LastError when that fails.
    bool Begin(const std::string& target);
    const std::string& Target() const { return m_target; }
    // Where the new files go.
    const std::string& Path() const { return m_staging; }
    const FileError& LastError() const { return m_lastError; }

    // Forces the staged files to the disk and puts them in place; the mark
    // file `markName` comes last, its text from `markText(subfolder)`, where
    // `subfolder` is "" when the files stand in the target itself, else the
    // name of the subfolder that holds them. `retired` names entries of the
    // target that the new contents supersede; they are removed once the mark
    // is in place (a folder exchanged as a whole loses them with the rest).
    // Throws FileException; the target is then as it was.
    void Commit(const std::string& markName,
                const std::function<std::string(const std::string& subfolder)>& markText,
                const std::vector<std::string>& retired);

private:
    enum class Exchange { Done, Unsupported, Failed };

    // The staging folder `prefix` + a unique ending; false with LastError.
    bool CreateStaging(const std::string& prefix);
    // Swaps the staging folder and the target; Unsupported where the file
    // system or the system cannot.
    Exchange ExchangeWithTarget();
    // Moves the staging folder into the target as its data subfolder.
    void MoveStagingIntoTarget();
    // Writes the mark file under a new name in the target, forces it to the
    // disk and renames it over `markName`.
    void ReplaceMark(const std::string& markName, const std::string& text);
    // Forces the folder's file system and its own entries to the disk; the
    // system's error number, or 0.
    static int SyncFolderTree(const std::string& folder);
    bool OnFileSystemOfParent() const;

    std::string m_target;
    std::string m_staging;
    std::string m_subfolder; // the staging folder's name inside the target, when staged there
    std::string m_aside;     // the old contents after an exchange, removed by the destructor
    FileError m_lastError;
};

// The name a staged subfolder of a target gets: "data-" and six characters.
inline constexpr const char* STAGED_SUBFOLDER_PREFIX = "data-";
// The names of staging folders beside a target "NAME": ".NAME.new-" and six
// characters; and of mark files not yet in place inside it.
std::string StagingPrefixFor(const std::string& targetName);
inline constexpr const char* STAGED_MARK_PREFIX = ".vemsync-";
inline constexpr std::size_t STAGED_UNIQUE_LENGTH = 6;
// Whether `name` is `prefix` and a unique ending as the staging makes them.
bool HasUniqueEnding(const std::string& name, const std::string& prefix);
