// CBackupCommands: the whole controller read into a backup folder and written back.
#include "backup/backup_commands.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "backup/backup_messages.h"
#include "backup/backup_writer.h"
#include "codec/hex_text.h"
#include "platform/clock_text.h"
#include "transfer/transfer_rules.h"
#include "backup/job_progress.h"
#include "transfer/messages.h"
#include "link/read_back.h"
#include "backup/sha256.h"
#include "platform/staged_folder.h"
#include "platform/binary_file.h"
#include "image/program_image.h"
#include "link/controller_link.h"

namespace {

using Kind = BackupItemId::Kind;
using Clock = std::chrono::steady_clock;

constexpr const char* NOTHING_WRITTEN = "Ничего не записано в контроллер.";

// An import fills the first 8000 bytes of the image with 0xFF and then puts
// the empty frame at the start of every slot of the area; the second halves
// of slots past those 8000 bytes are never written and read as zeros.
constexpr std::size_t IMAGE_FILL_BYTES = 8000;
constexpr std::uint8_t IMAGE_FILL = 0xFF;

std::uint16_t FileNumberOf(const BackupItemId& id)
{
    return ProgramFileNumber(LinkFileOf(id.kind), id.number);
}

std::string RestoreFailureDetail(const BackupItemId& id)
{
    return ItemTitle(id) + " — восстановление остановлено; записанное до этого осталось в контроллере.";
}

std::string HexOf(const ControllerInfo& info)
{
    return HexBytes(info.bytes, "");
}

std::string Duration(Clock::duration elapsed)
{
    const long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
    if (seconds < 60)
        return std::to_string(seconds) + " с";
    return std::to_string(seconds / 60) + " мин " + std::to_string(seconds % 60) + " с";
}

// "параметры, программ: 3, подпрограмм: 2 (слов: 1013)"
std::string Tally(bool parameters, unsigned programs, unsigned subprograms, unsigned words)
{
    std::string text;
    if (parameters)
        text = "параметры";
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (programs > 0)
        add("программ: " + std::to_string(programs));
    if (subprograms > 0)
        add("подпрограмм: " + std::to_string(subprograms));
    if (programs + subprograms > 0)
        text += " (слов: " + std::to_string(words) + ")";
    return text.empty() ? "ничего" : text;
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
        text = "программы " + programs;
    if (!subprograms.empty())
        text += (text.empty() ? "" : "; ") + std::string("подпрограммы ") + subprograms;
    return text;
}

int ParameterUnits(const ControllerInfo& info)
{
    return static_cast<int>(info.generalParamSize() / GENERAL_BLOCK + info.axisCount());
}

// A backup folder checked whole: the manifest, and every file against its
// size and checksum. Nothing after a message saying what is wrong.
struct LoadedBackup {
    BackupManifest manifest;
    // The bytes of each entry's file, in the manifest's order.
    std::vector<std::vector<std::uint8_t>> contents;
};

std::optional<LoadedBackup> LoadBackup(const std::string& folder, ITransferUi& ui)
{
    const std::string manifestPath = folder + "/" + MANIFEST_NAME;
    const std::optional<std::vector<std::uint8_t>> manifestBytes = ReadBackupFile(manifestPath);
    if (!manifestBytes) {
        ui.ShowWarning(BackupMsg::BACKUP_MISSING, folder + "\n" + NOTHING_WRITTEN);
        return std::nullopt;
    }
    std::string error;
    const std::optional<BackupManifest> manifest =
        ParseManifest(std::string(manifestBytes->begin(), manifestBytes->end()), error);
    if (!manifest) {
        ui.ShowWarning(BackupMsg::BACKUP_DAMAGED, manifestPath + ": " + error + "\n" + NOTHING_WRITTEN);
        return std::nullopt;
    }
    const std::size_t frameSize = manifest->descriptor.frameSize();
    LoadedBackup backup{*manifest, std::vector<std::vector<std::uint8_t>>(manifest->entries.size())};
    for (std::size_t i = 0; i < manifest->entries.size(); ++i) {
        const BackupEntry& entry = manifest->entries[i];
        if (entry.Empty())
            continue;
        const std::size_t expected = entry.id.kind == Kind::Parameters
                                         ? ParameterBytes(manifest->descriptor)
                                         : std::size_t{entry.frames} * frameSize;
        const auto damaged = [&](const std::string& file, const std::string& why) {
            ui.ShowWarning(BackupMsg::BACKUP_DAMAGED, folder + "/" + file + ": " + why + "\n" + NOTHING_WRITTEN);
            return std::nullopt;
        };
        std::optional<std::vector<std::uint8_t>> bytes = ReadBackupFile(folder + "/" + entry.file);
        if (!bytes)
            return damaged(entry.file, "файл не открывается");
        const bool sizeOk = entry.id.kind == Kind::Parameters ? entry.bytes == expected
                                                              : entry.frames <= MAX_PROGRAM_FRAMES;
        if (!sizeOk || bytes->size() != expected)
            return damaged(entry.file, "неверный размер");
        if (Sha256Hex(*bytes) != entry.sha256)
            return damaged(entry.file, "контрольная сумма не совпадает");
        if (!entry.textFile.empty()) {
            const std::optional<std::vector<std::uint8_t>> text = ReadBackupFile(folder + "/" + entry.textFile);
            if (!text)
                return damaged(entry.textFile, "файл не открывается");
            if (Sha256Hex(*text) != entry.textSha256)
                return damaged(entry.textFile, "контрольная сумма не совпадает");
        }
        backup.contents[i] = std::move(*bytes);
    }

    return backup;
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
        m_ui.ShowWarning(e.what(), "Прежняя копия в папке не изменена.");
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

CommandResult CBackupCommands::FailItem(const char* message, const BackupItemId& id, bool restoring)
{
    m_ui.ShowWarning(message, restoring ? RestoreFailureDetail(id) : BackupFailureDetail(id));
    return CommandResult::Failed;
}

CommandResult CBackupCommands::RunBackup(const std::string& folder)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const Clock::time_point start = Clock::now();
    BackupManifest manifest;
    manifest.time = UtcTimestamp();
    if (!ReadDescriptor())
        return CommandResult::Failed;
    manifest.descriptor = m_info;

    CStagedFolder staged(MANIFEST_NAME);
    switch (staged.Begin(folder)) {
    case CStagedFolder::Start::Ready:
        break;
    case CStagedFolder::Start::Foreign:
        m_ui.ShowWarning(BackupMsg::FOLDER_FOREIGN,
                         folder + "\nВыберите пустую папку или папку прежней резервной копии.");
        return CommandResult::Failed;
    case CStagedFolder::Start::Failed:
        m_ui.ShowWarning(FileErrorMessage(staged.LastError()));
        return CommandResult::Failed;
    }

    // The sizes first, so that the bar covers the whole job from then on.
    const std::vector<BackupItemId> items = AllBackupItems();
    const int surveyUnits = static_cast<int>(items.size()) - 1;
    CJobProgress progress(m_ui);
    progress.SetTotal(surveyUnits + ParameterUnits(m_info));
    int blockUnits = 0;
    for (const BackupItemId& id : items) {
        BackupEntry entry;
        entry.id = id;
        if (id.kind != Kind::Parameters) {
            const std::optional<unsigned> frames = ReadProgramSize(m_link, FileNumberOf(id));
            if (!frames)
                return FailItem(Msg::SIZE_QUERY_FAILED, id, false);
            if (*frames > MAX_PROGRAM_FRAMES)
                return FailItem(Msg::PROGRAM_SIZE, id, false);
            entry.frames = *frames;
            blockUnits += BlockCount(*frames);
            progress.Advance(1);
        }
        manifest.entries.push_back(entry);
    }
    progress.SetTotal(surveyUnits + ParameterUnits(m_info) + blockUnits);

    // The line goes on with the next item while the writer stores this one.
    CBackupWriter writer(staged.Path());
    unsigned programs = 0;
    unsigned subprograms = 0;
    unsigned words = 0;
    const std::size_t frameSize = m_info.frameSize();
    for (BackupEntry& entry : manifest.entries) {
        if (writer.Failed())
            break;
        if (entry.id.kind == Kind::Parameters) {
            switch (ReadParameterBlocks(m_link, m_info, m_buffer, progress)) {
            case ParameterFailure::General:
                return FailItem(Msg::GENERAL_READ_FAILED, entry.id, false);
            case ParameterFailure::Axis:
                return FailItem(Msg::AXIS_READ_FAILED, entry.id, false);
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
        if (!ReadProgramBlocks(m_link, FileNumberOf(entry.id), entry.frames, frameSize, m_buffer,
                               progress))
            return FailItem(program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED, entry.id,
                            false);
        const auto frames = m_buffer.first(std::size_t{entry.frames} * frameSize);
        writer.Put(entry, {frames.begin(), frames.end()});
        (program ? programs : subprograms) += 1;
        words += entry.frames;
    }
    if (const std::optional<CBackupWriter::Failure> failure = writer.Finish()) {
        m_ui.ShowWarning(failure->text, failure->detail);
        return CommandResult::Failed;
    }

    const std::string text = FormatManifest(manifest);
    WriteBackupFile(staged.Path() + "/" + MANIFEST_NAME,
                 std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    staged.Commit();

    const unsigned empty = PROGRAM_COUNT + SUBPROGRAM_COUNT - programs - subprograms;
    m_ui.ShowInformation(BackupMsg::BACKUP_DONE,
                         "Сохранено: " + Tally(true, programs, subprograms, words) +
                             "; пустых программ и подпрограмм: " + std::to_string(empty) +
                             ".\nВремя: " + Duration(Clock::now() - start) + ".\nПапка: " +
                             staged.Target());
    return CommandResult::Done;
}

CommandResult CBackupCommands::RunRestore(const std::string& folder, const RestoreOptions& options)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const Clock::time_point start = Clock::now();

    const std::optional<LoadedBackup> backup = LoadBackup(folder, m_ui);
    if (!backup)
        return CommandResult::Failed;
    const BackupManifest& manifest = backup->manifest;
    const std::vector<std::vector<std::uint8_t>>& contents = backup->contents;

    const std::optional<ControllerInfo> fresh = ReadDescriptorRecord(m_link);
    if (!fresh) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_FAILED);
        return CommandResult::Failed;
    }
    if (fresh->bytes != manifest.descriptor.bytes) {
        m_ui.ShowWarning(BackupMsg::DESCRIPTOR_MISMATCH, "В копии: " + HexOf(manifest.descriptor) +
                                                             "\nВ контроллере: " + HexOf(*fresh) +
                                                             "\n" + NOTHING_WRITTEN);
        return CommandResult::Failed;
    }
    m_info = *fresh;
    if (!DescriptorSupported(DataKind::Parameters, m_info) ||
        !DescriptorSupported(DataKind::Program, m_info)) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_UNSUPPORTED);
        return CommandResult::Failed;
    }

    // What will be written and what deleted.
    const auto selected = [&](const BackupItemId& id) {
        return !options.only ||
               std::find(options.only->begin(), options.only->end(), id) != options.only->end();
    };
    std::vector<std::size_t> writes;
    std::vector<BackupItemId> written;
    std::vector<BackupItemId> deletes;
    int units = 0;
    const int passes = options.verify ? 2 : 1;
    for (std::size_t i = 0; i < manifest.entries.size(); ++i) {
        const BackupEntry& entry = manifest.entries[i];
        if (!selected(entry.id))
            continue;
        if (entry.id.kind == Kind::Parameters) {
            units += passes * ParameterUnits(m_info);
        } else if (entry.Empty()) {
            if (!options.exact)
                continue;
            deletes.push_back(entry.id);
            units += 1;
            continue;
        } else {
            // The delete and the blocks; the read-back's size query and blocks.
            units += passes * (1 + BlockCount(entry.frames));
        }
        writes.push_back(i);
        written.push_back(entry.id);
    }

    if (options.confirm) {
        const bool parameters = !written.empty() && written.front().kind == Kind::Parameters;
        std::string detail = "Копия от " + manifest.time + ".\nБудут заменены: ";
        const std::string numbers = NumberList(written);
        detail += parameters ? "параметры" : "";
        detail += (parameters && !numbers.empty() ? "; " : "") + numbers;
        if (written.empty())
            detail += "ничего";
        if (!deletes.empty())
            detail += ".\nБудут удалены: " + NumberList(deletes);
        detail += ".";
        if (!m_ui.AskYesNo(BackupMsg::RESTORE_QUESTION, detail))
            return CommandResult::Cancelled;
    }

    CJobProgress progress(m_ui);
    progress.SetTotal(units);
    unsigned programs = 0;
    unsigned subprograms = 0;
    unsigned words = 0;
    bool parameters = false;
    for (const std::size_t i : writes) {
        const BackupEntry& entry = manifest.entries[i];
        if (entry.id.kind == Kind::Parameters) {
            if (!WriteParameterItem(contents[i], options.verify, progress))
                return CommandResult::Failed;
            parameters = true;
            continue;
        }
        if (!WriteProgramItem(entry.id, contents[i], options.verify, progress))
            return CommandResult::Failed;
        (entry.id.kind == Kind::Program ? programs : subprograms) += 1;
        words += entry.frames;
    }
    for (const BackupItemId& id : deletes) {
        if (!DeleteProgram(m_link, FileNumberOf(id)))
            return FailItem(id.kind == Kind::Program ? Msg::PROGRAM_DELETE_FAILED
                                                     : Msg::SUBPROGRAM_DELETE_FAILED,
                            id, true);
        progress.Advance(1);
    }

    std::string detail = "Записано: " + Tally(parameters, programs, subprograms, words);
    if (!deletes.empty())
        detail += "; удалены пустые в копии: " + NumberList(deletes);
    if (options.verify)
        detail += ".\nПроверено чтением: всё совпадает";
    detail += ".\nВремя: " + Duration(Clock::now() - start) + ".";
    m_ui.ShowInformation(BackupMsg::RESTORE_DONE, detail);
    return CommandResult::Done;
}

