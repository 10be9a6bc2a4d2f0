// Compare and the check after a write: the controller's data read back by
// the Read command's own transactions, side by side with the file's.

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "transfer/failure_detail.h"
#include "transfer/messages.h"
#include "link/read_back.h"
#include "transfer/rewrite_report.h"
#include "transfer/transfer_commands.h"
#include "codec/frame_format.h"
#include "platform/binary_file.h"
#include "image/program_image.h"
#include "image/text_line_reader.h"
#include "link/controller_link.h"

namespace {

// The line of a program text that gives frame `index`: its number and its
// characters as the import keeps them. Blank lines give no frame.
std::optional<std::pair<std::uint32_t, std::string>> WordLine(const std::string& path,
                                                              std::size_t index)
{
    CTextLineReader text;
    if (!text.Open(path))
        return std::nullopt;
    try {
        CTextLineReader::LineBuffer line;
        std::size_t words = 0;
        while (text.ReadLine(line)) {
            const char* word = CTextLineReader::LineText(line);
            if (word == nullptr || words++ != index)
                continue;
            const std::size_t kept = std::min(text.LineLength(), CTextLineReader::TEXT_LINE_MAX);
            std::pair<std::uint32_t, std::string> found{text.LineNumber(),
                                                        std::string(word, static_cast<const char*>(line.data() + kept))};
            text.Close();
            return found;
        }
        text.Close();
    } catch (const FileException&) {
    }
    return std::nullopt;
}

// The text of a frame as Read would write it, quoted.
std::string FrameText(std::span<const std::uint8_t> bytes)
{
    ProgramFrame frame;
    std::copy_n(bytes.begin(), ProgramFrame::SIZE, frame.bytes.begin());
    std::array<char, FRAME_TEXT_ROOM> text{};
    if (!FormatFrame(frame, text))
        return "кадр без текста";
    return "«" + ShownText(text.data()) + "»";
}

std::string Count(std::size_t n)
{
    return std::to_string(n) + " " + LinesWord(n);
}

// Where the controller's program first differs from the file's frames: the
// first line whose text differs, or that one side lacks. Frames whose bytes
// differ but whose text is the same (their links, where the chain ends) are
// named only when no text differs.
std::string ProgramDifference(const ReadBack& back, std::span<const std::uint8_t> file,
                              unsigned fileFrames, std::span<const std::uint8_t> controller,
                              std::size_t frameSize, const std::string& textPath)
{
    const std::size_t frames = std::max<std::size_t>(fileFrames, back.controllerFrames);
    std::size_t index = back.firstDifference;
    while (index < fileFrames && index < back.controllerFrames &&
           FrameText(file.subspan(index * frameSize)) ==
               FrameText(controller.subspan(index * frameSize)))
        ++index;
    const bool sameText = index == frames;
    if (sameText)
        index = back.firstDifference;

    const std::string counts = "в контроллере " + Count(back.controllerFrames) + ", в файле " +
                               Count(fileFrames);
    if (index >= fileFrames)
        return "В контроллере лишняя строка " + std::to_string(index + 1) + ": " +
               FrameText(controller.subspan(index * frameSize)) + " (" + counts + ")";

    const auto typed = WordLine(textPath, index);
    std::string text = typed ? "Строка " + std::to_string(typed->first) + ": в файле «" +
                                   ShownText(typed->second) + "»"
                             : "Строка " + std::to_string(index + 1);
    if (index >= back.controllerFrames)
        return text + ", в контроллере её нет (" + counts + ")";
    text += ", в контроллере " + FrameText(controller.subspan(index * frameSize));
    return sameText ? text + " (кадры отличаются служебными байтами)" : text;
}

std::string ByteDifference(const ReadBack& back, std::span<const std::uint8_t> expected,
                           std::span<const std::uint8_t> controller)
{
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    const auto hex = [](std::uint8_t b) {
        return std::string("0x") + DIGITS[b >> 4] + DIGITS[b & 0xF];
    };
    const std::size_t at = back.firstDifference;
    return "Байт " + std::to_string(at) + ": в файле " + hex(expected[at]) + ", в контроллере " +
           hex(controller[at]);
}

// The Read command's message for a read-back that did not get the data.
const char* ReadBackFailure(const ReadBack& back, DataKind kind)
{
    switch (back.outcome) {
    case ReadBack::Outcome::SizeQueryFailed:
        return Msg::SIZE_QUERY_FAILED;
    case ReadBack::Outcome::SizeTooLarge:
        return Msg::PROGRAM_SIZE;
    default:
        break;
    }
    if (kind == DataKind::Parameters)
        return back.parameterFailure == ParameterFailure::General ? Msg::GENERAL_READ_FAILED
                                                                  : Msg::AXIS_READ_FAILED;
    return kind == DataKind::Program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED;
}

} // namespace

