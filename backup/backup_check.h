// CheckBackup: a backup folder checked whole before a restore writes anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "backup/backup_manifest.h"

// Where the restore's checks read the files of a backup folder.
class IBackupFiles {
public:
    virtual ~IBackupFiles() = default;
    // The whole file `name` (a path inside the folder) when it holds at most
    // `limit` bytes; nothing when it cannot be opened or is longer, which
    // `tooLarge` tells apart.
    virtual std::optional<std::vector<std::uint8_t>> Read(const std::string& name, std::uint64_t limit,
                                                          bool& tooLarge) = 0;
    // The file as the user is told of it.
    virtual std::string Describe(const std::string& name) const = 0;
};

// A backup folder checked whole, before the controller is asked anything:
// the manifest, and every file against its size and checksum and against
// what the controller can hold.
struct CheckedBackup {
    BackupManifest manifest;
    // The bytes of each entry's file, in the manifest's order.
    std::vector<std::vector<std::uint8_t>> contents;
};

// Why a backup is not restored: one of the system's messages and the detail
// under it, which names the file or the item.
struct BackupRefusal {
    std::string message;
    std::string detail;
};

// Reads nothing longer than the item it stands for can be, so a file of any
// size in the folder costs no more than the largest item.
std::variant<CheckedBackup, BackupRefusal> CheckBackup(IBackupFiles& files);
