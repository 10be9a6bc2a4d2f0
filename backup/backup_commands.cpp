// CBackupCommands: the whole controller read into a backup folder and written back.
#include "backup/backup_commands.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "backup/backup_check.h"
#include "backup/backup_folder.h"
#include "backup/backup_messages.h"
#include "backup/backup_writer.h"
#include "codec/hex_text.h"
#include "platform/clock_text.h"
#include "transfer/transfer_rules.h"
#include "backup/job_progress.h"
#include "transfer/failure_detail.h"
#include "transfer/messages.h"
#include "link/read_back.h"
#include "platform/staged_folder.h"
#include "platform/temp_registry.h"
#include "image/program_image.h"
#include "link/controller_link.h"

namespace {

using Kind = BackupItemId::Kind;
using Clock = std::chrono::steady_clock;

// An import fills the first 8000 bytes of the image with 0xFF and then puts
// the empty frame at the start of every slot of the area; the second halves
// of slots past those 8000 bytes are never written and read as zeros.
constexpr std::size_t IMAGE_FILL_BYTES = 8000;
constexpr std::uint8_t IMAGE_FILL = 0xFF;

std::uint16_t FileNumberOf(const BackupItemId& id)
{
    return ProgramFileNumber(LinkFileOf(id.kind), id.number);
}

// "Программа 3 — восстановление остановлено. <what it holds> Записанное
// до этого осталось в контроллере."
std::string RestoreFailureDetail(const BackupItemId& id, const std::string& holds = {})
{
    return ItemTitle(id) + BackupMsg::RESTORE_STOPPED + (holds.empty() ? "" : holds + " ") +
           BackupMsg::WRITTEN_STAYS;
}

// Passes a block sequence's progress on and counts the blocks the
// controller confirmed.
class CCountedBlocks : public IBlockProgress {
public:
    explicit CCountedBlocks(IBlockProgress& shown) : m_shown(shown) {}
    void SetProgressRange(int low, int high) override { m_shown.SetProgressRange(low, high); }
    void SetProgressPos(int pos) override
    {
        ++m_blocks;
        m_shown.SetProgressPos(pos);
    }
    int Blocks() const { return m_blocks; }

private:
    IBlockProgress& m_shown;
    int m_blocks = 0;
};

// The files of a backup folder on the disk.
class CFolderFiles : public IBackupFiles {
public:
    explicit CFolderFiles(std::string folder) : m_folder(std::move(folder)) {}
    std::optional<std::vector<std::uint8_t>> Read(const std::string& name, std::uint64_t limit,
                                                  bool& tooLarge) override
    {
        return ReadBackupFile(Describe(name), limit, &tooLarge);
    }
    std::string Describe(const std::string& name) const override
    {
        return name.empty() ? m_folder : m_folder + "/" + name;
    }

private:
    std::string m_folder;
};

std::string Duration(Clock::duration elapsed)
{
    const long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
    if (seconds < 60)
        return std::to_string(seconds) + BackupMsg::SECONDS;
    return std::to_string(seconds / 60) + BackupMsg::MINUTES + std::to_string(seconds % 60) + BackupMsg::SECONDS;
}

// "параметры, программ: 3, подпрограмм: 2 (слов: 1013)"
std::string Tally(const ItemTally& tally)
{
    std::string text;
    if (tally.parameters)
        text = BackupMsg::PARAMETERS;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (tally.programs > 0)
        add(BackupMsg::PROGRAMS_COUNT + std::to_string(tally.programs));
    if (tally.subprograms > 0)
        add(BackupMsg::SUBPROGRAMS_COUNT + std::to_string(tally.subprograms));
    if (tally.programs + tally.subprograms > 0)
        text += BackupMsg::WORDS_COUNT + std::to_string(tally.words) + ")";
    return text.empty() ? BackupMsg::NOTHING : text;
}

// "1, 3, 5–9": rising numbers, runs of three or more as a range.
std::string Runs(const std::vector<unsigned>& numbers)
{
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        text += (text.empty() ? "" : ", ") + std::to_string(numbers[i]);
        if (j >= i + 2)
            text += "–" + std::to_string(numbers[j]);
        else if (j == i + 1)
            text += ", " + std::to_string(numbers[j]);
        i = j + 1;
    }
    return text;
}