CommandResult CTransferCommands::Compare(DataKind kind, std::string_view numberText)
{
    return Run(&CTransferCommands::RunCompare, kind, numberText);
}

// The front part of Write, then the Read command's transactions instead of
// the write's.
CommandResult CTransferCommands::RunCompare(DataKind kind, std::string_view numberText)
{
    std::string path;
    if (const CommandResult front = ChooseFileToSend(kind, path); front != CommandResult::Done)
        return front;

    std::vector<std::uint8_t> scratch(TRANSFER_BUFFER_SIZE);
    const TransferBuffer controller(scratch.data(), TRANSFER_BUFFER_SIZE);
    if (kind == DataKind::Parameters) {
        if (!LoadParameterFile(path))
            return CommandResult::Failed;
        const std::span<const std::uint8_t> expected = m_buffer.first(ParameterBytes(m_info));
        const ReadBack back = ReadBackParameters(m_link, m_info, expected, controller, m_ui);
        switch (back.outcome) {
        case ReadBack::Outcome::Same:
            m_ui.ShowInformation(Msg::COMPARE_SAME, {});
            return CommandResult::Done;
        case ReadBack::Outcome::Differs:
            m_ui.ShowInformation(Msg::COMPARE_DIFFERS, ByteDifference(back, expected, controller));
            return CommandResult::Differs;
        default:
            return Fail(ReadBackFailure(back, kind));
        }
    }

    const std::optional<std::uint16_t> file = ProgramFileFor(kind, numberText, m_ui);
    if (!file)
        return CommandResult::Failed;
    const std::optional<unsigned> imported = ImportToBuffer(kind, path);
    if (!imported)
        return CommandResult::Failed;
    const unsigned frames = *imported;

    const std::size_t frameSize = m_info.frameSize();
    const ReadBack back = ReadBackProgram(m_link, *file, frameSize,
                                          m_buffer.first(frames * frameSize), controller, m_ui);
    switch (back.outcome) {
    case ReadBack::Outcome::Same:
        m_ui.ShowInformation(Msg::COMPARE_SAME, Count(frames));
        return CommandResult::Done;
    case ReadBack::Outcome::Differs:
        m_ui.ShowInformation(Msg::COMPARE_DIFFERS,
                             ProgramDifference(back, m_buffer, frames, controller, frameSize, path));
        return CommandResult::Differs;
    default:
        return Fail(ReadBackFailure(back, kind));
    }
}

CommandResult CTransferCommands::VerifyParameters()
{
    std::vector<std::uint8_t> scratch(TRANSFER_BUFFER_SIZE);
    const TransferBuffer controller(scratch.data(), TRANSFER_BUFFER_SIZE);
    const std::span<const std::uint8_t> sent = m_buffer.first(ParameterBytes(m_info));
    const ReadBack back = ReadBackParameters(m_link, m_info, sent, controller, m_ui);
    if (back.outcome == ReadBack::Outcome::Same)
        return CommandResult::Done;
    if (back.outcome != ReadBack::Outcome::Differs)
        return Fail(ReadBackFailure(back, DataKind::Parameters));
    m_ui.ShowWarning(Msg::VERIFY_DIFFERS, ByteDifference(back, sent, controller));
    return CommandResult::Failed;
}

CommandResult CTransferCommands::VerifyProgram(DataKind kind, std::uint16_t file, unsigned frames,
                                               const std::string& path)
{
    std::vector<std::uint8_t> scratch(TRANSFER_BUFFER_SIZE);
    const TransferBuffer controller(scratch.data(), TRANSFER_BUFFER_SIZE);
    const std::size_t frameSize = m_info.frameSize();
    const ReadBack back = ReadBackProgram(m_link, file, frameSize, m_buffer.first(frames * frameSize),
                                          controller, m_ui);
    if (back.outcome == ReadBack::Outcome::Same)
        return CommandResult::Done;
    if (back.outcome != ReadBack::Outcome::Differs)
        return Fail(ReadBackFailure(back, kind));
    m_ui.ShowWarning(Msg::VERIFY_DIFFERS,
                     ProgramDifference(back, m_buffer, frames, controller, frameSize, path));
    return CommandResult::Failed;
}
