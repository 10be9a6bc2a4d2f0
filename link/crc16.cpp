// Crc16: the link's CRC-16, computed bit by bit.
#include "link/crc16.h"

std::uint16_t Crc16(std::span<const std::uint8_t> bytes)
{
    constexpr std::uint16_t POLYNOMIAL = 0xA001;
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = ((crc ^ byte) & 1u) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (carry)
                crc ^= POLYNOMIAL;
            byte = static_cast<std::uint8_t>(byte >> 1);
        }
    }
    return static_cast<std::uint16_t>((crc << 8) | (crc >> 8));
}
