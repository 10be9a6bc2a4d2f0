// Hex: bytes as "01 14 07 ..." for the tests' failure messages.
#include <cstdio>

#include "tests/support/peer_line.h"

std::string Hex(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(b));
        if (!text.empty())
            text += ' ';
        text += digits;
    }
    return text;
}
