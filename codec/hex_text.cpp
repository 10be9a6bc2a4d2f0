// Bytes as hex digits.

#include "codec/hex_text.h"

namespace {

constexpr char UPPER_DIGITS[] = "0123456789ABCDEF";
constexpr char LOWER_DIGITS[] = "0123456789abcdef";
constexpr unsigned NIBBLE_BITS = 4;
constexpr unsigned NIBBLE_MASK = 0x0F;

std::string Digits(std::span<const std::uint8_t> bytes, std::string_view separator,
                   const char* digits)
{
    std::string text;
    text.reserve(bytes.size() * (2 + separator.size()));
    for (const std::uint8_t b : bytes) {
        if (!text.empty())
            text += separator;
        text += digits[b >> NIBBLE_BITS];
        text += digits[b & NIBBLE_MASK];
    }
    return text;
}

} // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator)
{
    return Digits(bytes, separator, UPPER_DIGITS);
}

std::string HexByte(std::uint8_t byte)
{
    return Digits(std::span<const std::uint8_t>(&byte, 1), {}, UPPER_DIGITS);
}

std::string HexDigest(std::span<const std::uint8_t> bytes)
{
    return Digits(bytes, {}, LOWER_DIGITS);
}
