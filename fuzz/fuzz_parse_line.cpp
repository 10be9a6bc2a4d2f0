// Any bytes as one line: a line the parser accepts must give a frame whose
// text reads back as the same word. The one loss the rules allow here is a
// feed cut short when the axis line runs past its fifteenth character.
// The parse that reports what it did not read must give the very same frame
// and line, and a line it calls exact must read back exactly: its frame's
// text gives the same word again and is itself exact.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "codec/frame_code.h"
#include "codec/frame_format.h"
#include "codec/line_parser.h"

namespace {

constexpr std::uint8_t FILL = 0xA5;
constexpr std::int32_t CURRENT_COORDINATE = -424242;
constexpr std::uint8_t ACTIVE = 0xFF;
constexpr std::uint8_t DISABLED = 0;
// The feed of an axis line ends at this position; its F stands at 2 or later.
constexpr std::size_t AXIS_WORD_LAST = 14;
constexpr std::size_t FEED_SEARCH_FIRST = 2;
constexpr std::uint32_t BASE = 10;

void Check(bool ok, const char* what, std::string_view text)
{
    if (!ok) {
        std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
        std::abort();
    }
}

// The line in a block of exactly its size, so a read past the NUL is caught.
std::unique_ptr<char[]> CopyLine(std::string_view text)
{
    auto line = std::make_unique<char[]>(text.size() + 1);
    text.copy(line.get(), text.size());
    line[text.size()] = '\0';
    return line;
}

std::string_view Format(ProgramFrame frame, std::span<char, FRAME_TEXT_ROOM> out, bool& hasText)
{
    hasText = FormatFrame(frame, out);
    const void* nul = std::memchr(out.data(), '\0', out.size());
    Check(nul != nullptr, "formatted text has no NUL", {});
    return std::string_view(out.data());
}

// The feed digits that an axis line's parse can see: up to position 14.
std::uint16_t VisibleFeed(std::string_view text)
{
    const std::size_t f = text.find('F', FEED_SEARCH_FIRST);
    std::uint32_t feed = 0;
    for (std::size_t i = f + 1; i < text.size() && i <= AXIS_WORD_LAST; ++i) {
        feed = feed * BASE + static_cast<std::uint32_t>(text[i] - '0');
    }
    return static_cast<std::uint16_t>(feed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<char[]> line = CopyLine(input);

    ProgramFrame current;
    current.setCoordinate(CURRENT_COORDINATE);
    ProgramFrame first;
    first.bytes.fill(FILL);
    std::unique_ptr<char[]> reportedLine = CopyLine(input);
    ProgramFrame reported = first;
    LineReading reading;
    const bool accepted = ParseLine(line.get(), first, current);
    Check(ParseLine(reportedLine.get(), reported, current, reading) == accepted,
          "the reporting parse decides otherwise", input);
    Check(reported == first, "the reporting parse gives another frame", input);
    Check(std::memcmp(reportedLine.get(), line.get(), input.size() + 1) == 0,
          "the reporting parse leaves another line", input);
    if (!accepted) {
        return 0;
    }
    if (reading.Exact()) {
        ProgramFrame shown = first;
        shown.setKind(0);
        shown.setActive(ACTIVE);
        char exactOut[FRAME_TEXT_ROOM];
        bool exactHasText = false;
        const std::string_view exactText = Format(shown, exactOut, exactHasText);
        Check(exactHasText && exactText.size() <= LINE_TEXT_MAX, "exact line has no text to read back",
              input);
        std::unique_ptr<char[]> back = CopyLine(exactText);
        ProgramFrame again = first;
        LineReading againReading;
        Check(ParseLine(back.get(), again, current, againReading), "exact line's text rejected", input);
        Check(again.code() == first.code() && again.number() == first.number() &&
                  (first.code() > CODE_AXIS_LAST || again.coordinate() == first.coordinate()),
              "exact line does not read back as the same word", input);
        Check(againReading.Exact(), "exact line's text is not exact", exactText);
    }
    for (std::size_t i : {ProgramFrame::KIND_OFFSET, ProgramFrame::ACTIVE_OFFSET,
                          ProgramFrame::NEXT_OFFSET, ProgramFrame::PREV_OFFSET + 1,
                          ProgramFrame::RESERVED_OFFSET, ProgramFrame::RESERVED_TAIL_OFFSET}) {
        Check(first.bytes[i] == FILL, "parser wrote outside the word fields", input);
    }

    first.setKind(0);
    first.setActive(DISABLED);
    char disabledOut[FRAME_TEXT_ROOM];
    bool hasText = false;
    const std::string_view disabled = Format(first, disabledOut, hasText);
    Check(hasText && disabled.size() <= FRAME_TEXT_MAX && disabled.starts_with("//"),
          "disabled word not written as a comment", disabled);
    std::unique_ptr<char[]> disabledLine = CopyLine(disabled);
    ProgramFrame scratch;
    Check(!ParseLine(disabledLine.get(), scratch, first), "comment line accepted", disabled);

    first.setActive(ACTIVE);
    char out[FRAME_TEXT_ROOM];
    // Formatting may lower a feed word's number to what its text shows.
    ProgramFrame shown = first;
    hasText = FormatFrame(shown, out);
    const std::string_view text(out);
    Check(hasText, "accepted word has no text", input);
    Check(text.size() <= LINE_TEXT_MAX, "text longer than an import line", text);

    std::unique_ptr<char[]> again = CopyLine(text);
    ProgramFrame second = shown;
    Check(ParseLine(again.get(), second, shown), "formatted text rejected", text);
    Check(second.code() == shown.code(), "code changed", text);
    if (shown.code() > CODE_AXIS_LAST) {
        Check(second.number() == shown.number(), "number changed", text);
        return 0;
    }
    // A coordinate that does not read back comes from the current frame,
    // which here is the frame itself.
    Check(second.coordinate() == shown.coordinate(), "coordinate changed", text);
    const bool feedCut = text.size() > AXIS_WORD_LAST + 1;
    Check(second.number() == (feedCut ? VisibleFeed(text) : shown.number()), "feed changed", text);
    return 0;
}