// "программы 1, 3; подпрограммы 7–50"
std::string NumberList(const std::vector<BackupItemId>& ids)
{
    std::vector<unsigned> programNumbers;
    std::vector<unsigned> subprogramNumbers;
    for (const BackupItemId& id : ids) {
        if (id.kind != Kind::Parameters)
            (id.kind == Kind::Program ? programNumbers : subprogramNumbers).push_back(id.number);
    }
    const std::string programs = Runs(programNumbers);
    const std::string subprograms = Runs(subprogramNumbers);
    std::string text;
    if (!programs.empty())
        text = BackupMsg::PROGRAMS + programs;
    if (!subprograms.empty())
        text += (text.empty() ? "" : "; ") + std::string(BackupMsg::SUBPROGRAMS) + subprograms;
    return text;
}

int ParameterUnits(const ControllerInfo& info)
{
    return static_cast<int>(info.generalParamSize() / GENERAL_BLOCK + info.axisCount());
}

} // namespace

std::vector<std::uint8_t> WritePaddingSlot(unsigned slot, std::size_t frameSize)
{
    CProgramImage image(PROGRAM_IMAGE_KIND, {}, {}, 0, 0);
    image.ResetCurrentFrame();
    std::vector<std::uint8_t> bytes(SLOT_SIZE, 0);
    std::copy(image.m_currentFrame.bytes.begin(), image.m_currentFrame.bytes.end(), bytes.begin());
    const std::size_t slotStart = std::size_t{slot} * SLOT_SIZE;
    for (std::size_t i = FRAME_SIZE; i < SLOT_SIZE; ++i)
        if (slotStart + i < IMAGE_FILL_BYTES)
            bytes[i] = IMAGE_FILL;
    bytes.resize(frameSize, 0);
    return bytes;
}

CBackupCommands::CBackupCommands(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                                 ITransferUi& ui)
    : m_link(link), m_info(info), m_buffer(buffer), m_ui(ui)
{
}

CommandResult CBackupCommands::Backup(const std::string& folder)
{
    try {
        return RunBackup(folder);
    } catch (const FileException& e) {
        m_ui.ShowWarning(e.what(), BackupMsg::EARLIER_KEPT);
        return CommandResult::Failed;
    }
}

CommandResult CBackupCommands::Restore(const std::string& folder, const RestoreOptions& options)
{
    try {
        return RunRestore(folder, options);
    } catch (const FileException& e) {
        m_ui.ShowWarning(e.what());
        return CommandResult::Failed;
    }
}

// Both kinds of item must fit the transfer buffer and the link.
bool CBackupCommands::ReadDescriptor()
{
    const std::optional<ControllerInfo> fresh = ReadDescriptorRecord(m_link);
    if (!fresh && PendingInterrupt() != 0) {
        m_ui.ShowWarning(BackupMsg::BACKUP_INTERRUPTED, BackupMsg::EARLIER_KEPT);
        return false;
    }
    if (!fresh) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_FAILED);
        return false;
    }
    m_info = *fresh;
    if (!DescriptorSupported(DataKind::Parameters, m_info) ||
        !DescriptorSupported(DataKind::Program, m_info)) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_UNSUPPORTED);
        return false;
    }
    return true;
}

CommandResult CBackupCommands::FailItem(const char* message, const BackupItemId& id, bool restoring,
                                        const std::string& holds)
{
    const bool interrupted = PendingInterrupt() != 0;
    if (!restoring) {
        if (interrupted)
            m_ui.ShowWarning(BackupMsg::BACKUP_INTERRUPTED, BackupMsg::EARLIER_KEPT);
        else
            m_ui.ShowWarning(message, BackupFailureDetail(id));
        return CommandResult::Failed;
    }
    m_ui.ShowWarning(interrupted ? BackupMsg::RESTORE_INTERRUPTED : message, RestoreFailureDetail(id, holds));
    return CommandResult::Failed;
}

