// LossyLine: one line of a program text the import did not take as written.
#pragma once

#include <cstdint>
#include <string>

#include "codec/line_parser.h"

// One line of a program text that the import did not take as written.
struct LossyLine {
    std::uint32_t number = 0; // physical line number, from 1
    // The line as the import kept it, from its first character that is not a
    // space; NUL bytes stay in it.
    std::string typed;
    // The text of the word that is stored for it.
    std::string stored;
    LineReading reading;
};
