// Tests of the link's CRC-16 against known frames, by table.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "link/crc16.h"
#include "tests/support/peer_line.h"

namespace {

struct CrcRow {
    const char* name;
    Bytes input;
    std::uint16_t expected; // as Crc16 returns it: bytes swapped
};

Bytes Ascii(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// Check values of the Modbus CRC-16 (initial 0xFFFF, reflected 0xA001, no
// final inversion), from the published catalogue of CRC parameters and the
// protocol's own reference frames.
TEST(Crc16, ReturnsTheCrcWithItsBytesSwapped)
{
    const CrcRow rows[] = {
        {"check string 123456789", Ascii("123456789"), 0x374B},
        {"nothing: the initial value", {}, 0xFFFF},
        {"read holding registers, unit 1, 0 count 1", {0x01, 0x03, 0x00, 0x00, 0x00, 0x01}, 0x840A},
    };
    for (const CrcRow& row : rows)
        EXPECT_EQ(Crc16(row.input), row.expected) << row.name << ": " << Hex(row.input);
}

// A frame that carries its own CRC, low byte first, sums to zero: this is
// how a reply is checked.
TEST(Crc16, FrameWithItsCrcAppendedChecksToZero)
{
    Bytes frame = Ascii("123456789");
    frame.push_back(0x37);
    frame.push_back(0x4B);
    EXPECT_EQ(Crc16(frame), 0) << Hex(frame);

    frame.back() ^= 0x01;
    EXPECT_NE(Crc16(frame), 0) << "one flipped bit must show: " << Hex(frame);
}

} // namespace
