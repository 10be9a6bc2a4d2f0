// CheckBackupTarget: an empty folder, or an earlier backup of this program and nothing else.
#include "backup/backup_folder.h"

#include <algorithm>
#include <set>

#include "backup/backup_messages.h"
#include "backup/backup_writer.h"
#include "platform/staged_folder.h"
#include "transfer/failure_detail.h"

namespace {

using Type = FolderEntry::Type;

bool IsItemFileName(const std::string& name)
{
    if (name == ParameterFileName())
        return true;
    for (const BackupItemId& id : AllBackupItems())
        if (id.kind != BackupItemId::Kind::Parameters && (name == FramesFileName(id) || name == TextFileName(id)))
            return true;
    return false;
}

// A file that a backup of this program writes, and may leave behind when
// it is cut off: an item's file, the manifest, a file not yet renamed.
bool IsOwnFileName(const std::string& name)
{
    return name == MANIFEST_NAME || IsItemFileName(name) || HasUniqueEnding(name, STAGED_MARK_PREFIX);
}

// Whether the folder holds nothing but files of this program, and, where
// `subfolders`, data subfolders of the same.
bool HoldsOnlyOwnFiles(const std::string& folder, bool subfolders)
{
    FileError error;
    const std::optional<std::vector<FolderEntry>> entries = ListFolder(folder, error);
    if (!entries)
        return false;
    return std::all_of(entries->begin(), entries->end(), [&](const FolderEntry& entry) {
        if (entry.type == Type::File)
            return IsOwnFileName(entry.name);
        return subfolders && entry.type == Type::Folder && IsDataSubfolderName(entry.name) &&
               HoldsOnlyOwnFiles(folder + "/" + entry.name, false);
    });
}

// "/a/b/backup" as "/a/b" and "backup".
std::pair<std::string, std::string> Split(const std::string& path)
{
#ifdef _WIN32
    const std::string::size_type slash = path.find_last_of("/\\");
#else
    const std::string::size_type slash = path.rfind('/');
#endif
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? path.substr(0, 1) : path.substr(0, slash), path.substr(slash + 1)};
}

// Staging folders of this folder's name that a backup killed outright left
// beside it.
void FindLeftoversBeside(const std::string& folder, std::vector<std::string>& leftovers)
{
    const auto [parent, name] = Split(folder);
    if (name.empty())
        return;
    FileError error;
    const std::optional<std::vector<FolderEntry>> entries = ListFolder(parent, error);
    if (!entries)
        return;
    const std::string prefix = StagingPrefixFor(name);
    for (const FolderEntry& entry : *entries) {
        const std::string path = parent + "/" + entry.name;
        if (entry.type == Type::Folder && HasUniqueEnding(entry.name, prefix) && HoldsOnlyOwnFiles(path, true))
            leftovers.push_back(path);
    }
}

// The manifest of an earlier backup in `folder`, read no further than a
// manifest can reach.
std::optional<BackupManifest> EarlierManifest(const std::string& folder)
{
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes = ReadBackupFile(folder + "/" + MANIFEST_NAME, MANIFEST_MAX_BYTES);
    } catch (const FileException&) {
        return std::nullopt;
    }
    if (!bytes)
        return std::nullopt;
    std::string error;
    return ParseManifest(std::string(bytes->begin(), bytes->end()), error);
}

// The names the manifest gives its files.
std::set<std::string> NamedFiles(const BackupManifest& manifest)
{
    std::set<std::string> names;
    for (const BackupEntry& entry : manifest.entries) {
        if (!entry.file.empty())
            names.insert(entry.file);
        if (!entry.textFile.empty())
            names.insert(entry.textFile);
    }
    return names;
}

// A data subfolder holds exactly files the manifest names.
bool HoldsOnlyNamedFiles(const std::string& folder, const std::set<std::string>& named)
{
    FileError error;
    const std::optional<std::vector<FolderEntry>> entries = ListFolder(folder, error);
    return entries && std::all_of(entries->begin(), entries->end(), [&](const FolderEntry& entry) {
               return entry.type == Type::File && named.count(entry.name) != 0;
           });
}

} // namespace

BackupTarget CheckBackupTarget(const std::string& folder)
{
    BackupTarget result;
    const FolderTarget target = LookAtFolderTarget(folder);
    result.folder = target.resolved;
    switch (target.kind) {
    case FolderTarget::Kind::Missing:
        result.verdict = BackupTarget::Verdict::Ready;
        FindLeftoversBeside(result.folder, result.leftovers);
        return result;
    case FolderTarget::Kind::NotAFolder:
        result.reason = folder + ": " + BackupMsg::NOT_A_FOLDER;
        return result;
    case FolderTarget::Kind::DanglingLink:
        result.reason = folder + ": " + BackupMsg::DANGLING_LINK + target.resolved;
        return result;
    case FolderTarget::Kind::Failed:
        result.reason = FileFailureDetail(target.error);
        return result;
    case FolderTarget::Kind::Folder:
        break;
    }

    FileError error;
    const std::optional<std::vector<FolderEntry>> entries = ListFolder(result.folder, error);
    if (!entries) {
        result.reason = FileFailureDetail(error);
        return result;
    }
    std::optional<BackupManifest> earlier;
    const auto manifest = std::find_if(entries->begin(), entries->end(),
                                       [](const FolderEntry& entry) { return entry.name == MANIFEST_NAME; });
    if (manifest != entries->end()) {
        if (manifest->type == Type::File)
            earlier = EarlierManifest(result.folder);
        if (!earlier) {
            result.verdict = BackupTarget::Verdict::Foreign;
            return result;
        }
    }
    const std::set<std::string> named = earlier ? NamedFiles(*earlier) : std::set<std::string>{};
    const std::string subfolder = earlier ? earlier->subfolder : "";

    for (const FolderEntry& entry : *entries) {
        const std::string path = result.folder + "/" + entry.name;
        if (entry.name == MANIFEST_NAME)
            continue;
        if (subfolder.empty() && entry.type == Type::File && named.count(entry.name) != 0) {
            result.retired.push_back(entry.name);
        } else if (!subfolder.empty() && entry.name == subfolder && entry.type == Type::Folder &&
                   HoldsOnlyNamedFiles(path, named)) {
            result.retired.push_back(entry.name);
        } else if (entry.type == Type::File && HasUniqueEnding(entry.name, STAGED_MARK_PREFIX)) {
            result.leftovers.push_back(path);
        } else if (entry.type == Type::Folder && IsDataSubfolderName(entry.name) &&
                   HoldsOnlyOwnFiles(path, false)) {
            result.leftovers.push_back(path);
        } else if (earlier && entry.type == Type::File && IsItemFileName(entry.name)) {
            // Files of a backup whose manifest superseded them before they
            // could be removed.
            result.leftovers.push_back(path);
        } else {
            result.verdict = BackupTarget::Verdict::Foreign;
            return result;
        }
    }
    result.verdict = BackupTarget::Verdict::Ready;
    FindLeftoversBeside(result.folder, result.leftovers);
    return result;
}
