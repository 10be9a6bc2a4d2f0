// How bytes and times of the serial line are written where a person reads them.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// How bytes and times of the serial line are written wherever a person
// reads them: the link's trace and the simulator's transaction log.

// "01 14 07" for {0x01, 0x14, 0x07}: upper-case hex, single spaces.
std::string HexBytes(std::span<const std::uint8_t> bytes);

// Local time now with microseconds, "2026-12-08T07:52:01.123456".
std::string LineTimestamp();