bool CBackupCommands::WriteParameterItem(const std::vector<std::uint8_t>& bytes, bool verify,
                                         CJobProgress& progress)
{
    const BackupItemId id{Kind::Parameters, 0};
    std::copy(bytes.begin(), bytes.end(), m_buffer.begin());
    switch (WriteParameterBlocks(m_link, m_info, m_buffer, progress)) {
    case ParameterFailure::General:
        FailItem(Msg::GENERAL_WRITE_FAILED, id, true);
        return false;
    case ParameterFailure::Axis:
        FailItem(Msg::AXIS_WRITE_FAILED, id, true);
        return false;
    case ParameterFailure::None:
        break;
    }
    if (!verify)
        return true;
    const ReadBack back = ReadBackParameters(m_link, m_info, bytes, m_buffer, progress);
    switch (back.outcome) {
    case ReadBack::Outcome::Same:
        return true;
    case ReadBack::Outcome::Differs:
        m_ui.ShowWarning(Msg::VERIFY_DIFFERS,
                         ItemTitle(id) + ", байт " + std::to_string(back.firstDifference) + ".");
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
    if (!WriteProgramBlocks(m_link, file, count, frameSize, m_buffer, progress)) {
        FailItem(program ? Msg::PROGRAM_WRITE_FAILED : Msg::SUBPROGRAM_WRITE_FAILED, id, true);
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
                         ItemTitle(id) + ", кадр " + std::to_string(back.firstDifference + 1) +
                             " (кадров в копии: " + std::to_string(count) +
                             ", в контроллере: " + std::to_string(back.controllerFrames) + ").");
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
