// WithCrc: a hand-made request frame given its CRC, for requests no correct master builds.
#pragma once

#include <cstdint>

#include "link/crc16.h"
#include "tests/support/peer_line.h"

// `frame` with its CRC appended, low byte first: for requests that no
// correct master builds (bad reference type, inconsistent length).
inline Bytes WithCrc(Bytes frame)
{
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFFu));
    return frame;
}
