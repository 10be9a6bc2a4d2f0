// CTransferCommands: Read, Write and Compare, and the check after a write.

#include "transfer/transfer_commands.h"

#include <algorithm>
#include <utility>

#include "image/program_image.h"
#include "link/controller_link.h"
#include "link/link_frame.h"
#include "link/port_open_cause.h"
#include "link/read_back.h"
#include "platform/binary_file.h"
#include "platform/private_temp_file.h"
#include "platform/replacement_file.h"
#include "platform/temp_registry.h"
#include "transfer/difference_report.h"
#include "transfer/failure_detail.h"
#include "transfer/messages.h"
#include "transfer/program_text_conversion.h"
#include "transfer/rewrite_report.h"
#include "transfer/transfer_rules.h"

namespace {

// Passes the progress of a write on to the user and counts the blocks the
// controller confirmed. While it lives, the controller's data are not what
// they were nor what they will be, and a signal that ends the process says
// so (the interrupt note), with the count so far.
class CConfirmedBlocks : public IBlockProgress {
public:
    CConfirmedBlocks(IBlockProgress& shown, std::function<std::string(int)> describe)
        : m_shown(shown), m_describe(std::move(describe))
    {
        Note();
    }
    ~CConfirmedBlocks() override { ClearInterruptNote(); }
    CConfirmedBlocks(const CConfirmedBlocks&) = delete;
    CConfirmedBlocks& operator=(const CConfirmedBlocks&) = delete;

    void SetProgressRange(int low, int high) override { m_shown.SetProgressRange(low, high); }
    void SetProgressPos(int pos) override
    {
        ++m_blocks;
        Note();
        m_shown.SetProgressPos(pos);
    }
    int Blocks() const { return m_blocks; }

private:
    void Note() { SetInterruptNote(std::string(Msg::WRITE_INTERRUPTED) + ". " + m_describe(m_blocks)); }

