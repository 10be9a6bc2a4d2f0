// ParseLine and its word parsers: one line of G-code read into a program frame.
#include "codec/line_parser.h"

#include <array>
#include <limits>

#include "codec/axis_format.h"
#include "codec/frame_code.h"
#include "codec/frame_format.h"
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

// Integer text as read, with where its reading stopped.
struct IntegerText {
    std::int32_t value = 0;
    std::size_t end = 0;    // the first character after the digits
    std::size_t digits = 0; // how many digits there were
    bool leadingZero = false;
    bool limited = false; // beyond the signed 32-bit range
};

IntegerText ReadInteger(const char* text)
{
    IntegerText t;
    std::size_t i = 0;
    while (IsWhite(text[i])) {
        ++i;
    }
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    t.leadingZero = text[i] == '0';
    // Digits beyond the 32-bit range no longer change the result.
    std::uint64_t magnitude = 0;
    for (; IsDigit(text[i]); ++i) {
        ++t.digits;
        if (magnitude <= INT32_MAGNITUDE_LIMIT) {
            magnitude = magnitude * BASE + static_cast<std::uint64_t>(text[i] - '0');
        }
    }
    t.end = i;
    if (negative) {
        t.limited = magnitude > INT32_MAGNITUDE_LIMIT;
        t.value = t.limited || magnitude == INT32_MAGNITUDE_LIMIT
                      ? std::numeric_limits<std::int32_t>::min()
                      : -static_cast<std::int32_t>(magnitude);
        return t;
    }
    t.limited = magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    t.value = t.limited ? std::numeric_limits<std::int32_t>::max()
                        : static_cast<std::int32_t>(magnitude);
    return t;
}

std::uint16_t Low16(std::int32_t v)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(v));
}

// What the reading of a line notes; nothing when nobody asked.
using Note = LineReading*;

// Blanks after a word lose nothing: spaces, tabs and a stray carriage return.
bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

// Text from `from` to the end of the line (or to `end`) that is more than
// blanks was not read.
void NoteRest(const char* line, std::size_t from, Note note,
              std::size_t end = std::numeric_limits<std::size_t>::max())
{
    for (std::size_t i = from; i < end && line[i] != '\0'; ++i) {
        if (!IsBlank(line[i])) {
            note->Add(LossyKind::IgnoredText);
            note->ignoredFrom = static_cast<std::uint8_t>(i);
            return;
        }
    }
}

// The number of a word, read as integer text from `from`: its low 16 bits.
std::uint16_t WordNumber(const char* line, std::size_t from, Note note)
{
    const IntegerText t = ReadInteger(line + from);
    if (note != nullptr) {
        if (t.digits == 0) {
            note->Add(LossyKind::NumberReplaced);
        } else if (t.limited || t.value < 0 || t.value > std::numeric_limits<std::uint16_t>::max()) {
            note->Add(LossyKind::ValueLimited);
        }
        NoteRest(line, from + t.end, note);
    }
    return Low16(t.value);
}

// A word number raised or lowered to the word's range. A missing number is
// reported as such, not as limited too.
std::uint16_t Limited(std::uint16_t number, std::uint16_t limited, Note note)
{
    if (note != nullptr && number != limited && !note->Has(LossyKind::NumberReplaced)) {
        note->Add(LossyKind::ValueLimited);
    }
    return limited;
}

constexpr int KEPT_DECIMALS = 3;
constexpr std::uint8_t WORD_ACTIVE = 0xFF;
constexpr std::int64_t THOUSAND = 1000;
// Beyond this a typed number is far out of any range; it need not grow.
constexpr std::int64_t MAGNITUDE_CAP = std::int64_t{1} << 50;

