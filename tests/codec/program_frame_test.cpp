// Tests of ProgramFrame's field offsets and byte order.
#include <gtest/gtest.h>

#include "codec/program_frame.h"

namespace {

// The layout is fixed by the controller; every field must land at its own
// offset, little-endian, whatever the host.
TEST(ProgramFrame, FieldsLandAtTheirOffsetsLittleEndian)
{
    ProgramFrame f;
    f.bytes.fill(0xEE);
    f.setKind(0x02);
    f.setActive(0xFF);
    f.setCode(0x31);
    f.setNext(0x1234);
    f.setPrev(0xABCD);
    f.setNumber(0x0102);
    f.setCoordinate(-2);

    const std::array<std::uint8_t, 16> expected{0x02, 0xFF, 0x31, 0x34, 0x12, 0xCD, 0xAB, 0xEE,
                                                0xEE, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0xEE};
    EXPECT_EQ(f.bytes, expected);
    EXPECT_EQ(f.next(), 0x1234);
    EXPECT_EQ(f.prev(), 0xABCD);
    EXPECT_EQ(f.number(), 0x0102);
    EXPECT_EQ(f.coordinate(), -2);
}

TEST(ProgramFrame, CoordinateKeepsTheFullSignedRange)
{
    ProgramFrame f;
    for (std::int32_t v : {INT32_MIN, -1, 0, 1, INT32_MAX}) {
        f.setCoordinate(v);
        EXPECT_EQ(f.coordinate(), v);
    }
}

} // namespace
