// FormatFrame: a program frame written as its line of G-code.
#include "codec/frame_format.h"

#include <string_view>

#include "codec/axis_format.h"
#include "codec/frame_code.h"
#include "codec/text_writer.h"
#include "codec/translate.h"

namespace {

constexpr std::uint8_t KIND_MIDDLE = 0;
constexpr std::uint8_t KIND_HEAD = 1;
constexpr std::uint8_t KIND_TAIL = 2;
constexpr std::uint8_t ACTIVE_NO = 0;
constexpr std::string_view DISABLED_PREFIX = "//";
// A feed word shows at most four digits ...
constexpr std::uint16_t FEED_WORD_MAX = 9999;
// ... and the feed after an axis move at least two.
constexpr std::size_t AXIS_FEED_DIGITS_MIN = 2;

// Words written as a prefix followed by the frame's number.
struct NumberedWord {
    std::uint8_t code;
    std::string_view prefix;
};

constexpr NumberedWord NUMBERED_WORDS[] = {
    {CODE_TOOL, "M6T"}, {CODE_E, "E"}, {CODE_L, "L"},
    {CODE_H, "H"},      {CODE_M, "M"}, {CODE_G4_POINT, "G4."},
};

bool IsAxisCode(std::uint8_t code) { return static_cast<std::int8_t>(code) <= CODE_AXIS_LAST; }

} // namespace

bool FormatFrame(ProgramFrame& frame, std::span<char, FRAME_TEXT_ROOM> out)
{
    out[0] = '\0';
    const std::uint8_t kind = frame.kind();
    if (kind != KIND_MIDDLE && kind != KIND_HEAD && kind != KIND_TAIL) {
        return false;
    }
    std::span<char> word = out;
    if (frame.active() == ACTIVE_NO) {
        DISABLED_PREFIX.copy(out.data(), DISABLED_PREFIX.size());
        word = out.subspan(DISABLED_PREFIX.size());
    }
    const bool hasText =
        IsAxisCode(frame.code()) ? FormatAxisWord(frame, word) : FormatOtherWord(frame, word);
    if (!hasText) {
        out[0] = '\0';
    }
    return hasText;
}

// The letter, the coordinate through the axis's codec, then "F" and the feed.
bool FormatAxisWord(const ProgramFrame& frame, std::span<char> out)
{
    CTextWriter w(out);
    w.Put(AxisLetter(frame.code()));

    SelectCodec(FindAxisSlot(frame.code()));
    theCurrentCodec->SetValue(frame.coordinate());
    char coordinate[CODEC_TEXT_ROOM] = {};
    if (!theCurrentCodec->ToText(coordinate)) {
        coordinate[0] = '\0';
    }
    const std::string_view text(coordinate);
    w.Put(text);
    // A lone digit is a coordinate written without decimals; it takes no feed.
    if (text.size() > 1) {
        w.Put('F');
        w.PutUnsigned(frame.number(), AXIS_FEED_DIGITS_MIN);
    }
    return true;
}

bool FormatOtherWord(ProgramFrame& frame, std::span<char> out)
{
    CTextWriter w(out);
    const std::uint8_t code = frame.code();
    const std::uint16_t number = frame.number();

    for (const FixedWord& fixed : FIXED_WORDS) {
        if (fixed.code == code) {
            w.Put(fixed.letter);
            w.PutUnsigned(fixed.number);
            return true;
        }
    }
    for (const NumberedWord& numbered : NUMBERED_WORDS) {
        if (numbered.code == code) {
            w.Put(numbered.prefix);
            w.PutUnsigned(number);
            return true;
        }
    }
    if (code == CODE_G5X) {
        w.Put("G5");
        w.PutUnsigned(std::uint32_t{number} + G5X_OFFSET);
        return true;
    }
    if (code == CODE_FEED) {
        if (number > FEED_WORD_MAX) {
            frame.setNumber(FEED_WORD_MAX);
        }
        w.Put('F');
        w.PutUnsigned(frame.number());
        return true;
    }
    // G11 to G15, alone or with an axis letter, when the number names one.
    if (code >= CODE_G1X && code <= CODE_G1X_AXIS_LAST && number >= G1X_NUMBER_MIN &&
        number <= G1X_NUMBER_MAX) {
        w.Put('G');
        w.PutUnsigned(std::uint32_t{number} + G1X_BASE);
        if (code >= CODE_G1X_AXIS_FIRST) {
            w.Put(AxisLetter(static_cast<std::uint8_t>(code - CODE_G1X_AXIS_FIRST)));
        }
        return true;
    }
    return false;
}