    IBlockProgress& m_shown;
    std::function<std::string(int)> m_describe;
    int m_blocks = 0;
};

// A scratch buffer for what the controller holds, beside the command's own.
class CScratchBuffer {
public:
    CScratchBuffer() : m_bytes(TRANSFER_BUFFER_SIZE) {}
    TransferBuffer Span() { return TransferBuffer(m_bytes.data(), TRANSFER_BUFFER_SIZE); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// A write that stopped because the program is being ended says so, not
// that the line failed.
FailureStep InterruptedOr(FailureStep failure)
{
    return PendingInterrupt() != 0 ? FailureStep::WriteInterrupted : failure;
}

} // namespace

TransferFailure ClosedPortFailure(const CControllerLink& link)
{
    return TransferFailure(FailureStep::PortClosed, DataKind::Parameters,
                           PortOpenCause(link.PortName(), link.LastOpenError()));
}

CommandResult FailOnClosedPort(ITransferUi& ui, const CControllerLink& link)
{
    ShowFailure(ui, ClosedPortFailure(link));
    return CommandResult::Failed;
}

CTransferCommands::CTransferCommands(CControllerLink& link, ControllerInfo& info,
                                     TransferBuffer buffer, ITransferUi& ui)
    : m_link(link), m_info(info), m_buffer(buffer), m_ui(ui)
{
}

CommandResult CTransferCommands::Fail(TransferFailure failure)
{
    // The transaction that ended a step on the line says why.
    if (IsLinkStep(failure.step) && !failure.link)
        failure.link = m_link.LastFault();
    ShowFailure(m_ui, failure);
    m_failure = std::move(failure);
    return CommandResult::Failed;
}

CommandResult CTransferCommands::Fail(FailureStep step, DataKind kind, std::string detail)
{
    return Fail(TransferFailure{step, kind, std::move(detail)});
}

CommandResult CTransferCommands::FailOnFile(const FileError& error)
{
    return Fail(FailureStep::OpenFile, DataKind::Parameters, FileFailureDetail(error));
}

CommandResult CTransferCommands::Guarded(const std::function<CommandResult()>& command)
{
    m_amount.reset();
    m_failure.reset();
    m_path.clear();
    try {
        return command();
    } catch (const FileException& e) {
        return Fail(TransferFailure::OfFile(e.what(),
                                            FileFailureDetail(e.Error(), e.Error().path != m_path)));
    }
}

CommandResult CTransferCommands::Read(DataKind kind, std::string_view numberText,
                                      const std::string& chosen)
{
    return Guarded([&] { return RunRead(kind, numberText, chosen); });
}

CommandResult CTransferCommands::Write(DataKind kind, std::string_view numberText,
                                       const std::string& chosen)
{
    return Guarded([&] { return RunWrite(kind, numberText, chosen); });
}

CommandResult CTransferCommands::Compare(DataKind kind, std::string_view numberText,
                                         const std::string& chosen)
{
    return Guarded([&] { return RunCompare(kind, numberText, chosen); });
}

// The descriptor is read afresh by every command and checked at once, before
// anything else is asked of the controller or of the file system.
std::optional<TransferFailure> CTransferCommands::CheckPortAndDescriptor(DataKind kind)
{
    // A port whose device went away is tried again under its name.
    if (!m_link.ReopenLost())
        return ClosedPortFailure(m_link);
    const std::optional<ControllerInfo> fresh = ReadDescriptorRecord(m_link);
    if (!fresh)
        return TransferFailure{FailureStep::Descriptor, kind};
    m_info = *fresh;
    if (!DescriptorSupported(kind, m_info))
        return TransferFailure{FailureStep::DescriptorUnsupported, kind};
    return std::nullopt;
}

CommandResult CTransferCommands::RunRead(DataKind kind, std::string_view numberText,
                                         const std::string& chosen)
{
    if (std::optional<TransferFailure> front = CheckPortAndDescriptor(kind))
        return Fail(std::move(*front));

    m_path = ReadPathFor(kind, chosen);
    // The old file stays as it is until the new content is complete.
    CReplacementFile target;
    if (!target.Begin(m_path))
        return FailOnFile(target.LastError());

    if (kind == DataKind::Parameters)
        return ReadParameters(target);
    return ReadProgram(kind, numberText, target);
}

CommandResult CTransferCommands::RunWrite(DataKind kind, std::string_view numberText,
                                          const std::string& chosen)
{
    if (std::optional<TransferFailure> front = CheckPortAndDescriptor(kind))
        return Fail(std::move(*front));
    m_path = WritePathFor(kind, chosen);
    if (kind == DataKind::Parameters)
        return WriteParameters(m_path);

    {
        // Only proves that the program file can be read; the check opens it
        // again.
        CBinaryFile probe;
        if (!probe.Open(m_path, CBinaryFile::Mode::Read))
            return FailOnFile(probe.LastError());
    }
    return WriteProgram(kind, numberText, m_path);
}

bool CTransferCommands::LoadParameterFile(const std::string& path)
{
    CBinaryFile file;
    if (!file.Open(path, CBinaryFile::Mode::Read)) {
        FailOnFile(file.LastError());
        return false;
    }
    const std::size_t bytes = ParameterBytes(m_info);
    if (file.Length() != bytes) {
        Fail(FailureStep::ParameterFileSize, DataKind::Parameters);
        return false;
    }
    if (file.Read(m_buffer.first(bytes)) != bytes)
        throw FileException(FileError{FileErrorCause::EndOfFile, 0, path});
    file.Close();
    return true;
}

// Parameter file: the general block, then one block per axis, no header.
CommandResult CTransferCommands::ReadParameters(CReplacementFile& target)
{
    switch (ReadParameterBlocks(m_link, m_info, m_buffer, m_ui)) {
    case ParameterFailure::General:
        if (PendingInterrupt() != 0)
            return CommandResult::Cancelled; // the file is left as it was
        return Fail(FailureStep::GeneralRead, DataKind::Parameters);
    case ParameterFailure::Axis:
        if (PendingInterrupt() != 0)
            return CommandResult::Cancelled;
        return Fail(FailureStep::AxisRead, DataKind::Parameters);
    case ParameterFailure::None:
        break;
    }
    target.WriteAll(m_buffer.first(ParameterBytes(m_info)));
    target.Commit();
    m_amount = TransferAmount{false, TransferAmount::Unit::Bytes, ParameterBytes(m_info)};
    return CommandResult::Done;
}

CommandResult CTransferCommands::WriteParameters(const std::string& path)
{
    if (!LoadParameterFile(path))
        return CommandResult::Failed;
    const std::size_t bytes = ParameterBytes(m_info);

    const auto confirmed = [&](int blocks) { return ParameterBytesInBlocks(m_info, blocks); };
    CConfirmedBlocks progress(m_ui, [&](int blocks) {
        return ParameterWriteDetail(confirmed(blocks), bytes);
    });
    switch (WriteParameterBlocks(m_link, m_info, m_buffer, progress)) {
    case ParameterFailure::General:
        return Fail(InterruptedOr(FailureStep::GeneralWrite), DataKind::Parameters,
                    ParameterWriteDetail(confirmed(progress.Blocks()), bytes));
    case ParameterFailure::Axis:
        return Fail(InterruptedOr(FailureStep::AxisWrite), DataKind::Parameters,
                    ParameterWriteDetail(confirmed(progress.Blocks()), bytes));
    case ParameterFailure::None:
        break;
    }
    const CommandResult result = m_verify ? VerifyParameters() : CommandResult::Done;
    if (result == CommandResult::Done)
        m_amount = TransferAmount{true, TransferAmount::Unit::Bytes, ParameterBytes(m_info)};
    return result;
}

CommandResult CTransferCommands::ReadProgram(DataKind kind, std::string_view numberText,
                                             CReplacementFile& target)
{
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, ProgramNumberOf(numberText));
    if (!file)
        return Fail(FailureStep::NumberRange, kind);

