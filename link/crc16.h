// The link's CRC-16, returned byte-swapped as the frame builders store it.
#pragma once

#include <cstdint>
#include <span>

// The link's CRC-16: initial value 0xFFFF, reflected polynomial 0xA001, no
// final inversion. The result comes back with its two bytes swapped (the
// CRC's low byte in the high half), so a frame builder that stores the high
// half first puts the CRC on the line low byte first. Over a whole received
// frame, CRC bytes included, the result is 0.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes);
