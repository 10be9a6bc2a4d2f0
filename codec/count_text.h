// A count with its Russian noun in the form the number asks for: "4 байта", "11 байт".
#pragma once

#include <cstddef>
#include <string>

// The three Russian forms of a counted noun: for 1 (and 21, 31, ...), for 2
// to 4 (22 to 24, ...) and for the rest, 11 to 14 included.
struct NounForms {
    const char* one;
    const char* few;
    const char* many;
};

inline constexpr NounForms WORD_FORMS{"слово", "слова", "слов"};
inline constexpr NounForms BYTE_FORMS{"байт", "байта", "байт"};

// The form of `forms` that follows `count`.
const char* FormFor(std::size_t count, const NounForms& forms);

// "23 слова", "1 байт".
std::string CountText(std::size_t count, const NounForms& forms);