bool CBackupCommands::AcceptTarget(const BackupTarget& target, const std::string& folder)
{
    switch (target.verdict) {
    case BackupTarget::Verdict::Ready:
        return true;
    case BackupTarget::Verdict::Foreign:
        m_ui.ShowWarning(BackupMsg::FOLDER_FOREIGN,
                         target.folder + (target.folder == folder ? "" : " (" + folder + ")") + "\n" +
                             BackupMsg::CHOOSE_OTHER_FOLDER);
        return false;
    case BackupTarget::Verdict::Unusable:
        break;
    }
    m_ui.ShowWarning(BackupMsg::FOLDER_UNUSABLE, target.reason);
    return false;
}

CommandResult CBackupCommands::RunBackup(const std::string& folder)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const Clock::time_point start = Clock::now();
    // The folder first: the controller is asked nothing for a backup that
    // could not be kept.
    const BackupTarget target = CheckBackupTarget(folder);
    if (!AcceptTarget(target, folder))
        return CommandResult::Failed;
    for (const std::string& leftover : target.leftovers)
        RemoveOwnEntry(leftover);
    CStagedFolder staged;
    if (!staged.Begin(target.folder)) {
        m_ui.ShowWarning(BackupMsg::FOLDER_UNUSABLE, FileFailureDetail(staged.LastError()));
        return CommandResult::Failed;
    }

    BackupManifest manifest;
    manifest.time = UtcTimestamp();
    if (!ReadDescriptor())
        return CommandResult::Failed;
    manifest.descriptor = m_info;
    CJobProgress progress(m_ui);
    ItemTally saved;
    if (!SurveySizes(manifest, progress) || !ReadItems(manifest, staged.Path(), progress, saved))
        return CommandResult::Failed;

    if (PendingInterrupt() != 0) {
        m_ui.ShowWarning(BackupMsg::BACKUP_INTERRUPTED, BackupMsg::EARLIER_KEPT);
        return CommandResult::Failed;
    }
    // The folder once more, as it is now: what it holds is what the new
    // backup replaces.
    const BackupTarget now = CheckBackupTarget(staged.Target());
    if (!AcceptTarget(now, folder))
        return CommandResult::Failed;
    staged.Commit(
        MANIFEST_NAME,
        [&](const std::string& subfolder) {
            manifest.subfolder = subfolder;
            return FormatManifest(manifest);
        },
        now.retired);

    const unsigned empty = PROGRAM_COUNT + SUBPROGRAM_COUNT - saved.programs - saved.subprograms;
    m_ui.ShowInformation(BackupMsg::BACKUP_DONE, BackupMsg::SAVED + Tally(saved) + BackupMsg::EMPTY_ITEMS +
                                                     std::to_string(empty) + ".\n" + BackupMsg::TIME +
                                                     Duration(Clock::now() - start) + ".\n" +
                                                     BackupMsg::FOLDER + staged.Target());
    return CommandResult::Done;
}

// The sizes first, so that the bar covers the whole job from then on.
bool CBackupCommands::SurveySizes(BackupManifest& manifest, CJobProgress& progress)
{
    const std::vector<BackupItemId> items = AllBackupItems();
    const int surveyUnits = static_cast<int>(items.size()) - 1;
    progress.SetTotal(surveyUnits + ParameterUnits(m_info));
    int blockUnits = 0;
    for (const BackupItemId& id : items) {
        BackupEntry entry;
        entry.id = id;
        if (id.kind != Kind::Parameters) {
            const std::optional<unsigned> frames =
                PendingInterrupt() != 0 ? std::nullopt : ReadProgramSize(m_link, FileNumberOf(id));
            if (!frames)
                {
                FailItem(Msg::SIZE_QUERY_FAILED, id, false);
                return false;
            }
            // A count that would not fit the area could never be restored.
            if (*frames > AreaFrames(id))
                {
                FailItem(Msg::PROGRAM_SIZE, id, false);
                return false;
            }
            entry.frames = *frames;
            blockUnits += BlockCount(*frames);
            progress.Advance(1);
        }
        manifest.entries.push_back(entry);
    }
    progress.SetTotal(surveyUnits + ParameterUnits(m_info) + blockUnits);
    return true;
}