    const std::optional<unsigned> counted = ReadProgramSize(m_link, *file);
    if (!counted)
        return Fail(FailureStep::SizeQuery, kind);
    const unsigned frames = *counted;
    if (frames > MAX_PROGRAM_FRAMES)
        return Fail(FailureStep::ProgramSize, kind);

    const std::size_t frameSize = m_info.frameSize();
    if (!ReadProgramBlocks(m_link, *file, frames, frameSize, m_buffer, m_ui)) {
        if (PendingInterrupt() != 0)
            return CommandResult::Cancelled; // the file is left as it was
        return Fail(FailureStep::ProgramRead, kind);
    }

    CPrivateTempFile imageFile;
    if (!imageFile.Create())
        throw FileException(imageFile.LastError());
    CBinaryFile image;
    if (!image.Open(imageFile.Path(), CBinaryFile::Mode::CreateWrite))
        throw FileException(image.LastError());
    image.Write(m_buffer.first(frames * frameSize));
    image.Close();

    if (std::optional<TransferFailure> failure = ExportProgramText(imageFile.Path(), target, true))
        return Fail(std::move(*failure));
    m_amount = TransferAmount{false, TransferAmount::Unit::Words, frames};
    return CommandResult::Done;
}

// The last block of a longer program carries the image's empty frames after
// the program's end; the part of a block the image file does not reach is
// sent as zeros, never as bytes of an earlier command.
ImportOutcome CTransferCommands::ImportToBuffer(DataKind kind, const std::string& path,
                                                std::vector<LossyLine>* lossy, bool disabledWords)
{
    CPrivateTempFile imageFile;
    if (!imageFile.Create())
        throw FileException(imageFile.LastError());
    ImportOutcome imported = ImportProgramText(kind, path, imageFile.Path(), lossy, disabledWords);
    if (imported.failure)
        return imported;
    const auto frames = static_cast<unsigned>(imported.frames);
    const std::size_t sent = ProgramBytesSent(frames, m_info.frameSize());
    std::fill_n(m_buffer.begin(), sent, std::uint8_t{0});
    CBinaryFile image;
    if (!image.Open(imageFile.Path(), CBinaryFile::Mode::Read))
        throw FileException(image.LastError());
    image.Read(m_buffer.first(sent));
    image.Close();
    return imported;
}

CommandResult CTransferCommands::WriteProgram(DataKind kind, std::string_view numberText,
                                              const std::string& path)
{
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, ProgramNumberOf(numberText));
    if (!file)
        return Fail(FailureStep::NumberRange, kind);

