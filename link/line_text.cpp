// Hex bytes and microsecond timestamps as the trace and the transaction log write them.
#include "link/line_text.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr std::size_t TIME_TEXT_SIZE = 32;
constexpr long NS_PER_US = 1000;
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
constexpr unsigned NIBBLE_BITS = 4;
constexpr unsigned NIBBLE_MASK = 0x0F;
constexpr std::size_t CHARS_PER_BYTE = 3; // two digits and a space

} // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * CHARS_PER_BYTE);
    for (const std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += HEX_DIGITS[b >> NIBBLE_BITS];
        text += HEX_DIGITS[b & NIBBLE_MASK];
    }
    return text;
}

std::string LineTimestamp()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &now.tv_sec);
#else
    ::localtime_r(&now.tv_sec, &local);
#endif
    char text[TIME_TEXT_SIZE];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    char micro[TIME_TEXT_SIZE];
    std::snprintf(micro, sizeof micro, ".%06ld", now.tv_nsec / NS_PER_US);
    return std::string(text, n) + micro;
}