// The line goes on with the next item while the writer stores this one in
// `folder`.
bool CBackupCommands::ReadItems(BackupManifest& manifest, const std::string& folder, CJobProgress& progress,
                                ItemTally& saved)
{
    CBackupWriter writer(folder);
    saved.parameters = true;
    const std::size_t frameSize = m_info.frameSize();
    for (BackupEntry& entry : manifest.entries) {
        if (writer.Failed())
            break;
        if (entry.id.kind == Kind::Parameters) {
            switch (ReadParameterBlocks(m_link, m_info, m_buffer, progress)) {
            case ParameterFailure::General:
                {
                FailItem(Msg::GENERAL_READ_FAILED, entry.id, false);
                return false;
            }
            case ParameterFailure::Axis:
                {
                FailItem(Msg::AXIS_READ_FAILED, entry.id, false);
                return false;
            }
            case ParameterFailure::None:
                break;
            }
            const auto bytes = m_buffer.first(ParameterBytes(m_info));
            entry.bytes = bytes.size();
            writer.Put(entry, {bytes.begin(), bytes.end()});
            continue;
        }
        if (entry.Empty())
            continue;
        const bool program = entry.id.kind == Kind::Program;
        if (!ReadProgramBlocks(m_link, FileNumberOf(entry.id), entry.frames, frameSize, m_buffer, progress)) {
            FailItem(program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED, entry.id, false);
            return false;
        }
        const auto frames = m_buffer.first(std::size_t{entry.frames} * frameSize);
        writer.Put(entry, {frames.begin(), frames.end()});
        saved.Add(entry);
    }
    if (const std::optional<CBackupWriter::Failure> failure = writer.Finish()) {
        m_ui.ShowWarning(failure->text, failure->detail);
        return false;
    }
    return true;
}

CommandResult CBackupCommands::RunRestore(const std::string& folder, const RestoreOptions& options)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const Clock::time_point start = Clock::now();

    CFolderFiles files(folder);
    const std::variant<CheckedBackup, BackupRefusal> checked = CheckBackup(files);
    if (const BackupRefusal* refusal = std::get_if<BackupRefusal>(&checked)) {
        m_ui.ShowWarning(refusal->message, refusal->detail);
        return CommandResult::Failed;
    }
    const CheckedBackup& backup = std::get<CheckedBackup>(checked);
    const BackupManifest& manifest = backup.manifest;
    if (!MatchDescriptor(manifest))
        return CommandResult::Failed;

    const RestorePlan plan = PlanRestore(manifest, options);
    if (options.confirm && !m_ui.AskYesNo(BackupMsg::RESTORE_QUESTION, RestoreQuestionDetail(manifest.time, plan)))
        return CommandResult::Cancelled;

    CJobProgress progress(m_ui);
    progress.SetTotal(plan.units);
    ItemTally written;
    // Between items a pending interrupt stops the job with nothing cut off.
    const auto interrupted = [&](const BackupItemId& next) {
        m_ui.ShowWarning(BackupMsg::RESTORE_INTERRUPTED,
                         BackupMsg::WRITTEN + Tally(written) + ". " + ItemTitle(next) + BackupMsg::NOT_REACHED);
        return CommandResult::Failed;
    };
    for (const std::size_t i : plan.writes) {
        const BackupEntry& entry = manifest.entries[i];
        if (PendingInterrupt() != 0)
            return interrupted(entry.id);
        const bool done = entry.id.kind == Kind::Parameters
                              ? WriteParameterItem(backup.contents[i], options.verify, progress)
                              : WriteProgramItem(entry.id, backup.contents[i], options.verify, progress);
        if (!done)
            return CommandResult::Failed;
        written.Add(entry);
    }
    for (const BackupItemId& id : plan.deletes) {
        if (PendingInterrupt() != 0)
            return interrupted(id);
        if (!DeleteProgram(m_link, FileNumberOf(id)))
            return FailItem(id.kind == Kind::Program ? Msg::PROGRAM_DELETE_FAILED : Msg::SUBPROGRAM_DELETE_FAILED,
                            id, true);
        progress.Advance(1);
    }

    std::string detail = BackupMsg::WRITTEN + Tally(written);
    if (!plan.deletes.empty())
        detail += BackupMsg::DELETED_EMPTY + NumberList(plan.deletes);
    if (options.verify)
        detail += BackupMsg::ALL_VERIFIED;
    detail += std::string(".\n") + BackupMsg::TIME + Duration(Clock::now() - start) + ".";
    m_ui.ShowInformation(BackupMsg::RESTORE_DONE, detail);
    return CommandResult::Done;
}

