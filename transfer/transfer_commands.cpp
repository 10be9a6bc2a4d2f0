#include "transfer/transfer_commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <utility>

#include "transfer/failure_detail.h"
#include "transfer/messages.h"
#include "platform/replacement_file.h"
#include "transfer/rewrite_report.h"
#include "platform/binary_file.h"
#include "platform/private_temp_file.h"
#include "platform/temp_registry.h"
#include "image/program_image.h"
#include "link/controller_link.h"
#include "link/link_frame.h"
#include "link/port_open_cause.h"

namespace {

constexpr unsigned PROGRAM_NUMBER_MAX = 20;
constexpr unsigned SUBPROGRAM_NUMBER_MAX = 50;
constexpr std::int32_t IMAGE_KIND = 3;

constexpr const char* PARAMETER_EXTENSION = ".paramVem730";
constexpr const char* PROGRAM_EXTENSION = ".prgVem730";

const char* ExtensionFor(DataKind kind)
{
    return kind == DataKind::Parameters ? PARAMETER_EXTENSION : PROGRAM_EXTENSION;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

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

// A write that stopped because the program is being ended says so, not
// that the line failed.
const char* InterruptedOr(const char* failure)
{
    return PendingInterrupt() != 0 ? Msg::WRITE_INTERRUPTED : failure;
}

LinkFile LinkFileFor(DataKind kind)
{
    return kind == DataKind::Program ? LinkFile::Program : LinkFile::Subprogram;
}

} // namespace

std::uint16_t ProgramNumberOf(std::string_view text)
{
    std::uint16_t value = 0;
    for (const char c : text) {
        const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - unsigned{'0'};
        value = static_cast<std::uint16_t>(value * 10u + digit);
    }
    return value;
}

std::string ReadPathFor(DataKind kind, const std::string& chosen)
{
    const std::string extension = ExtensionFor(kind);
    return chosen.find(extension) == std::string::npos ? chosen + extension : chosen;
}

std::string WritePathFor(DataKind kind, const std::string& chosen)
{
    // A file the user picked under "All Files", such as a post-processor's
    // output, is sent as it is.
    std::error_code error;
    if (std::filesystem::is_regular_file(chosen, error))
        return chosen;
    const std::string extension = ExtensionFor(kind);
    return Lower(chosen).find(Lower(extension)) == std::string::npos ? chosen + extension : chosen;
}

bool DescriptorSupported(DataKind kind, const ControllerInfo& info)
{
    if (kind != DataKind::Parameters)
        return info.frameSize() == SLOT_SIZE;
    const std::size_t general = info.generalParamSize();
    const std::size_t axis = info.axisParamSize();
    const std::size_t readSpan = (general / GENERAL_BLOCK + 1) * GENERAL_BLOCK;
    return readSpan <= TRANSFER_BUFFER_SIZE &&
           general + info.axisCount() * axis <= TRANSFER_BUFFER_SIZE && axis <= LinkFrame::MAX_WRITE_DATA;
}

std::optional<int> ImportProgramText(DataKind kind, const std::string& textPath,
                                     const std::string& imagePath, ITransferUi& ui,
                                     std::vector<LossyLine>* lossy)
{
    CProgramImage image(IMAGE_KIND, textPath, imagePath, 0, 0);
    image.CollectLossyLines(lossy);
    if (kind == DataKind::Program)
        image.SelectProgram(0);
    else
        image.SelectSubprogram(0);

    const int rejected = image.CheckText();
    if (rejected == -1) {
        ui.ShowWarning(Msg::CANNOT_OPEN_FILE,
                       image.FileFailure() ? FileFailureDetail(*image.FileFailure()) : "");
        return std::nullopt;
    }
    if (rejected > 0) {
        // A word disabled in the controller is exported as a comment line.
        const bool disabled = image.RejectedLine().starts_with("//");
        ui.ShowWarning(Msg::LINE_REJECTED + std::to_string(rejected),
                       disabled ? Msg::DISABLED_LINE : "");
        return std::nullopt;
    }
    const int frames = image.ImportText();
    if (image.FileFailure()) {
        const FileError& error = *image.FileFailure();
        ui.ShowWarning(FileErrorMessage(error), FileFailureDetail(error, error.path != textPath));
        return std::nullopt;
    }
    // No frame at all, or more lines than the area holds.
    if (frames <= 0) {
        ui.ShowWarning(Msg::PROGRAM_SIZE);
        return std::nullopt;
    }
    return frames;
}

bool ExportProgramText(const std::string& imagePath, CReplacementFile& target, ITransferUi& ui,
                       bool scratchImage)
{
    CProgramImage image(IMAGE_KIND, imagePath, target.TempPath(), 0, 0);
    if (!image.ExportText()) {
        if (!image.FileFailure()) {
            ui.ShowWarning(Msg::DECODE_FAILED);
            return false;
        }
        const FileError error = target.AsTargetError(*image.FileFailure());
        ui.ShowWarning(FileErrorMessage(error),
                       FileFailureDetail(error, scratchImage && error.path != target.Target()));
        return false;
    }
    target.Commit();
    return true;
}

CTransferCommands::CTransferCommands(CControllerLink& link, ControllerInfo& info,
                                     TransferBuffer buffer, ITransferUi& ui)
    : m_link(link), m_info(info), m_buffer(buffer), m_ui(ui)
{
}

CommandResult FailOnClosedPort(ITransferUi& ui, const CControllerLink& link)
{
    ui.ShowWarning(Msg::PORT_CLOSED, PortOpenCause(link.PortName(), link.LastOpenError()));
    return CommandResult::Failed;
}

CommandResult CTransferCommands::Fail(const char* message, const std::string& detail)
{
    m_ui.ShowWarning(message, detail);
    return CommandResult::Failed;
}

CommandResult CTransferCommands::FailOnFile(const char* message, const FileError& error)
{
    return Fail(message, FileFailureDetail(error));
}

// A file-system failure anywhere in a command ends it with the file
// layer's message and, under it, the cause.
CommandResult CTransferCommands::Run(CommandResult (CTransferCommands::*command)(DataKind,
                                                                               std::string_view),
                                     DataKind kind, std::string_view numberText)
{
    m_amount.reset();
    m_path.clear();
    try {
        return (this->*command)(kind, numberText);
    } catch (const FileException& e) {
        m_ui.ShowWarning(e.what(), FileFailureDetail(e.Error(), e.Error().path != m_path));
        return CommandResult::Failed;
    }
}

CommandResult CTransferCommands::Read(DataKind kind, std::string_view numberText)
{
    return Run(&CTransferCommands::RunRead, kind, numberText);
}

CommandResult CTransferCommands::Write(DataKind kind, std::string_view numberText)
{
    return Run(&CTransferCommands::RunWrite, kind, numberText);
}

// The descriptor is read afresh by every command and checked at once, before
// anything else is asked of the controller or of the file system.
bool CTransferCommands::ReadDescriptor(DataKind kind)
{
    const std::optional<ControllerInfo> fresh = ReadDescriptorRecord(m_link);
    if (!fresh) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_FAILED);
        return false;
    }
    m_info = *fresh;
    if (!DescriptorSupported(kind, m_info)) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_UNSUPPORTED);
        return false;
    }
    return true;
}

