#include "app/transfer_commands.h"

#include <algorithm>
#include <cctype>

#include "app/messages.h"
#include "app/replacement_file.h"
#include "image/binary_file.h"
#include "image/program_image.h"
#include "link/controller_link.h"
#include "link/link_frame.h"
#include "link/port_open_cause.h"

namespace {

constexpr std::uint8_t UNIT = 1;
constexpr std::uint16_t DESCRIPTOR_RECORD = 1;

constexpr std::size_t GENERAL_BLOCK = 200;

constexpr std::uint16_t SIZE_QUERY_RECORD = 0;
constexpr std::uint16_t SIZE_QUERY_LENGTH = 600;
constexpr std::size_t SIZE_REPLY_ROOM = 4;
constexpr std::size_t FRAME_COUNT_BYTES = 2;
constexpr std::size_t FRAMES_PER_BLOCK = 5;
constexpr unsigned MAX_PROGRAM_FRAMES = 500;
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

LinkFile LinkFileFor(DataKind kind)
{
    return kind == DataKind::Program ? LinkFile::Program : LinkFile::Subprogram;
}

// Blocks of five frames that carry `frames` frames.
int BlockCount(unsigned frames)
{
    return static_cast<int>((frames + FRAMES_PER_BLOCK - 1) / FRAMES_PER_BLOCK);
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
    const std::string extension = ExtensionFor(kind);
    return Lower(chosen).find(Lower(extension)) == std::string::npos ? chosen + extension : chosen;
}

std::string ImagePathFor(const std::string& programPath)
{
    return programPath + ".tmp";
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
                                     const std::string& imagePath, ITransferUi& ui)
{
    CProgramImage image(IMAGE_KIND, textPath, imagePath, 0, 0);
    if (kind == DataKind::Program)
        image.SelectProgram(0);
    else
        image.SelectSubprogram(0);

    const int rejected = image.CheckText();
    if (rejected == -1) {
        ui.ShowWarning(Msg::CANNOT_OPEN_FILE);
        return std::nullopt;
    }
    if (rejected > 0) {
        ui.ShowWarning(Msg::LINE_REJECTED + std::to_string(rejected));
        return std::nullopt;
    }
    const int frames = image.ImportText();
    if (image.FileFailure()) {
        ui.ShowWarning(FileErrorMessage(*image.FileFailure()));
        return std::nullopt;
    }
    // No frame at all, or more lines than the area holds.
    if (frames <= 0) {
        ui.ShowWarning(Msg::PROGRAM_SIZE);
        return std::nullopt;
    }
    return frames;
}

bool ExportProgramText(const std::string& imagePath, CReplacementFile& target, ITransferUi& ui)
{
    CProgramImage image(IMAGE_KIND, imagePath, target.TempPath(), 0, 0);
    if (!image.ExportText()) {
        ui.ShowWarning(image.FileFailure()
                           ? FileErrorMessage(target.AsTargetError(*image.FileFailure()))
                           : std::string(Msg::DECODE_FAILED));
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

namespace {

// The port's own message, and under it why the last open failed.
CommandResult FailOnClosedPort(ITransferUi& ui, const CControllerLink& link)
{
    ui.ShowWarning(Msg::PORT_CLOSED, PortOpenCause(link.PortName(), link.LastOpenError()));
    return CommandResult::Failed;
}

} // namespace

CommandResult CTransferCommands::Fail(const char* message)
{
    m_ui.ShowWarning(message);
    return CommandResult::Failed;
}

CommandResult CTransferCommands::Read(DataKind kind, std::string_view numberText)
{
    try {
        return RunRead(kind, numberText);
    } catch (const FileException& e) {
        m_ui.ShowWarning(e.what());
        return CommandResult::Failed;
    }
}

CommandResult CTransferCommands::Write(DataKind kind, std::string_view numberText)
{
    try {
        return RunWrite(kind, numberText);
    } catch (const FileException& e) {
        m_ui.ShowWarning(e.what());
        return CommandResult::Failed;
    }
}

// The descriptor is read afresh by every command and checked at once, before
// anything else is asked of the controller or of the file system.
bool CTransferCommands::ReadDescriptor(DataKind kind)
{
    ControllerInfo fresh;
    std::size_t received = 0;
    if (!m_link.ReadRecord(UNIT, static_cast<std::uint16_t>(LinkFile::Descriptor),
                           DESCRIPTOR_RECORD, 0, fresh.bytes, &received) ||
        received < ControllerInfo::MIN_REPLY) {
        m_ui.ShowWarning(Msg::DESCRIPTOR_FAILED);
        return false;
    }
    m_info = fresh;
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
    // The old file stays as it is until the new content is complete.
    CReplacementFile target;
    if (!target.Begin(path))
        return Fail(Msg::CANNOT_OPEN_FILE);

    if (kind == DataKind::Parameters)
        return ReadParameters(target);
    return ReadProgram(kind, numberText, path, target);
}

CommandResult CTransferCommands::RunWrite(DataKind kind, std::string_view numberText)
{
    if (!m_link.IsOpen())
        return FailOnClosedPort(m_ui, m_link);
    const char* filter = kind == DataKind::Parameters ? Msg::PARAMETER_FILTER : Msg::PROGRAM_FILTER;
    const std::optional<std::string> chosen = m_ui.ChooseFile(FileDialogKind::Open, filter);
    if (!chosen)
        return CommandResult::Cancelled;
    if (!ReadDescriptor(kind))
        return CommandResult::Failed;

    const std::string path = WritePathFor(kind, *chosen);
    if (kind == DataKind::Parameters)
        return WriteParameters(path);

    {
        // Only proves that the program file can be read; the check opens it
        // again.
        CBinaryFile probe;
        if (!probe.Open(path, CBinaryFile::Mode::Read))
            return Fail(Msg::CANNOT_OPEN_FILE);
    }
    return WriteProgram(kind, numberText, path);
}

// Parameter file: the general block, then one block per axis, no header.
CommandResult CTransferCommands::ReadParameters(CReplacementFile& target)
{
    const std::size_t general = m_info.generalParamSize();
    const std::size_t axis = m_info.axisParamSize();
    const std::size_t axes = m_info.axisCount();
    const std::size_t generalBlocks = general / GENERAL_BLOCK;
    m_ui.SetProgressRange(0, static_cast<int>(generalBlocks + axes));

    // One block more than general / 200, each of 200 bytes: the last may
    // start at `general` itself; what it brings past the end is overwritten
    // by the axis blocks or left out of the file.
    for (std::size_t j = 0; j <= generalBlocks; ++j) {
        std::size_t received = 0;
        if (!m_link.ReadRecord(UNIT, static_cast<std::uint16_t>(LinkFile::GeneralParams),
                               static_cast<std::uint16_t>(j * GENERAL_BLOCK), GENERAL_BLOCK,
                               m_buffer.subspan(j * GENERAL_BLOCK, GENERAL_BLOCK), &received) ||
            received < GENERAL_BLOCK)
            return Fail(Msg::GENERAL_READ_FAILED);
        m_ui.SetProgressPos(static_cast<int>(j));
    }
    for (std::size_t i = 0; i < axes; ++i) {
        std::size_t received = 0;
        if (!m_link.ReadRecord(UNIT, static_cast<std::uint16_t>(LinkFile::AxisParams),
                               static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(axis),
                               m_buffer.subspan(general + i * axis, axis), &received) ||
            received < axis)
            return Fail(Msg::AXIS_READ_FAILED);
        m_ui.SetProgressPos(static_cast<int>(generalBlocks + 1 + i));
    }

    target.WriteAll(m_buffer.first(general + axes * axis));
    target.Commit();
    return CommandResult::Done;
}

CommandResult CTransferCommands::WriteParameters(const std::string& path)
{
    CBinaryFile file;
    if (!file.Open(path, CBinaryFile::Mode::Read))
        return Fail(Msg::CANNOT_OPEN_FILE);

    const std::size_t general = m_info.generalParamSize();
    const std::size_t axis = m_info.axisParamSize();
    const std::size_t axes = m_info.axisCount();
    const std::size_t generalBlocks = general / GENERAL_BLOCK;
    if (file.Length() != general + axes * axis)
        return Fail(Msg::PARAM_FILE_SIZE);

    if (file.Read(m_buffer.first(general)) != general)
        throw FileException(FileError{FileErrorCause::EndOfFile, 0, path});
    m_ui.SetProgressRange(0, static_cast<int>(generalBlocks + axes));

    // Whole blocks of 200 bytes, then the remainder.
    for (std::size_t offset = 0; offset < general; offset += GENERAL_BLOCK) {
        const std::size_t length = std::min(GENERAL_BLOCK, general - offset);
        if (!m_link.WriteRecord(UNIT, static_cast<std::uint16_t>(LinkFile::GeneralParams),
                                static_cast<std::uint16_t>(offset), m_buffer.subspan(offset, length)))
            return Fail(Msg::GENERAL_WRITE_FAILED);
        m_ui.SetProgressPos(static_cast<int>(offset / GENERAL_BLOCK));
    }

    if (file.Read(m_buffer.first(axes * axis)) != axes * axis)
        throw FileException(FileError{FileErrorCause::EndOfFile, 0, path});
    file.Close();
    for (std::size_t i = 0; i < axes; ++i) {
        if (!m_link.WriteRecord(UNIT, static_cast<std::uint16_t>(LinkFile::AxisParams),
                                static_cast<std::uint16_t>(i), m_buffer.subspan(i * axis, axis)))
            return Fail(Msg::AXIS_WRITE_FAILED);
        m_ui.SetProgressPos(static_cast<int>(generalBlocks + 1 + i));
    }
    return CommandResult::Done;
}

namespace {

// The number check that opens both program branches; the link's file
// number, or nothing after the message.
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

} // namespace

CommandResult CTransferCommands::ReadProgram(DataKind kind, std::string_view numberText,
                                             const std::string& path, CReplacementFile& target)
{
    const bool program = kind == DataKind::Program;
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, numberText, m_ui);
    if (!file)
        return CommandResult::Failed;

    std::array<std::uint8_t, SIZE_REPLY_ROOM> count{};
    std::size_t received = 0;
    if (!m_link.ReadRecord(UNIT, *file, SIZE_QUERY_RECORD, SIZE_QUERY_LENGTH, count, &received) ||
        received < FRAME_COUNT_BYTES)
        return Fail(Msg::SIZE_QUERY_FAILED);
    const unsigned frames = LoadLe16(count.data());
    if (frames > MAX_PROGRAM_FRAMES)
        return Fail(Msg::PROGRAM_SIZE);

    const std::size_t frameSize = m_info.frameSize();
    const std::size_t blockBytes = FRAMES_PER_BLOCK * frameSize;
    m_ui.SetProgressRange(0, BlockCount(frames));
    for (unsigned k = 0; k < frames; k += FRAMES_PER_BLOCK) {
        if (!m_link.ReadRecord(UNIT, *file, static_cast<std::uint16_t>(k), FRAMES_PER_BLOCK,
                               m_buffer.subspan(k * frameSize, blockBytes), &received) ||
            received < blockBytes)
            return Fail(program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED);
        m_ui.SetProgressPos(static_cast<int>(k / FRAMES_PER_BLOCK + 1));
    }

    const std::string imagePath = ImagePathFor(path);
    CBinaryFile image;
    if (!image.Open(imagePath, CBinaryFile::Mode::CreateWrite))
        throw FileException(image.LastError());
    image.Write(m_buffer.first(frames * frameSize));
    image.Close();

    if (!ExportProgramText(imagePath, target, m_ui))
        return CommandResult::Failed; // the image stays for a look at what came
    RemoveFile(imagePath);
    return CommandResult::Done;
}

CommandResult CTransferCommands::WriteProgram(DataKind kind, std::string_view numberText,
                                              const std::string& path)
{
    const bool program = kind == DataKind::Program;
    const std::optional<std::uint16_t> file = ProgramFileFor(kind, numberText, m_ui);
    if (!file)
        return CommandResult::Failed;

    const std::string imagePath = ImagePathFor(path);
    const std::optional<int> imported = ImportProgramText(kind, path, imagePath, m_ui);
    if (!imported)
        return CommandResult::Failed;
    const unsigned frames = static_cast<unsigned>(*imported);

    // The last block of a longer program carries the image's empty frames
    // after the program's end; the part of a block the image file does not
    // reach is sent as zeros, never as bytes of an earlier command.
    const std::size_t frameSize = m_info.frameSize();
    const std::size_t blockBytes = FRAMES_PER_BLOCK * frameSize;
    const int blocks = BlockCount(frames);
    const std::size_t sent = frames <= FRAMES_PER_BLOCK ? frames * frameSize : blocks * blockBytes;
    std::fill_n(m_buffer.begin(), sent, std::uint8_t{0});
    {
        CBinaryFile image;
        if (!image.Open(imagePath, CBinaryFile::Mode::Read))
            throw FileException(image.LastError());
        image.Read(m_buffer.first(sent));
        image.Close();
    }
    RemoveFile(imagePath);

    if (!m_link.WriteRecord(UNIT, *file, 0, {}))
        return Fail(program ? Msg::PROGRAM_DELETE_FAILED : Msg::SUBPROGRAM_DELETE_FAILED);

    const char* writeFailed = program ? Msg::PROGRAM_WRITE_FAILED : Msg::SUBPROGRAM_WRITE_FAILED;
    m_ui.SetProgressRange(0, blocks);
    if (frames <= FRAMES_PER_BLOCK) {
        if (!m_link.WriteRecord(UNIT, *file, 0, m_buffer.first(sent)))
            return Fail(writeFailed);
        m_ui.SetProgressPos(1);
        return CommandResult::Done;
    }
    for (unsigned k = 0; k < frames; k += FRAMES_PER_BLOCK) {
        if (!m_link.WriteRecord(UNIT, *file, static_cast<std::uint16_t>(k),
                                m_buffer.subspan(k * frameSize, blockBytes)))
            return Fail(writeFailed);
        m_ui.SetProgressPos(static_cast<int>(k / FRAMES_PER_BLOCK + 1));
    }
    return CommandResult::Done;
}