// The controller must be the one the backup was made of, and of a kind this
// program can write.
bool CBackupCommands::MatchDescriptor(const BackupManifest& manifest)
{
    const std::optional<ControllerInfo> fresh = ReadDescriptorRecord(m_link);
    if (!fresh && PendingInterrupt() != 0) {
        m_ui.ShowWarning(BackupMsg::RESTORE_INTERRUPTED, BackupMsg::NOTHING_WRITTEN);
        return false;
    }
    if (!fresh) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_FAILED);
        return false;
    }
    if (fresh->bytes != manifest.descriptor.bytes) {
        m_ui.ShowWarning(BackupMsg::DESCRIPTOR_MISMATCH, BackupMsg::IN_BACKUP + DescriptorHex(manifest.descriptor) +
                                                             "\n" + BackupMsg::IN_CONTROLLER + DescriptorHex(*fresh) +
                                                             "\n" + BackupMsg::NOTHING_WRITTEN);
        return false;
    }
    m_info = *fresh;
    if (!DescriptorSupported(DataKind::Parameters, m_info) || !DescriptorSupported(DataKind::Program, m_info)) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_UNSUPPORTED);
        return false;
    }
    return true;
}

CBackupCommands::RestorePlan CBackupCommands::PlanRestore(const BackupManifest& manifest,
                                                          const RestoreOptions& options) const
{
    const auto selected = [&](const BackupItemId& id) {
        return !options.only || std::find(options.only->begin(), options.only->end(), id) != options.only->end();
    };
    RestorePlan plan;
    const int passes = options.verify ? 2 : 1;
    for (std::size_t i = 0; i < manifest.entries.size(); ++i) {
        const BackupEntry& entry = manifest.entries[i];
        if (!selected(entry.id))
            continue;
        if (entry.id.kind == Kind::Parameters) {
            plan.units += passes * ParameterUnits(m_info);
        } else if (entry.Empty()) {
            if (options.exact) {
                plan.deletes.push_back(entry.id);
                plan.units += 1;
            }
            continue;
        } else {
            // The delete and the blocks; the read-back's size query and blocks.
            plan.units += passes * (1 + BlockCount(entry.frames));
        }
        plan.writes.push_back(i);
        plan.written.push_back(entry.id);
    }
    return plan;
}

// "Копия от 08.12.2026 15:00:44.\nБудут заменены: параметры; программы 1, 3."
std::string CBackupCommands::RestoreQuestionDetail(const std::string& time, const RestorePlan& plan)
{
    const bool parameters = !plan.written.empty() && plan.written.front().kind == Kind::Parameters;
    const std::string numbers = NumberList(plan.written);
    std::string detail = BackupMsg::BACKUP_OF + LocalTimeOfUtc(time).value_or(time) + ".\n" + BackupMsg::REPLACED;
    detail += parameters ? BackupMsg::PARAMETERS : "";
    detail += (parameters && !numbers.empty() ? "; " : "") + numbers;
    if (plan.written.empty())
        detail += BackupMsg::NOTHING;
    if (!plan.deletes.empty())
        detail += std::string(".\n") + BackupMsg::DELETED + NumberList(plan.deletes);
    return detail + ".";
}