CommandResult CTransferCommands::RunRead(DataKind kind, std::string_view numberText)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const char* filter = kind == DataKind::Parameters ? Msg::PARAMETER_FILTER : Msg::PROGRAM_FILTER;
    const std::optional<std::string> chosen = m_ui.ChooseFile(FileDialogKind::SaveAs, filter);
    if (!chosen)
        return CommandResult::Cancelled;
    if (!ReadDescriptor(kind))
        return CommandResult::Failed;

    const std::string path = ReadPathFor(kind, *chosen);
    m_path = path;
    // The old file stays as it is until the new content is complete.
    CReplacementFile target;
    if (!target.Begin(path))
        return FailOnFile(Msg::CANNOT_OPEN_FILE, target.LastError());

    if (kind == DataKind::Parameters)
        return ReadParameters(target);
    return ReadProgram(kind, numberText, target);
}

// The front part of Write and Compare: the port, the file to send or compare
// and the descriptor. Done with `path` set, or how the command ends.
CommandResult CTransferCommands::ChooseFileToSend(DataKind kind, std::string& path)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const char* filter = kind == DataKind::Parameters ? Msg::PARAMETER_FILTER : Msg::PROGRAM_FILTER;
    const std::optional<std::string> chosen = m_ui.ChooseFile(FileDialogKind::Open, filter);
    if (!chosen)
        return CommandResult::Cancelled;
    if (!ReadDescriptor(kind))
        return CommandResult::Failed;
    path = WritePathFor(kind, *chosen);
    m_path = path;
    return CommandResult::Done;
}

