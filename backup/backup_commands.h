// CBackupCommands: whole-controller backup and restore, and the restore's options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_manifest.h"
#include "transfer/transfer_commands.h"

class CJobProgress;

struct RestoreOptions {
    // The items to restore; nothing: all of them.
    std::optional<std::vector<BackupItemId>> only;
    // Read each item back after writing it and compare.
    bool verify = false;
    // Also delete the programs that were empty when the backup was made.
    bool exact = false;
    // Ask the user, naming what will be replaced, before anything is written.
    bool confirm = false;
};

// The whole controller to a backup folder and back: the parameters, programs
// 1 to 20 and subprograms 1 to 50, each moved by the transactions of the
// Read and Write commands. Runs to its end on the calling thread and talks to
// the user only through the ITransferUi: one bar over the whole job, one
// message at the end. A failed item stops the job with that item's message.
class CBackupCommands {
public:
    CBackupCommands(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                    ITransferUi& ui);

    // Saves everything into `folder` (created if missing). A backup already
    // there is replaced only once the new one is complete.
    CommandResult Backup(const std::string& folder);
    // Checks the backup in `folder` and the controller's descriptor first;
    // only then writes.
    CommandResult Restore(const std::string& folder, const RestoreOptions& options);

private:
    CommandResult RunBackup(const std::string& folder);
    CommandResult RunRestore(const std::string& folder, const RestoreOptions& options);
    bool ReadDescriptor();
    bool WriteParameterItem(const std::vector<std::uint8_t>& bytes, bool verify,
                            CJobProgress& progress);
    bool WriteProgramItem(const BackupItemId& id, const std::vector<std::uint8_t>& frames,
                          bool verify, CJobProgress& progress);
    CommandResult FailItem(const char* message, const BackupItemId& id, bool restoring);

    CControllerLink& m_link;
    ControllerInfo& m_info;
    TransferBuffer m_buffer;
    ITransferUi& m_ui;
};

// The bytes that follow a program's last frame in its last block when the
// Write command sends it: slot `slot` of the image an import leaves
// (frameSize bytes).
std::vector<std::uint8_t> WritePaddingSlot(unsigned slot, std::size_t frameSize);
