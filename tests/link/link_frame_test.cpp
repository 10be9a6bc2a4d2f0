// Tests of the link's request frames against the reference frames.
#include <gtest/gtest.h>

#include <array>

#include "link/controller_info.h"
#include "link/crc16.h"
#include "link/link_frame.h"
#include "tests/support/peer_line.h"

namespace {

struct ReadFrameRow {
    const char* name;
    std::uint16_t file;
    std::uint16_t record;
    std::uint16_t length;
    Bytes expected;
};

// The controller's reference frames, byte for byte as they go on the line.
TEST(LinkFrame, ReadRequestsMatchTheReferenceFrames)
{
    const ReadFrameRow rows[] = {
        {"read descriptor", 0, 1, 0,
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xA8, 0xE4}},
        {"read general parameters at offset 200", 1, 200, 200,
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x01, 0x00, 0xC8, 0x00, 0xC8, 0x44, 0x8C}},
        {"read size of program 1", ProgramFileNumber(LinkFile::Program, 1), 0, 600,
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x03, 0x00, 0x00, 0x02, 0x58, 0xBD, 0xBE}},
        {"read size of subprogram 50", ProgramFileNumber(LinkFile::Subprogram, 50), 0, 600,
         {0x01, 0x14, 0x07, 0x06, 0x31, 0x04, 0x00, 0x00, 0x02, 0x58, 0x0C, 0x5F}},
    };
    for (const ReadFrameRow& row : rows) {
        std::array<std::uint8_t, LinkFrame::READ_REQUEST_SIZE> frame{};
        const std::size_t size = LinkFrame::BuildReadRequest(frame, LinkFrame::UNIT_ADDRESS,
                                                             row.file, row.record, row.length);
        EXPECT_EQ(size, LinkFrame::READ_REQUEST_SIZE) << row.name;
        EXPECT_EQ(Bytes(frame.begin(), frame.end()), row.expected)
            << row.name << "\n  built:    " << Hex(frame) << "\n  expected: " << Hex(row.expected);
        EXPECT_EQ(Crc16(frame), 0) << row.name;
    }
}

TEST(LinkFrame, DeleteRequestIsTheReferenceFrame)
{
    const Bytes expected{0x01, 0x15, 0x07, 0x06, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xB4};
    std::array<std::uint8_t, LinkFrame::MAX_REQUEST_SIZE> frame{};
    const std::size_t size = LinkFrame::BuildWriteRequest(
        frame, LinkFrame::UNIT_ADDRESS, ProgramFileNumber(LinkFile::Program, 1), 0, {});
    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(size)), expected)
        << Hex(std::span(frame).first(size));
}

// Edges of the 8-bit byte count: a write of L bytes is 12 + L long with a
// byte count of L + 7, up to the longest frame of 255 bytes.
TEST(LinkFrame, WriteRequestOfLBytesIs12PlusLWithByteCountLPlus7)
{
    for (std::size_t length : {std::size_t{1}, std::size_t{16}, std::size_t{200},
                               LinkFrame::MAX_WRITE_DATA}) {
        Bytes data(length);
        for (std::size_t i = 0; i < length; ++i)
            data[i] = static_cast<std::uint8_t>(i * 7 + 1);
        std::array<std::uint8_t, LinkFrame::MAX_REQUEST_SIZE> frame{};
        const std::size_t size = LinkFrame::BuildWriteRequest(frame, LinkFrame::UNIT_ADDRESS,
                                                              0x1304, 0x0102, data);
        ASSERT_EQ(size, 12 + length) << "L = " << length;
        EXPECT_EQ(frame[2], length + 7) << "L = " << length;
        EXPECT_EQ(frame[8], length >> 8) << "L = " << length;
        EXPECT_EQ(frame[9], length & 0xFF) << "L = " << length;
        EXPECT_EQ(frame[4], 0x13) << "file number high byte first";
        EXPECT_EQ(frame[5], 0x04);
        EXPECT_EQ(Bytes(frame.begin() + 10, frame.begin() + 10 + static_cast<std::ptrdiff_t>(length)),
                  data)
            << "data travel in buffer order, L = " << length;
        EXPECT_EQ(Crc16(std::span(frame).first(size)), 0) << "L = " << length;
    }
}

TEST(LinkFrame, WriteRequestTooLongForTheFrameBuildsNothing)
{
    const Bytes data(LinkFrame::MAX_WRITE_DATA + 1, 0x5A);
    std::array<std::uint8_t, LinkFrame::MAX_REPLY_SIZE> frame{};
    frame.fill(0xEE);
    EXPECT_EQ(LinkFrame::BuildWriteRequest(frame, LinkFrame::UNIT_ADDRESS, 1, 0, data), 0u);
    for (std::uint8_t b : frame)
        ASSERT_EQ(b, 0xEE) << "nothing may be built";
}

TEST(LinkFrame, WriteRequestRefusesAnOutputTooSmall)
{
    const Bytes data(20, 0x11);
    std::array<std::uint8_t, 31> frame{};
    frame.fill(0xEE);
    EXPECT_EQ(LinkFrame::BuildWriteRequest(frame, LinkFrame::UNIT_ADDRESS, 1, 0, data), 0u);
    for (std::uint8_t b : frame)
        ASSERT_EQ(b, 0xEE);
}

} // namespace