// Checks a coordinate or feed of an axis line, which the linear rule read
// from `length` characters of `text` (`converted`) as `value`, against what
// its characters say. Returns where the reading stopped, relative to `text`.
std::size_t NoteDecimal(const char* text, std::int8_t length, bool converted, std::int32_t value,
                        bool isFeed, Note note)
{
    std::size_t i = 0;
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int decimals = 0;
    std::size_t digits = 0;
    int minus = 0;
    bool minusInside = false;
    bool point = false;
    bool cut = false;
    for (; static_cast<int>(i) < length && text[i] != '\0' && text[i] != ' '; ++i) {
        const char ch = text[i];
        if (ch == '-') {
            ++minus;
            minusInside = minusInside || i != 0;
        } else if (ch == '.') {
            point = true;
        } else if (IsDigit(ch)) {
            ++digits;
            const int d = ch - '0';
            if (!point) {
                whole = std::min(whole * static_cast<std::int64_t>(BASE) + d, MAGNITUDE_CAP);
            } else if (++decimals <= KEPT_DECIMALS) {
                fraction = fraction * static_cast<std::int64_t>(BASE) + d;
            } else {
                cut = cut || d != 0;
            }
        }
    }
    if (!converted || digits == 0) {
        note->Add(LossyKind::NumberReplaced);
        return i;
    }
    if (minus > 1 || minusInside) {
        note->Add(LossyKind::ReadDifferently);
    }
    if (cut) {
        note->Add(LossyKind::DecimalsCut);
    }
    for (int k = decimals; k < KEPT_DECIMALS; ++k) {
        fraction *= static_cast<std::int64_t>(BASE);
    }
    // The value the characters stand for, in the unit the frame keeps.
    std::int64_t meant = point ? whole * THOUSAND + fraction : whole;
    if (minus > 0) {
        meant = -meant;
    }
    if (isFeed) {
        if (point) {
            note->Add(LossyKind::ReadDifferently); // a point makes the feed thousandths
        }
        if (meant < 0 || meant > std::numeric_limits<std::uint16_t>::max()) {
            note->Add(LossyKind::ValueLimited);
        }
        return i;
    }
    if (!point && meant != 0) {
        note->Add(LossyKind::IntegerThousandths);
    }
    if (meant != value) {
        note->Add(LossyKind::ValueLimited);
    }
    return i;
}

// Whether the stored word's own text reads back as the same word: the text
// the controller's copy will show when it is read.
bool ReadsBack(const ProgramFrame& stored, const ProgramFrame& currentFrame)
{
    ProgramFrame shown = stored;
    shown.setKind(0);
    shown.setActive(WORD_ACTIVE);
    std::array<char, FRAME_TEXT_ROOM> text{};
    if (!FormatFrame(shown, text)) {
        return false;
    }
    // The import keeps only the first LINE_TEXT_MAX characters of a line.
    text[LINE_TEXT_MAX] = '\0';
    ProgramFrame again = stored;
    if (!ParseLine(text.data(), again, currentFrame)) {
        return false;
    }
    return again.code() == stored.code() && again.number() == stored.number() &&
           (stored.code() > CODE_AXIS_LAST || again.coordinate() == stored.coordinate());
}

} // namespace

std::int32_t ReadIntegerText(const char* text)
{
    return ReadInteger(text).value;
}

std::uint16_t ReadWordNumber(const char* text)
{
    return Low16(ReadIntegerText(text));
}

namespace {

bool AxisWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame, Note note)
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
    const bool converted = codec.FromText(line + 1, coordinateChars);
    const std::int32_t coordinate = converted ? codec.GetValue() : currentFrame.coordinate();

    std::uint16_t feed = 0;
    const auto feedChars = static_cast<std::int8_t>(AXIS_WORD_LAST - feedAt);
    bool feedConverted = false;
    if (hasFeed && codec.FromText(line + feedAt + 1, feedChars)) {
        feedConverted = true;
        const std::int32_t v = codec.GetValue();
        feed = v < 0 ? 0 : static_cast<std::uint16_t>(static_cast<std::uint32_t>(v));
    }

    if (note != nullptr) {
        const std::size_t end = 1 + NoteDecimal(line + 1, coordinateChars, converted, coordinate,
                                                false, note);
        if (!hasFeed) {
            NoteRest(line, end, note);
        } else {
            // Only blanks may stand between the coordinate and the F.
            NoteRest(line, end, note, feedAt);
            const std::size_t feedEnd =
                feedAt + 1 + NoteDecimal(line + feedAt + 1, feedChars, feedConverted, feed, true, note);
            NoteRest(line, feedEnd, note);
        }
    }

    newFrame.setCode(code);
    newFrame.setCoordinate(coordinate);
    newFrame.setNumber(feed);
    return true;
}

