// CBackupCommands: whole-controller backup and restore, and the restore's options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_manifest.h"
#include "transfer/transfer_commands.h"

class CJobProgress;
struct BackupTarget;

// What a backup saved or a restore wrote, for its summary.
struct ItemTally {
    bool parameters = false;
    unsigned programs = 0;
    unsigned subprograms = 0;
    unsigned words = 0;

    void Add(const BackupEntry& entry)
    {
        if (entry.id.kind == DataKind::Parameters) {
            parameters = true;
            return;
        }
        (entry.id.kind == DataKind::Program ? programs : subprograms) += 1;
        words += entry.frames;
    }
};

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

    // Saves everything into `folder` (created if missing; where a link
    // leads). A folder of other things is refused before the controller is
    // asked anything; a backup already there is replaced only once the new
    // one is complete. A pending interrupt (PendingInterrupt) stops it with
    // the earlier backup as it was.
    CommandResult Backup(const std::string& folder);
    // Checks the backup in `folder` against itself and what the controller
    // can hold, then the controller's descriptor; only then writes. A
    // pending interrupt stops it at the end of the block in flight, and the
    // message says what the controller holds of the item cut off.
    CommandResult Restore(const std::string& folder, const RestoreOptions& options);

private:
    CommandResult RunBackup(const std::string& folder);
    CommandResult RunRestore(const std::string& folder, const RestoreOptions& options);
    // The manifest's entries with their sizes; false once a failure was said.
    bool SurveySizes(BackupManifest& manifest, CJobProgress& progress);
    bool ReadItems(BackupManifest& manifest, const std::string& folder, CJobProgress& progress, ItemTally& saved);
    bool MatchDescriptor(const BackupManifest& manifest);

    // What a restore writes (indexes into the manifest's entries) and deletes,
    // and the bar's units for it.
    struct RestorePlan {
        std::vector<std::size_t> writes;
        std::vector<BackupItemId> written;
        std::vector<BackupItemId> deletes;
        int units = 0;
    };
    RestorePlan PlanRestore(const BackupManifest& manifest, const RestoreOptions& options) const;
    static std::string RestoreQuestionDetail(const std::string& time, const RestorePlan& plan);
    bool ReadDescriptor();
    bool WriteParameterItem(const std::vector<std::uint8_t>& bytes, bool verify,
                            CJobProgress& progress);
    bool WriteProgramItem(const BackupItemId& id, const std::vector<std::uint8_t>& frames,
                          bool verify, CJobProgress& progress);
    // The item's message, or the job's interruption; `holds` says what the
    // controller holds of an item cut off.
    CommandResult FailItem(const char* message, const BackupItemId& id, bool restoring,
                           const std::string& holds = {});
    bool AcceptTarget(const BackupTarget& target, const std::string& folder);

    CControllerLink& m_link;
    ControllerInfo& m_info;
    TransferBuffer m_buffer;
    ITransferUi& m_ui;
};

// The bytes that follow a program's last frame in its last block when the
// Write command sends it: slot `slot` of the image an import leaves
// (frameSize bytes).
std::vector<std::uint8_t> WritePaddingSlot(unsigned slot, std::size_t frameSize);