    std::vector<LossyLine> lossy;
    ImportOutcome imported = ImportToBuffer(kind, path, &lossy, false);
    if (imported.failure)
        return Fail(std::move(*imported.failure));
    const auto frames = static_cast<unsigned>(imported.frames);
    // Nothing has been changed in the controller yet.
    if (!ConfirmLossyLines(lossy, m_ui))
        return CommandResult::Cancelled;

    const bool subprogram = kind == DataKind::Subprogram;
    const std::size_t frameSize = m_info.frameSize();
    const auto written = [frames](int blocks) { return FramesInBlocks(frames, blocks); };
    // Should the process end now, the block under way may have been stored.
    CConfirmedBlocks progress(m_ui, [&](int blocks) {
        return ProgramWriteDetail(subprogram, written(blocks), written(blocks + 1), frames);
    });
    if (!DeleteProgram(m_link, *file))
        return Fail(FailureStep::ProgramDelete, kind);
    if (!WriteProgramBlocks(m_link, *file, frames, frameSize, m_buffer, progress)) {
        const int blocks = progress.Blocks();
        return Fail(InterruptedOr(FailureStep::ProgramWrite), kind,
                    ProgramWriteDetail(subprogram, written(blocks),
                                       written(m_link.LastWriteUnanswered() ? blocks + 1 : blocks), frames));
    }
    const CommandResult result =
        m_verify ? VerifyProgram(kind, *file, frames, path) : CommandResult::Done;
    if (result == CommandResult::Done)
        m_amount = TransferAmount{true, TransferAmount::Unit::Words, frames};
    return result;
}

// The front part of Write, then the Read command's transactions instead of
// the write's.
CommandResult CTransferCommands::RunCompare(DataKind kind, std::string_view numberText,
                                            const std::string& chosen)
{
    if (std::optional<TransferFailure> front = CheckPortAndDescriptor(kind))
        return Fail(std::move(*front));
    m_path = WritePathFor(kind, chosen);
    if (kind == DataKind::Parameters)
        return CompareParameters(m_path);

    const std::uint16_t number = ProgramNumberOf(numberText);
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, number);
    if (!file)
        return Fail(FailureStep::NumberRange, kind);
    return CompareProgram(kind, number, *file, m_path);
}

CommandResult CTransferCommands::CompareParameters(const std::string& path)
{
    if (!LoadParameterFile(path))
        return CommandResult::Failed;
    CScratchBuffer scratch;
    const std::span<const std::uint8_t> expected = m_buffer.first(ParameterBytes(m_info));
    const ReadBack back = ReadBackParameters(m_link, m_info, expected, scratch.Span(), m_ui);
    const std::string subject = CompareSubject(DataKind::Parameters, 0, path);
    switch (back.outcome) {
    case ReadBack::Outcome::Same:
        m_ui.ShowInformation(Msg::COMPARE_SAME, subject);
        return CommandResult::Done;
    case ReadBack::Outcome::Differs:
        m_ui.ShowInformation(Msg::COMPARE_DIFFERS,
                             subject + "\n" + ByteDifference(back, expected, scratch.Span()));
        return CommandResult::Differs;
    default:
        return FailReadBack(back, DataKind::Parameters);
    }
}

