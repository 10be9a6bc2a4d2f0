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
