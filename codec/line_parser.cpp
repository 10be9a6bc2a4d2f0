#include "codec/line_parser.h"

#include <array>
#include <limits>

#include "codec/axis_format.h"
#include "codec/frame_code.h"
#include "codec/translate.h"

namespace {

// An axis line: letter at 0, coordinate, then a feed letter F at 2 to 14.
// The feed's text ends at 14; without a feed the coordinate may use 15
// characters, so an F at 15 or later spoils the coordinate.
constexpr std::size_t FEED_SEARCH_FIRST = 2;
constexpr std::size_t AXIS_WORD_LAST = 14;
constexpr std::int8_t COORDINATE_CHARS_NO_FEED = 15;

// The G word's characters that decide its form.
constexpr std::size_t G_SECOND = 1;
constexpr std::size_t G_THIRD = 2;
constexpr std::size_t G_FOURTH = 3;
constexpr std::size_t TOOL_NUMBER_START = 3; // after "M6T"

constexpr std::uint16_t TOOL_MAX = 8;
constexpr std::uint16_t L_MAX = 50;
constexpr std::uint16_t M_MAX = 332;
// E, L and H have no word 0; it reads as 1.
constexpr std::uint16_t WORD_NUMBER_MIN = 1;

constexpr std::uint32_t BASE = 10;
constexpr std::uint64_t INT32_MAGNITUDE_LIMIT = std::uint64_t{1} << 31;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// White space as the C library's isspace sees it in the "C" locale.
bool IsWhite(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool EndsWord(char ch) { return ch == '\0' || ch == ' '; }

std::uint16_t AtLeast(std::uint16_t v, std::uint16_t min) { return v < min ? min : v; }
std::uint16_t AtMost(std::uint16_t v, std::uint16_t max) { return v > max ? max : v; }

void SetWord(ProgramFrame& frame, std::uint8_t code, std::uint16_t number)
{
    frame.setCode(code);
    frame.setNumber(number);
}

// No fixed word has an axis code, so an axis code can say "none".
constexpr std::uint8_t NOT_FIXED = 0;

// The code of the fixed word with this letter and number, or NOT_FIXED.
std::uint8_t FixedWordCode(char letter, std::uint16_t number)
{
    for (const FixedWord& fixed : FIXED_WORDS) {
        if (fixed.letter == letter && fixed.number == number) {
            return fixed.code;
        }
    }
    return NOT_FIXED;
}

} // namespace

std::int32_t ReadIntegerText(const char* text)
{
    std::size_t i = 0;
    while (IsWhite(text[i])) {
        ++i;
    }
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    // Digits beyond the 32-bit range no longer change the result.
    std::uint64_t magnitude = 0;
    for (; IsDigit(text[i]); ++i) {
        if (magnitude <= INT32_MAGNITUDE_LIMIT) {
            magnitude = magnitude * BASE + static_cast<std::uint64_t>(text[i] - '0');
        }
    }
    if (negative) {
        if (magnitude >= INT32_MAGNITUDE_LIMIT) {
            return std::numeric_limits<std::int32_t>::min();
        }
        return -static_cast<std::int32_t>(magnitude);
    }
    if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(magnitude);
}

std::uint16_t ReadWordNumber(const char* text)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(ReadIntegerText(text)));
}

bool ParseAxisWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame)
{
    const int axis = AxisCode(line[0]);
    if (axis == NO_AXIS) {
        return false;
    }
    const auto code = static_cast<std::uint8_t>(axis);

    std::size_t feedAt = 0;
    for (std::size_t i = 1; i <= AXIS_WORD_LAST && line[i] != '\0'; ++i) {
        if (i >= FEED_SEARCH_FIRST && line[i] == 'F') {
            feedAt = i;
            break;
        }
    }
    const bool hasFeed = feedAt != 0;

    SelectCodec(FindAxisSlot(code));
    CTranslate& codec = *theCurrentCodec;
    const auto coordinateChars =
        hasFeed ? static_cast<std::int8_t>(feedAt - 1) : COORDINATE_CHARS_NO_FEED;
    const std::int32_t coordinate = codec.FromText(line + 1, coordinateChars)
                                        ? codec.GetValue()
                                        : currentFrame.coordinate();

    std::uint16_t feed = 0;
    if (hasFeed && codec.FromText(line + feedAt + 1, static_cast<std::int8_t>(AXIS_WORD_LAST - feedAt))) {
        const std::int32_t v = codec.GetValue();
        feed = v < 0 ? 0 : static_cast<std::uint16_t>(static_cast<std::uint32_t>(v));
    }

    newFrame.setCode(code);
    newFrame.setCoordinate(coordinate);
    newFrame.setNumber(feed);
    return true;
}

