// Frame codes: what a program frame's code byte means, and the fixed G and M words.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// What a program frame holds, by its `code` byte. Codes 0 to 12 are axis
// moves; the parser never writes 34 or 52 and above. A code read as a signed
// byte below 0 is taken as an X move by the formatter.
constexpr std::uint8_t CODE_AXIS_LAST = 12;
constexpr std::uint8_t CODE_G5X = 13;      // G53 to G59, number 0 to 6
constexpr std::uint8_t CODE_G90 = 14;
constexpr std::uint8_t CODE_G91 = 15;
constexpr std::uint8_t CODE_TOOL = 16;     // M6T, number = tool
constexpr std::uint8_t CODE_E = 17;
constexpr std::uint8_t CODE_L = 18;
constexpr std::uint8_t CODE_H = 19;
constexpr std::uint8_t CODE_M20 = 20;
constexpr std::uint8_t CODE_M = 21;        // any other M word
constexpr std::uint8_t CODE_G4_POINT = 22; // G4., number = digits after the point
constexpr std::uint8_t CODE_G0 = 23;
constexpr std::uint8_t CODE_G1 = 24;
constexpr std::uint8_t CODE_G49 = 25;
constexpr std::uint8_t CODE_G44 = 26;
constexpr std::uint8_t CODE_G43 = 27;
constexpr std::uint8_t CODE_G42 = 28;
constexpr std::uint8_t CODE_G41 = 29;
constexpr std::uint8_t CODE_G40 = 30;
constexpr std::uint8_t CODE_G17 = 31;
constexpr std::uint8_t CODE_G18 = 32;
constexpr std::uint8_t CODE_G19 = 33;
constexpr std::uint8_t CODE_G1X = 35;           // G11 to G15, number 1 to 5
constexpr std::uint8_t CODE_G1X_AXIS_FIRST = 36; // G11 to G15 with X ...
constexpr std::uint8_t CODE_G1X_AXIS_LAST = 48;  // ... up to D
constexpr std::uint8_t CODE_FEED = 49;
constexpr std::uint8_t CODE_M41 = 50;
constexpr std::uint8_t CODE_M42 = 51;

// Numbers of the words behind the G5x, G1x and tool codes.
constexpr std::uint16_t G5X_OFFSET = 3;    // written "G5" and number + 3: G53 is 0
constexpr std::uint16_t G1X_BASE = 10;     // G11 is number 1
constexpr std::uint16_t G1X_NUMBER_MIN = 1;
constexpr std::uint16_t G1X_NUMBER_MAX = 5;

// A G or M word whose frame number is fixed by its code: the text is the
// letter followed by `number`, and the parser stores that number.
struct FixedWord {
    std::uint8_t code;
    char letter;
    std::uint16_t number;
};

inline constexpr std::array<FixedWord, 16> FIXED_WORDS{{
    {CODE_G90, 'G', 90}, {CODE_G91, 'G', 91}, {CODE_G0, 'G', 0},   {CODE_G1, 'G', 1},
    {CODE_G40, 'G', 40}, {CODE_G41, 'G', 41}, {CODE_G42, 'G', 42}, {CODE_G43, 'G', 43},
    {CODE_G44, 'G', 44}, {CODE_G49, 'G', 49}, {CODE_G17, 'G', 17}, {CODE_G18, 'G', 18},
    {CODE_G19, 'G', 19}, {CODE_M20, 'M', 20}, {CODE_M41, 'M', 41}, {CODE_M42, 'M', 42},
}};

// Axis letters in code order: X is code 0, D is code 12.
constexpr std::array<char, CODE_AXIS_LAST + 1> AXIS_LETTERS{'X', 'Y', 'Z', 'U', 'V', 'W', 'P',
                                                           'Q', 'R', 'A', 'B', 'C', 'D'};
constexpr int NO_AXIS = -1;

// The letter of an axis code; any code that is no axis gets X.
constexpr char AxisLetter(std::uint8_t code)
{
    return code <= CODE_AXIS_LAST ? AXIS_LETTERS[code] : AXIS_LETTERS[0];
}

// The axis code of an upper-case letter, or NO_AXIS.
constexpr int AxisCode(char letter)
{
    for (std::size_t i = 0; i < AXIS_LETTERS.size(); ++i) {
        if (AXIS_LETTERS[i] == letter) {
            return static_cast<int>(i);
        }
    }
    return NO_AXIS;
}
