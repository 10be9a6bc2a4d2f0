// How the controller's data differ from a file's: the first line or byte
// that differs, named as the user knows it.

#include "transfer/difference_report.h"

#include <algorithm>
#include <array>
#include <optional>

#include "codec/count_text.h"
#include "codec/frame_format.h"
#include "codec/hex_text.h"
#include "image/text_line_reader.h"
#include "platform/file_error.h"
#include "transfer/messages.h"
#include "transfer/rewrite_report.h"

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
        return Msg::FRAME_WITHOUT_TEXT;
    return Quoted(text.data());
}

} // namespace

std::string LineCount(std::size_t n)
{
    return CountText(n, Msg::LINE_FORMS);
}

namespace {

std::size_t FirstOtherWord(std::span<const std::uint8_t> file, std::size_t fileFrames,
                           std::span<const std::uint8_t> controller, std::size_t controllerFrames,
                           std::size_t frameSize, std::size_t from)
{
    std::size_t index = from;
    while (index < fileFrames && index < controllerFrames &&
           FrameText(file.subspan(index * frameSize)) ==
               FrameText(controller.subspan(index * frameSize)))
        ++index;
    return index;
}

// Line `index` of both sides as the user knows it, or the side that lacks it.
std::string DescribeLine(std::size_t index, std::span<const std::uint8_t> controller,
                         unsigned fileFrames, unsigned controllerFrames, std::size_t frameSize,
                         const std::string& textPath)
{
    const std::string counts =
        " (" + Msg::LineCounts(LineCount(controllerFrames), LineCount(fileFrames)) + ")";
    if (index >= fileFrames)
        return Msg::EXTRA_LINE + std::to_string(index + 1) + ": " +
               FrameText(controller.subspan(index * frameSize)) + counts;

    const auto typed = WordLine(textPath, index);
    std::string text = typed ? Msg::LINE_NUMBER + std::to_string(typed->first) + Msg::IN_FILE +
                                   Quoted(typed->second)
                             : Msg::LINE_NUMBER + std::to_string(index + 1);
    if (index >= controllerFrames)
        return text + Msg::NOT_IN_CONTROLLER + counts;
    return text + Msg::IN_CONTROLLER + FrameText(controller.subspan(index * frameSize));
}

} // namespace

std::string ProgramDifference(const ReadBack& back, std::span<const std::uint8_t> file,
                              unsigned fileFrames, std::span<const std::uint8_t> controller,
                              std::size_t frameSize, const std::string& textPath)
{
    const std::size_t frames = std::max<std::size_t>(fileFrames, back.controllerFrames);
    std::size_t index = FirstOtherWord(file, fileFrames, controller, back.controllerFrames,
                                       frameSize, back.firstDifference);
    const bool sameText = index == frames;
    if (sameText)
        index = back.firstDifference;
    const std::string text =
        DescribeLine(index, controller, fileFrames, back.controllerFrames, frameSize, textPath);
    return sameText ? text + Msg::SERVICE_BYTES_DIFFER : text;
}

std::optional<std::string> WordDifference(std::span<const std::uint8_t> file, unsigned fileFrames,
                                          std::span<const std::uint8_t> controller,
                                          unsigned controllerFrames, std::size_t frameSize,
                                          const std::string& textPath)
{
    const std::size_t index =
        FirstOtherWord(file, fileFrames, controller, controllerFrames, frameSize, 0);
    if (index == std::max(fileFrames, controllerFrames))
        return std::nullopt;
    return DescribeLine(index, controller, fileFrames, controllerFrames, frameSize, textPath);
}

std::string CompareSubject(DataKind kind, std::uint16_t number, const std::string& path)
{
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.find_last_of('/');
#endif
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    switch (kind) {
    case DataKind::Program:
        return Msg::PROGRAM_TITLE + std::to_string(number) + Msg::AND_FILE + name;
    case DataKind::Subprogram:
        return Msg::SUBPROGRAM_TITLE + std::to_string(number) + Msg::AND_FILE + name;
    case DataKind::Parameters:
        break;
    }
    return std::string(Msg::PARAMETERS_TITLE) + Msg::AND_FILE + name;
}

std::string UnreadableLine(int line, const std::string& typed)
{
    return Msg::LINE_NUMBER + std::to_string(line) + ": " + Quoted(typed) + Msg::NOT_A_WORD;
}

std::string ByteDifference(const ReadBack& back, std::span<const std::uint8_t> expected,
                           std::span<const std::uint8_t> controller)
{
    const auto hex = [](std::uint8_t b) { return "0x" + HexByte(b); };
    const std::size_t at = back.firstDifference;
    return Msg::BYTE_NUMBER + std::to_string(at) + Msg::IN_FILE + hex(expected[at]) + Msg::IN_CONTROLLER +
           hex(controller[at]);
}