bool ParseGWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    if (line[0] != 'G') {
        return false;
    }
    // Positions past the end of the line count as NUL.
    const char second = line[G_SECOND];
    const char third = second == '\0' ? '\0' : line[G_THIRD];
    const char fourth = third == '\0' ? '\0' : line[G_FOURTH];

    if (second == '5') {
        // G53 to G59; a letter after G5 reads as G53. Anything that sorts
        // below "3" (G50, "G5.", a bare G5) names no work offset.
        const auto digit = static_cast<unsigned char>(third);
        if (digit < '3') {
            return false;
        }
        const std::uint16_t number = digit <= '9' ? static_cast<std::uint16_t>(digit - '3') : 0;
        SetWord(newFrame, CODE_G5X, number);
        return true;
    }
    if (second == '4' && third == '.') {
        SetWord(newFrame, CODE_G4_POINT, ReadWordNumber(line + G_FOURTH));
        return true;
    }
    if (EndsWord(third) || EndsWord(fourth)) {
        const std::uint16_t number = ReadWordNumber(line + G_SECOND);
        if (number >= G1X_BASE + G1X_NUMBER_MIN && number <= G1X_BASE + G1X_NUMBER_MAX) {
            SetWord(newFrame, CODE_G1X, static_cast<std::uint16_t>(number - G1X_BASE));
            return true;
        }
        const std::uint8_t code = FixedWordCode('G', number);
        if (code == NOT_FIXED) {
            return false;
        }
        SetWord(newFrame, code, number);
        return true;
    }
    // Long form: G11 to G15 followed by an axis letter.
    const int axis = AxisCode(fourth);
    if (axis == NO_AXIS) {
        return false;
    }
    line[G_FOURTH] = '\0';
    const std::uint16_t number = ReadWordNumber(line + G_SECOND);
    if (number < G1X_BASE + G1X_NUMBER_MIN || number > G1X_BASE + G1X_NUMBER_MAX) {
        return false;
    }
    SetWord(newFrame, static_cast<std::uint8_t>(CODE_G1X_AXIS_FIRST + axis),
            static_cast<std::uint16_t>(number - G1X_BASE));
    return true;
}

bool ParseToolWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    if (line[0] != 'M' || line[1] != '6' || line[2] != 'T') {
        return false;
    }
    SetWord(newFrame, CODE_TOOL, AtMost(ReadWordNumber(line + TOOL_NUMBER_START), TOOL_MAX));
    return true;
}

bool ParseEWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    if (line[0] != 'E') {
        return false;
    }
    SetWord(newFrame, CODE_E, AtLeast(ReadWordNumber(line + 1), WORD_NUMBER_MIN));
    return true;
}

bool ParseLWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    if (line[0] != 'L') {
        return false;
    }
    SetWord(newFrame, CODE_L, AtMost(AtLeast(ReadWordNumber(line + 1), WORD_NUMBER_MIN), L_MAX));
    return true;
}

bool ParseMHWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    if (line[0] == 'M') {
        const std::uint16_t number = ReadWordNumber(line + 1);
        const std::uint8_t fixed = FixedWordCode('M', number);
        SetWord(newFrame, fixed != NOT_FIXED ? fixed : CODE_M, AtMost(number, M_MAX));
        return true;
    }
    if (line[0] == 'H') {
        SetWord(newFrame, CODE_H, AtLeast(ReadWordNumber(line + 1), WORD_NUMBER_MIN));
        return true;
    }
    return false;
}

bool ParseFeedWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    if (line[0] != 'F') {
        return false;
    }
    SetWord(newFrame, CODE_FEED, ReadWordNumber(line + 1));
    return true;
}

bool ParseLine(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame)
{
    using WordParser = bool (*)(char*, ProgramFrame&, const ProgramFrame&);
    static constexpr std::array<WordParser, 7> PARSERS{
        ParseAxisWord, ParseGWord, ParseToolWord, ParseEWord, ParseLWord, ParseMHWord, ParseFeedWord,
    };
    for (WordParser parse : PARSERS) {
        if (parse(line, newFrame, currentFrame)) {
            return true;
        }
    }
    return false;
}
