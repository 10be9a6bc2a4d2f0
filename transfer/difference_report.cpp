// How the controller's data differ from a file's: the first line or byte
// that differs, named as the user knows it.

#include "transfer/difference_report.h"

#include <algorithm>
#include <array>
#include <optional>

#include "codec/frame_format.h"
#include "codec/hex_text.h"
#include "image/text_line_reader.h"
#include "platform/file_error.h"
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
        return "кадр без текста";
    return Quoted(text.data());
}

} // namespace

std::string LineCount(std::size_t n)
{
    return std::to_string(n) + " " + LinesWord(n);
}

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

    const std::string counts = "в контроллере " + LineCount(back.controllerFrames) + ", в файле " +
                               LineCount(fileFrames);
    if (index >= fileFrames)
        return "В контроллере лишняя строка " + std::to_string(index + 1) + ": " +
               FrameText(controller.subspan(index * frameSize)) + " (" + counts + ")";

    const auto typed = WordLine(textPath, index);
    std::string text = typed ? "Строка " + std::to_string(typed->first) + ": в файле " +
                                   Quoted(typed->second)
                             : "Строка " + std::to_string(index + 1);
    if (index >= back.controllerFrames)
        return text + ", в контроллере её нет (" + counts + ")";
    text += ", в контроллере " + FrameText(controller.subspan(index * frameSize));
    return sameText ? text + " (кадры отличаются служебными байтами)" : text;
}

std::string ByteDifference(const ReadBack& back, std::span<const std::uint8_t> expected,
                           std::span<const std::uint8_t> controller)
{
    const auto hex = [](std::uint8_t b) { return "0x" + HexByte(b); };
    const std::size_t at = back.firstDifference;
    return "Байт " + std::to_string(at) + ": в файле " + hex(expected[at]) + ", в контроллере " +
           hex(controller[at]);
}