// The file is read as the controller would store it, disabled words too;
// equal when every word is the controller's and no line would be stored
// otherwise than it is written.
CommandResult CTransferCommands::CompareProgram(DataKind kind, std::uint16_t number,
                                                std::uint16_t file, const std::string& path)
{
    std::vector<LossyLine> lossy;
    ImportOutcome imported = ImportToBuffer(kind, path, &lossy, true);
    const std::string subject = CompareSubject(kind, number, path);
    if (imported.failure) {
        if (imported.failure->step != FailureStep::LineRejected)
            return Fail(std::move(*imported.failure));
        // A line that is no word says nothing the controller could hold.
        m_ui.ShowInformation(Msg::COMPARE_DIFFERS,
                             subject + "\n" + UnreadableLine(imported.failure->line,
                                                             imported.rejectedLine));
        return CommandResult::Differs;
    }
    const auto frames = static_cast<unsigned>(imported.frames);

    CScratchBuffer scratch;
    const std::size_t frameSize = m_info.frameSize();
    const ReadBack back = ReadBackProgram(m_link, file, frameSize,
                                          m_buffer.first(frames * frameSize), scratch.Span(), m_ui);
    if (back.outcome != ReadBack::Outcome::Same && back.outcome != ReadBack::Outcome::Differs)
        return FailReadBack(back, kind);
    const std::optional<std::string> word =
        back.outcome == ReadBack::Outcome::Same
            ? std::nullopt
            : WordDifference(m_buffer, frames, scratch.Span(), back.controllerFrames, frameSize,
                             path);
    if (!word && lossy.empty()) {
        m_ui.ShowInformation(Msg::COMPARE_SAME, subject + ": " + LineCount(frames));
        return CommandResult::Done;
    }
    std::string detail = subject;
    if (word)
        detail += "\n" + *word;
    if (!lossy.empty())
        detail += "\n" + DescribeLossyLines(lossy, m_ui.ListsEveryLine(), Msg::COMPARE_REWRITES_HEADER);
    m_ui.ShowInformation(Msg::COMPARE_DIFFERS, detail);
    return CommandResult::Differs;
}

CommandResult CTransferCommands::VerifyParameters()
{
    CScratchBuffer scratch;
    const std::span<const std::uint8_t> sent = m_buffer.first(ParameterBytes(m_info));
    const ReadBack back = ReadBackParameters(m_link, m_info, sent, scratch.Span(), m_ui);
    if (back.outcome == ReadBack::Outcome::Same)
        return CommandResult::Done;
    if (back.outcome != ReadBack::Outcome::Differs)
        return FailReadBack(back, DataKind::Parameters);
    return Fail(FailureStep::VerifyDiffers, DataKind::Parameters,
                ByteDifference(back, sent, scratch.Span()));
}

CommandResult CTransferCommands::VerifyProgram(DataKind kind, std::uint16_t file, unsigned frames,
                                               const std::string& path)
{
    CScratchBuffer scratch;
    const std::size_t frameSize = m_info.frameSize();
    const ReadBack back = ReadBackProgram(m_link, file, frameSize, m_buffer.first(frames * frameSize),
                                          scratch.Span(), m_ui);
    if (back.outcome == ReadBack::Outcome::Same)
        return CommandResult::Done;
    if (back.outcome != ReadBack::Outcome::Differs)
        return FailReadBack(back, kind);
    return Fail(FailureStep::VerifyDiffers, kind,
                ProgramDifference(back, m_buffer, frames, scratch.Span(), frameSize, path));
}

// The Read command's own failure for a read-back that did not get the data.
CommandResult CTransferCommands::FailReadBack(const ReadBack& back, DataKind kind)
{
    switch (back.outcome) {
    case ReadBack::Outcome::SizeQueryFailed:
        return Fail(FailureStep::SizeQuery, kind);
    case ReadBack::Outcome::SizeTooLarge:
        return Fail(FailureStep::ProgramSize, kind);
    default:
        break;
    }
    if (kind == DataKind::Parameters)
        return Fail(back.parameterFailure == ParameterFailure::General ? FailureStep::GeneralRead
                                                                       : FailureStep::AxisRead,
                    kind);
    return Fail(FailureStep::ProgramRead, kind);
}
