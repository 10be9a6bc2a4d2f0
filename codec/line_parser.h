// The line parser: G-code text into frames, and what a line lost on the way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/program_frame.h"

// Longest line the text import hands to the parser.
constexpr std::size_t LINE_TEXT_MAX = 19;

// Parses one line of G-code (NUL-terminated, leading spaces already skipped)
// into newFrame: `code`, `number`, and `coordinate` for an axis move. Every
// other byte of newFrame keeps what it held, so a word that is no axis move
// carries the coordinate of the frame parsed before it. currentFrame gives the
// coordinate when an axis word's number does not convert. Returns false when
// no word parser accepts the line. Reads nothing past the line's NUL; a G word
// with an axis letter has its fourth character replaced by NUL.
bool ParseLine(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);

// Ways a line can be taken other than as it was typed. The parsing rules are
// lenient; these say where they were, so that the user can be told before a
// program is stored.
enum class LossyKind : std::uint16_t {
    IgnoredText = 1 << 0,        // characters after the word were not read
    ValueLimited = 1 << 1,       // a number outside its range was limited or wrapped
    NumberReplaced = 1 << 2,     // no readable number: 0 or the current coordinate taken
    IntegerThousandths = 1 << 3, // a coordinate without a point, read in thousandths
    DecimalsCut = 1 << 4,        // decimals beyond the third were cut off
    ReadDifferently = 1 << 5,    // read, but as another value than it shows
    NotReadBack = 1 << 6,        // stored as typed, but its text reads back otherwise
    NulInLine = 1 << 7,          // a NUL byte ends the line early
    LineTooLong = 1 << 8,        // the line runs past the characters the import keeps
};

// What ParseLine did not read as written, for one line. No kind: the line
// was read exactly.
struct LineReading {
    std::uint16_t kinds = 0;
    // For IgnoredText: the position of the first character not read.
    std::uint8_t ignoredFrom = 0;

    bool Exact() const { return kinds == 0; }
    bool Has(LossyKind kind) const { return (kinds & static_cast<std::uint16_t>(kind)) != 0; }
    void Add(LossyKind kind) { kinds = static_cast<std::uint16_t>(kinds | static_cast<std::uint16_t>(kind)); }
};

// ParseLine that also says what it did not read as written. The frame and the
// line come out exactly as from ParseLine; `reading` is filled only for an
// accepted line.
bool ParseLine(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame,
               LineReading& reading);

// The word parsers, in the order ParseLine tries them. Each returns false,
// writing nothing, when the line is not its word.
bool ParseAxisWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);
bool ParseGWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);
bool ParseToolWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);
bool ParseEWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);
bool ParseLWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);
bool ParseMHWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);
bool ParseFeedWord(char* line, ProgramFrame& newFrame, const ProgramFrame& currentFrame);

// Integer text as the word numbers are written: white space skipped, an
// optional sign, decimal digits up to the first other character. No digits
// give 0; a number beyond the signed 32-bit range gives the nearest limit.
std::int32_t ReadIntegerText(const char* text);
// What a frame stores of integer text: the low 16 bits, unsigned.
std::uint16_t ReadWordNumber(const char* text);
