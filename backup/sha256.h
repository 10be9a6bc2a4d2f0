// SHA-256 of a byte string, as the backup manifest records it for each file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// SHA-256 of a byte string, as the backup manifest records it for each file.
inline constexpr std::size_t SHA256_SIZE = 32;
using Sha256Digest = std::array<std::uint8_t, SHA256_SIZE>;

Sha256Digest Sha256(std::span<const std::uint8_t> bytes);
// The digest as 64 lower-case hex digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);