CommandResult CTransferCommands::RunWrite(DataKind kind, std::string_view numberText)
{
    std::string path;
    if (const CommandResult front = ChooseFileToSend(kind, path); front != CommandResult::Done)
        return front;
    if (kind == DataKind::Parameters)
        return WriteParameters(path);

    {
        // Only proves that the program file can be read; the check opens it
        // again.
        CBinaryFile probe;
        if (!probe.Open(path, CBinaryFile::Mode::Read))
            return FailOnFile(Msg::CANNOT_OPEN_FILE, probe.LastError());
    }
    return WriteProgram(kind, numberText, path);
}

bool CTransferCommands::LoadParameterFile(const std::string& path)
{
    CBinaryFile file;
    if (!file.Open(path, CBinaryFile::Mode::Read)) {
        FailOnFile(Msg::CANNOT_OPEN_FILE, file.LastError());
        return false;
    }
    const std::size_t bytes = ParameterBytes(m_info);
    if (file.Length() != bytes) {
        Fail(Msg::PARAM_FILE_SIZE);
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
        return Fail(Msg::GENERAL_READ_FAILED);
    case ParameterFailure::Axis:
        if (PendingInterrupt() != 0)
            return CommandResult::Cancelled;
        return Fail(Msg::AXIS_READ_FAILED);
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
        return Fail(InterruptedOr(Msg::GENERAL_WRITE_FAILED),
                    ParameterWriteDetail(confirmed(progress.Blocks()), bytes));
    case ParameterFailure::Axis:
        return Fail(InterruptedOr(Msg::AXIS_WRITE_FAILED),
                    ParameterWriteDetail(confirmed(progress.Blocks()), bytes));
    case ParameterFailure::None:
        break;
    }
    const CommandResult result = m_verify ? VerifyParameters() : CommandResult::Done;
    if (result == CommandResult::Done)
        m_amount = TransferAmount{true, TransferAmount::Unit::Bytes, ParameterBytes(m_info)};
    return result;
}

std::optional<std::uint16_t> ProgramFileFor(DataKind kind, std::string_view numberText,
                                            ITransferUi& ui)
{
    const unsigned number = ProgramNumberOf(numberText);
    const bool program = kind == DataKind::Program;
    const unsigned highest = program ? PROGRAM_NUMBER_MAX : SUBPROGRAM_NUMBER_MAX;
    if (number < 1 || number > highest) {
        ui.ShowWarning(program ? Msg::PROGRAM_RANGE : Msg::SUBPROGRAM_RANGE);
        return std::nullopt;
    }
    return ProgramFileNumber(LinkFileFor(kind), number);
}