bool CBackupCommands::WriteParameterItem(const std::vector<std::uint8_t>& bytes, bool verify,
                                         CJobProgress& progress)
{
    const BackupItemId id{Kind::Parameters, 0};
    std::copy(bytes.begin(), bytes.end(), m_buffer.begin());
    CCountedBlocks counted(progress);
    const ParameterFailure failure = WriteParameterBlocks(m_link, m_info, m_buffer, counted);
    if (failure != ParameterFailure::None) {
        FailItem(failure == ParameterFailure::General ? Msg::GENERAL_WRITE_FAILED : Msg::AXIS_WRITE_FAILED, id,
                 true, ParameterWriteDetail(ParameterBytesInBlocks(m_info, counted.Blocks()), bytes.size()));
        return false;
    }
    if (!verify)
        return true;
    const ReadBack back = ReadBackParameters(m_link, m_info, bytes, m_buffer, progress);
    switch (back.outcome) {
    case ReadBack::Outcome::Same:
        return true;
    case ReadBack::Outcome::Differs:
        m_ui.ShowWarning(Msg::VERIFY_DIFFERS,
                         ItemTitle(id) + BackupMsg::BYTE + std::to_string(back.firstDifference) + ".");
        return false;
    default:
        FailItem(back.parameterFailure == ParameterFailure::Axis ? Msg::AXIS_READ_FAILED
                                                                  : Msg::GENERAL_READ_FAILED,
                 id, true);
        return false;
    }
}

// The delete, then the frames exactly as saved; the last block of a longer
// program carries what the Write command sends after a program's end.
bool CBackupCommands::WriteProgramItem(const BackupItemId& id, const std::vector<std::uint8_t>& frames,
                                       bool verify, CJobProgress& progress)
{
    const bool program = id.kind == Kind::Program;
    const std::uint16_t file = FileNumberOf(id);
    const std::size_t frameSize = m_info.frameSize();
    const unsigned count = static_cast<unsigned>(frames.size() / frameSize);
    std::copy(frames.begin(), frames.end(), m_buffer.begin());
    const std::size_t sent = ProgramBytesSent(count, frameSize);
    for (std::size_t offset = frames.size(); offset < sent; offset += frameSize) {
        const std::vector<std::uint8_t> slot =
            WritePaddingSlot(static_cast<unsigned>(offset / frameSize), frameSize);
        std::copy(slot.begin(), slot.end(), m_buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    }

    if (!DeleteProgram(m_link, file)) {
        FailItem(program ? Msg::PROGRAM_DELETE_FAILED : Msg::SUBPROGRAM_DELETE_FAILED, id, true);
        return false;
    }
    progress.Advance(1);
    CCountedBlocks counted(progress);
    if (!WriteProgramBlocks(m_link, file, count, frameSize, m_buffer, counted)) {
        const int blocks = counted.Blocks();
        const int possible = m_link.LastWriteUnanswered() ? blocks + 1 : blocks;
        FailItem(program ? Msg::PROGRAM_WRITE_FAILED : Msg::SUBPROGRAM_WRITE_FAILED, id, true,
                 ProgramWriteDetail(!program, FramesInBlocks(count, blocks), FramesInBlocks(count, possible),
                                    count));
        return false;
    }
    if (!verify)
        return true;

    const ReadBack back = ReadBackProgram(m_link, file, frameSize, frames, m_buffer, progress);
    progress.Advance(1); // its size query
    switch (back.outcome) {
    case ReadBack::Outcome::Same:
        return true;
    case ReadBack::Outcome::Differs:
        m_ui.ShowWarning(Msg::VERIFY_DIFFERS,
                         ItemTitle(id) + BackupMsg::FRAME + std::to_string(back.firstDifference + 1) +
                             BackupMsg::FRAMES_SAVED + std::to_string(count) + BackupMsg::FRAMES_HELD +
                             std::to_string(back.controllerFrames) + ").");
        return false;
    case ReadBack::Outcome::SizeQueryFailed:
        FailItem(Msg::SIZE_QUERY_FAILED, id, true);
        return false;
    case ReadBack::Outcome::SizeTooLarge:
        FailItem(Msg::PROGRAM_SIZE, id, true);
        return false;
    case ReadBack::Outcome::BlocksFailed:
        break;
    }
    FailItem(program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED, id, true);
    return false;
}
