// Bytes as hex digits, wherever a person or a file reads them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// "01 14 07" for {0x01, 0x14, 0x07}: upper-case digits, `separator` between
// bytes.
std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = " ");

// One byte as two upper-case digits: "0A".
std::string HexByte(std::uint8_t byte);

// "0aff": lower-case digits with nothing between, as digests are written.
std::string HexDigest(std::span<const std::uint8_t> bytes);