CommandResult CTransferCommands::ReadProgram(DataKind kind, std::string_view numberText,
                                             CReplacementFile& target)
{
    const bool program = kind == DataKind::Program;
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, numberText, m_ui);
    if (!file)
        return CommandResult::Failed;

    const std::optional<unsigned> counted = ReadProgramSize(m_link, *file);
    if (!counted)
        return Fail(Msg::SIZE_QUERY_FAILED);
    const unsigned frames = *counted;
    if (frames > MAX_PROGRAM_FRAMES)
        return Fail(Msg::PROGRAM_SIZE);

    const std::size_t frameSize = m_info.frameSize();
    if (!ReadProgramBlocks(m_link, *file, frames, frameSize, m_buffer, m_ui)) {
        if (PendingInterrupt() != 0)
            return CommandResult::Cancelled; // the file is left as it was
        return Fail(program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED);
    }

    CPrivateTempFile imageFile;
    if (!imageFile.Create())
        throw FileException(imageFile.LastError());
    CBinaryFile image;
    if (!image.Open(imageFile.Path(), CBinaryFile::Mode::CreateWrite))
        throw FileException(image.LastError());
    image.Write(m_buffer.first(frames * frameSize));
    image.Close();

    if (!ExportProgramText(imageFile.Path(), target, m_ui, true))
        return CommandResult::Failed;
    m_amount = TransferAmount{false, TransferAmount::Unit::Words, frames};
    return CommandResult::Done;
}

// The last block of a longer program carries the image's empty frames after
// the program's end; the part of a block the image file does not reach is
// sent as zeros, never as bytes of an earlier command.
std::optional<unsigned> CTransferCommands::ImportToBuffer(DataKind kind, const std::string& path,
                                                          std::vector<LossyLine>* lossy)
{
    CPrivateTempFile imageFile;
    if (!imageFile.Create())
        throw FileException(imageFile.LastError());
    const std::optional<int> imported = ImportProgramText(kind, path, imageFile.Path(), m_ui, lossy);
    if (!imported)
        return std::nullopt;
    const auto frames = static_cast<unsigned>(*imported);
    const std::size_t sent = ProgramBytesSent(frames, m_info.frameSize());
    std::fill_n(m_buffer.begin(), sent, std::uint8_t{0});
    CBinaryFile image;
    if (!image.Open(imageFile.Path(), CBinaryFile::Mode::Read))
        throw FileException(image.LastError());
    image.Read(m_buffer.first(sent));
    image.Close();
    return frames;
}

CommandResult CTransferCommands::WriteProgram(DataKind kind, std::string_view numberText,
                                              const std::string& path)
{
    const bool program = kind == DataKind::Program;
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, numberText, m_ui);
    if (!file)
        return CommandResult::Failed;

    std::vector<LossyLine> lossy;
    const std::optional<unsigned> imported = ImportToBuffer(kind, path, &lossy);
    if (!imported)
        return CommandResult::Failed;
    const unsigned frames = *imported;
    // Nothing has been changed in the controller yet.
    if (!ConfirmLossyLines(lossy, m_ui))
        return CommandResult::Cancelled;

    const std::size_t frameSize = m_info.frameSize();
    const auto written = [frames](int blocks) { return FramesInBlocks(frames, blocks); };
    // Should the process end now, the block under way may have been stored.
    CConfirmedBlocks progress(m_ui, [&](int blocks) {
        return ProgramWriteDetail(!program, written(blocks), written(blocks + 1), frames);
    });
    if (!DeleteProgram(m_link, *file))
        return Fail(program ? Msg::PROGRAM_DELETE_FAILED : Msg::SUBPROGRAM_DELETE_FAILED);
    if (!WriteProgramBlocks(m_link, *file, frames, frameSize, m_buffer, progress)) {
        const int blocks = progress.Blocks();
        return Fail(InterruptedOr(program ? Msg::PROGRAM_WRITE_FAILED : Msg::SUBPROGRAM_WRITE_FAILED),
                    ProgramWriteDetail(!program, written(blocks),
                                       written(m_link.LastWriteUnanswered() ? blocks + 1 : blocks), frames));
    }
    const CommandResult result =
        m_verify ? VerifyProgram(kind, *file, frames, path) : CommandResult::Done;
    if (result == CommandResult::Done)
        m_amount = TransferAmount{true, TransferAmount::Unit::Words, frames};
    return result;
}
