// CheckBackup: a backup folder checked whole against its manifest and what the controller can hold.
#include "backup/backup_check.h"

#include "backup/backup_messages.h"
#include "backup/sha256.h"
#include "transfer/messages.h"
#include "link/link_transactions.h"
#include "transfer/transfer_rules.h"

namespace {

using Kind = BackupItemId::Kind;

BackupRefusal Refuse(const char* message, const std::string& detail)
{
    return {message, detail + "\n" + BackupMsg::NOTHING_WRITTEN};
}

} // namespace

std::variant<CheckedBackup, BackupRefusal> CheckBackup(IBackupFiles& files)
{
    bool tooLarge = false;
    const std::optional<std::vector<std::uint8_t>> manifestBytes =
        files.Read(MANIFEST_NAME, MANIFEST_MAX_BYTES, tooLarge);
    if (!manifestBytes && !tooLarge)
        return Refuse(BackupMsg::BACKUP_MISSING, files.Describe(""));
    const auto damaged = [&](const std::string& file, const char* why) {
        return Refuse(BackupMsg::BACKUP_DAMAGED, files.Describe(file) + ": " + why);
    };
    if (!manifestBytes)
        return damaged(MANIFEST_NAME, BackupMsg::WRONG_SIZE);
    std::string error;
    std::optional<BackupManifest> manifest =
        ParseManifest(std::string(manifestBytes->begin(), manifestBytes->end()), error);
    if (!manifest)
        return Refuse(BackupMsg::BACKUP_DAMAGED, files.Describe(MANIFEST_NAME) + ": " + error);
    // Sizes this program cannot move are refused before any file is read.
    if (!DescriptorSupported(DataKind::Parameters, manifest->descriptor) ||
        !DescriptorSupported(DataKind::Program, manifest->descriptor))
        return Refuse(Msg::DESCRIPTOR_UNSUPPORTED, BackupMsg::IN_BACKUP + DescriptorHex(manifest->descriptor));

    const std::size_t frameSize = manifest->descriptor.frameSize();
    CheckedBackup backup{*manifest, std::vector<std::vector<std::uint8_t>>(manifest->entries.size())};
    for (std::size_t i = 0; i < manifest->entries.size(); ++i) {
        const BackupEntry& entry = manifest->entries[i];
        if (entry.Empty())
            continue;
        std::uint64_t expected = ParameterBytes(manifest->descriptor);
        if (entry.id.kind == Kind::Parameters) {
            if (entry.bytes != expected)
                return damaged(manifest->PathOf(entry.file), BackupMsg::WRONG_SIZE);
        } else {
            // What the controller's area holds, not only what a link block
            // count allows.
            if (entry.frames > AreaFrames(entry.id))
                return Refuse(Msg::PROGRAM_SIZE, ItemTitle(entry.id) + ": " + BackupMsg::FRAMES_IN_BACKUP +
                                                     std::to_string(entry.frames) + BackupMsg::FRAMES_IN_AREA +
                                                     std::to_string(AreaFrames(entry.id)) + ".");
            expected = std::uint64_t{entry.frames} * frameSize;
        }
        const std::string path = manifest->PathOf(entry.file);
        std::optional<std::vector<std::uint8_t>> bytes = files.Read(path, expected, tooLarge);
        if (!bytes)
            return damaged(path, tooLarge ? BackupMsg::WRONG_SIZE : BackupMsg::CANNOT_OPEN);
        if (bytes->size() != expected)
            return damaged(path, BackupMsg::WRONG_SIZE);
        if (Sha256Hex(*bytes) != entry.sha256)
            return damaged(path, BackupMsg::CHECKSUM_DIFFERS);
        if (!entry.textFile.empty()) {
            const std::string textPath = manifest->PathOf(entry.textFile);
            const std::optional<std::vector<std::uint8_t>> text =
                files.Read(textPath, TextBytesLimit(entry.frames), tooLarge);
            if (!text)
                return damaged(textPath, tooLarge ? BackupMsg::WRONG_SIZE : BackupMsg::CANNOT_OPEN);
            if (Sha256Hex(*text) != entry.textSha256)
                return damaged(textPath, BackupMsg::CHECKSUM_DIFFERS);
        }
        backup.contents[i] = std::move(*bytes);
    }
    return backup;
}
