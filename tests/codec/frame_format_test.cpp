// Tests of the frame formatter against the table of frame codes.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "codec/frame_code.h"
#include "codec_test_util.h"

namespace {

using codec_test::ACTIVE;
using codec_test::DISABLED;
using codec_test::Format;
using codec_test::MakeFrame;
using codec_test::Printable;

struct FormatRow {
    const char* name;
    ProgramFrame frame;
    const char* text; // nullptr: no text
};

void CheckRows(std::span<const FormatRow> rows)
{
    for (const auto& row : rows) {
        const std::optional<std::string> text = Format(row.frame);
        const std::string where = std::string(row.name) + ": code " +
                                  std::to_string(row.frame.code()) + " number " +
                                  std::to_string(row.frame.number());
        if (row.text == nullptr) {
            EXPECT_FALSE(text.has_value()) << where << " gave \"" << Printable(text.value_or("")) << '"';
        } else {
            EXPECT_EQ(text.value_or("<no text>"), row.text) << where;
        }
    }
}

TEST(FormatFrame, AxisWords)
{
    const FormatRow rows[] = {
        {"x_with_feed", MakeFrame(0, 100, 12345), "X12.345F100"},
        {"y_negative_short_feed", MakeFrame(1, 5, -500), "Y-0.500F05"},
        {"a_all_zero", MakeFrame(9, 0, 0), "A0.000F00"},
        {"z", MakeFrame(2, 1, 1), "Z0.001F01"},
        {"u", MakeFrame(3, 65535, -1), "U-0.001F65535"},
        {"d", MakeFrame(12, 10, 1000), "D1.000F10"},
        {"negative_code_is_x", MakeFrame(0x80, 7, 2000), "X2.000F07"},
        {"code_255_is_x", MakeFrame(0xFF, 7, 2000), "X2.000F07"},
        {"longest_line", MakeFrame(0, 65535, INT32_MIN, DISABLED), "//X-2147483.648F65535"},
    };
    CheckRows(rows);
    EXPECT_EQ(std::strlen("//X-2147483.648F65535"), FRAME_TEXT_MAX);
}

TEST(FormatFrame, OtherWords)
{
    const FormatRow rows[] = {
        {"g53", MakeFrame(13, 0), "G53"},
        {"g54", MakeFrame(13, 1), "G54"},
        {"g59", MakeFrame(13, 6), "G59"},
        {"g5_number_7", MakeFrame(13, 7), "G510"},
        {"g90", MakeFrame(14, 90), "G90"},
        {"g90_number_not_read", MakeFrame(14, 7), "G90"},
        {"g91", MakeFrame(15, 0), "G91"},
        {"tool", MakeFrame(16, 3), "M6T3"},
        {"e", MakeFrame(17, 12), "E12"},
        {"l", MakeFrame(18, 50), "L50"},
        {"h", MakeFrame(19, 65535), "H65535"},
        {"m20", MakeFrame(20, 0), "M20"},
        {"m", MakeFrame(21, 3), "M3"},
        {"g4_point", MakeFrame(22, 5), "G4.5"},
        {"g0", MakeFrame(23, 0), "G0"},
        {"g1", MakeFrame(24, 0), "G1"},
        {"g49", MakeFrame(25, 0), "G49"},
        {"g44", MakeFrame(26, 0), "G44"},
        {"g43", MakeFrame(27, 0), "G43"},
        {"g42", MakeFrame(28, 0), "G42"},
        {"g41", MakeFrame(29, 0), "G41"},
        {"g40", MakeFrame(30, 0), "G40"},
        {"g17", MakeFrame(31, 0), "G17"},
        {"g18", MakeFrame(32, 0), "G18"},
        {"g19", MakeFrame(33, 0), "G19"},
        {"feed", MakeFrame(49, 100), "F100"},
        {"feed_zero", MakeFrame(49, 0), "F0"},
        {"feed_9999", MakeFrame(49, 9999), "F9999"},
        {"feed_10000_clamped", MakeFrame(49, 10000), "F9999"},
        {"feed_12000_clamped", MakeFrame(49, 12000), "F9999"},
        {"feed_65535_clamped", MakeFrame(49, 65535), "F9999"},
        {"m41", MakeFrame(50, 0), "M41"},
        {"m42", MakeFrame(51, 0), "M42"},
        {"code_34", MakeFrame(34, 1), nullptr},
        {"code_52", MakeFrame(52, 1), nullptr},
        {"code_127", MakeFrame(127, 1), nullptr},
    };
    CheckRows(rows);
}

TEST(FormatFrame, SlotKindAndActiveByte)
{
    ProgramFrame free = MakeFrame(24, 0);
    free.setKind(0xFF);
    const FormatRow rows[] = {
        {"free_slot_with_valid_word", free, nullptr},
        {"kind_3", MakeFrame(24, 0, 0, ACTIVE, 3), nullptr},
        {"kind_middle", MakeFrame(24, 0, 0, ACTIVE, 0), "G1"},
        {"kind_head", MakeFrame(24, 0, 0, ACTIVE, 1), "G1"},
        {"kind_tail", MakeFrame(24, 0, 0, ACTIVE, 2), "G1"},
        {"disabled", MakeFrame(24, 0, 0, DISABLED), "//G1"},
        {"active_one_no_prefix", MakeFrame(24, 0, 0, 0x01), "G1"},
        {"active_0x80_no_prefix", MakeFrame(24, 0, 0, 0x80), "G1"},
        {"disabled_without_text", MakeFrame(34, 0, 0, DISABLED), nullptr},
    };
    CheckRows(rows);
}

// Mended: these frames had no text, so an export ended at the first one and
// lost the rest of the program.
TEST(FormatFrame, G11ToG15FramesGetText)
{
    const FormatRow rows[] = {
        {"g12", MakeFrame(35, 2), "G12"},
        {"g11", MakeFrame(35, 1), "G11"},
        {"g15", MakeFrame(35, 5), "G15"},
        {"g12_x", MakeFrame(36, 2), "G12X"},
        {"g12_z", MakeFrame(38, 2), "G12Z"},
        {"g13_r", MakeFrame(44, 3), "G13R"},
        {"g15_d", MakeFrame(48, 5), "G15D"},
        {"number_0", MakeFrame(35, 0), nullptr},
        {"number_6", MakeFrame(38, 6), nullptr},
        {"number_65535", MakeFrame(48, 65535), nullptr},
        {"disabled", MakeFrame(37, 4, 0, DISABLED), "//G14Y"},
    };
    CheckRows(rows);
}

TEST(FormatFrame, FeedAboveLimitIsLoweredInTheFrame)
{
    ProgramFrame frame = MakeFrame(CODE_FEED, 12000);
    char out[FRAME_TEXT_ROOM];
    ASSERT_TRUE(FormatFrame(frame, out));
    EXPECT_EQ(frame.number(), 9999);

    ProgramFrame axis = MakeFrame(0, 12000, 5);
    ASSERT_TRUE(FormatFrame(axis, out));
    EXPECT_EQ(axis.number(), 12000) << "an axis feed is written as it is";
}

class FormatWithAxisTables : public ::testing::Test {
protected:
    codec_test::ZeroAxisTables m_zero;
};

// A coordinate written without decimals can be a lone digit; it takes no feed.
TEST_F(FormatWithAxisTables, LoneDigitCoordinateTakesNoFeed)
{
    theAxisFormats[0] = 3u << FORMAT_COUNT_SHIFT; // linear, no decimals
    EXPECT_EQ(Format(MakeFrame(0, 100, 999)), "X0");
    EXPECT_EQ(Format(MakeFrame(0, 100, 12000)), "X12F100");
}

TEST_F(FormatWithAxisTables, RotaryAxisShowsTheDegreeSign)
{
    theAxisFormats[0] = 1u | (3u << FORMAT_COUNT_SHIFT); // angle, three decimals
    EXPECT_EQ(Format(MakeFrame(9, 5, 90000)), "A90.000\xF8" "F05");
}

// Whatever the tables ask for, the line stays within its room.
TEST_F(FormatWithAxisTables, WideCoordinateIsCutToTheLine)
{
    SelectCodec(0);
    theAxisFormats[0] = 7u | (15u << FORMAT_COUNT_SHIFT); // keep codec, 15 decimals
    const std::optional<std::string> text = Format(MakeFrame(0, 65535, INT32_MIN, DISABLED));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "//X-0.000002147483648");
}

} // namespace