bool GWord(char* line, ProgramFrame& newFrame, Note note)
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
        const bool isDigit = digit <= '9';
        const std::uint16_t number = isDigit ? static_cast<std::uint16_t>(digit - '3') : 0;
        if (note != nullptr) {
            if (!isDigit) {
                note->Add(LossyKind::NumberReplaced);
            }
            NoteRest(line, G_FOURTH, note);
        }
        SetWord(newFrame, CODE_G5X, number);
        return true;
    }
    if (second == '4' && third == '.') {
        const IntegerText digits = ReadInteger(line + G_FOURTH);
        if (note != nullptr && digits.leadingZero && digits.digits > 1) {
            // G4.05 is stored as 5 and shows as G4.5.
            note->Add(LossyKind::ReadDifferently);
        }
        SetWord(newFrame, CODE_G4_POINT, WordNumber(line, G_FOURTH, note));
        return true;
    }
    if (EndsWord(third) || EndsWord(fourth)) {
        LineReading reading;
        const std::uint16_t number = WordNumber(line, G_SECOND, note != nullptr ? &reading : nullptr);
        if (number >= G1X_BASE + G1X_NUMBER_MIN && number <= G1X_BASE + G1X_NUMBER_MAX) {
            SetWord(newFrame, CODE_G1X, static_cast<std::uint16_t>(number - G1X_BASE));
        } else {
            const std::uint8_t code = FixedWordCode('G', number);
            if (code == NOT_FIXED) {
                return false;
            }
            SetWord(newFrame, code, number);
        }
        if (note != nullptr) {
            *note = reading;
        }
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
    if (note != nullptr) {
        NoteRest(line, G_FOURTH + 1, note);
    }
    SetWord(newFrame, static_cast<std::uint8_t>(CODE_G1X_AXIS_FIRST + axis),
            static_cast<std::uint16_t>(number - G1X_BASE));
    return true;
}

bool ToolWord(char* line, ProgramFrame& newFrame, Note note)
{
    if (line[0] != 'M' || line[1] != '6' || line[2] != 'T') {
        return false;
    }
    const std::uint16_t number = WordNumber(line, TOOL_NUMBER_START, note);
    SetWord(newFrame, CODE_TOOL, Limited(number, AtMost(number, TOOL_MAX), note));
    return true;
}

bool EWord(char* line, ProgramFrame& newFrame, Note note)
{
    if (line[0] != 'E') {
        return false;
    }
    const std::uint16_t number = WordNumber(line, 1, note);
    SetWord(newFrame, CODE_E, Limited(number, AtLeast(number, WORD_NUMBER_MIN), note));
    return true;
}

bool LWord(char* line, ProgramFrame& newFrame, Note note)
{
    if (line[0] != 'L') {
        return false;
    }
    const std::uint16_t number = WordNumber(line, 1, note);
    SetWord(newFrame, CODE_L,
            Limited(number, AtMost(AtLeast(number, WORD_NUMBER_MIN), L_MAX), note));
    return true;
}

bool MHWord(char* line, ProgramFrame& newFrame, Note note)
{
    if (line[0] == 'M') {
        const std::uint16_t number = WordNumber(line, 1, note);
        const std::uint8_t fixed = FixedWordCode('M', number);
        SetWord(newFrame, fixed != NOT_FIXED ? fixed : CODE_M,
                Limited(number, AtMost(number, M_MAX), note));
        return true;
    }
    if (line[0] == 'H') {
        const std::uint16_t number = WordNumber(line, 1, note);
        SetWord(newFrame, CODE_H, Limited(number, AtLeast(number, WORD_NUMBER_MIN), note));
        return true;
    }
    return false;
}

bool FeedWord(char* line, ProgramFrame& newFrame, Note note)
{
    if (line[0] != 'F') {
        return false;
    }
    SetWord(newFrame, CODE_FEED, WordNumber(line, 1, note));
    return true;
}

bool ParseWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame, Note note)
{
    return AxisWord(line, newFrame, currentFrame, note) || GWord(line, newFrame, note) ||
           ToolWord(line, newFrame, note) || EWord(line, newFrame, note) ||
           LWord(line, newFrame, note) || MHWord(line, newFrame, note) ||
           FeedWord(line, newFrame, note);
}

} // namespace

bool ParseAxisWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame)
{
    return AxisWord(line, newFrame, currentFrame, nullptr);
}

bool ParseGWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    return GWord(line, newFrame, nullptr);
}

bool ParseToolWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    return ToolWord(line, newFrame, nullptr);
}

bool ParseEWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    return EWord(line, newFrame, nullptr);
}

bool ParseLWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    return LWord(line, newFrame, nullptr);
}

bool ParseMHWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    return MHWord(line, newFrame, nullptr);
}

bool ParseFeedWord(char* line, ProgramFrame& newFrame, const ProgramFrame&)
{
    return FeedWord(line, newFrame, nullptr);
}

bool ParseLine(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame)
{
    return ParseWord(line, newFrame, currentFrame, nullptr);
}

bool ParseLine(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame,
               LineReading& reading)
{
    reading = LineReading{};
    if (!ParseWord(line, newFrame, currentFrame, &reading)) {
        reading = LineReading{};
        return false;
    }
    // The frame holds what was typed, but the controller's copy would read
    // back as another word.
    if (!ReadsBack(newFrame, currentFrame)) {
        reading.Add(LossyKind::NotReadBack);
    }
    return true;
}
