// CheckBackupTarget: whether a folder may take a backup, and what of ours it holds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_manifest.h"

// Whether a folder may take a backup, looked at before the controller is
// asked anything. A folder is replaced only when it is empty or holds an
// earlier backup of this program and nothing else: its manifest, the files
// that manifest names, and what an interrupted backup of this program left.
struct BackupTarget {
    enum class Verdict {
        Ready,
        Foreign,  // it holds other things: it is left alone
        Unusable, // not a folder, a link to nothing, or it cannot be looked at
    };
    Verdict verdict = Verdict::Unusable;
    // The folder the backup goes to: where a symbolic link leads.
    std::string folder;
    // Ready: the earlier backup's files (or its subfolder), which the new
    // backup supersedes; names inside `folder`.
    std::vector<std::string> retired;
    // Ready: what interrupted backups left, in `folder` and beside it;
    // whole paths.
    std::vector<std::string> leftovers;
    // Unusable: why, for the detail under the message.
    std::string reason;
};

BackupTarget CheckBackupTarget(const std::string& folder);
