// Tests that frames formatted as text parse back to the same frames, and where they do not.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "codec/frame_code.h"
#include "codec_test_util.h"

namespace {

using codec_test::DISABLED;
using codec_test::ExactLine;
using codec_test::MakeFrame;
using codec_test::Printable;

constexpr std::int32_t CURRENT_COORDINATE = -424242;

struct RoundTrip {
    std::string text;
    bool accepted;
    ProgramFrame parsed;
};

// Formats a frame (which must have text) and parses its line back, with a
// current frame whose coordinate differs from any used below.
RoundTrip FormatAndParse(const ProgramFrame& frame)
{
    const std::optional<std::string> text = codec_test::Format(frame);
    EXPECT_TRUE(text.has_value()) << "code " << int{frame.code()} << " number " << frame.number();
    ExactLine line(text.value_or(""));
    ProgramFrame parsed;
    const ProgramFrame current = MakeFrame(0, 0, CURRENT_COORDINATE);
    const bool accepted = ParseLine(line.get(), parsed, current);
    return {text.value_or(""), accepted, parsed};
}

void ExpectSameWord(const ProgramFrame& frame)
{
    const RoundTrip rt = FormatAndParse(frame);
    const std::string where = "code " + std::to_string(frame.code()) + " number " +
                              std::to_string(frame.number()) + " coordinate " +
                              std::to_string(frame.coordinate()) + " -> \"" + Printable(rt.text) + '"';
    ASSERT_TRUE(rt.accepted) << where;
    EXPECT_EQ(rt.parsed.code(), frame.code()) << where;
    EXPECT_EQ(rt.parsed.number(), frame.number()) << where;
    if (frame.code() <= CODE_AXIS_LAST) {
        EXPECT_EQ(rt.parsed.coordinate(), frame.coordinate()) << where;
    }
}

TEST(RoundTrip, AxisMoves)
{
    const std::int32_t coordinates[] = {0, 1, -1, 5, -5, 999, -999, 1000, 12345, -12345, 999999, -999999};
    const std::uint16_t feeds[] = {0, 5, 99, 100, 9999, 10000, 65535};
    for (std::uint8_t code = 0; code <= CODE_AXIS_LAST; ++code) {
        for (std::int32_t coordinate : coordinates) {
            for (std::uint16_t feed : feeds) {
                ExpectSameWord(MakeFrame(code, feed, coordinate));
            }
        }
        // Four integer digits still read back; the feed then has four digits' room.
        for (std::int32_t coordinate : {9999999, -9999999}) {
            for (std::uint16_t feed : {0, 5, 9999}) {
                ExpectSameWord(MakeFrame(code, feed, coordinate));
            }
        }
    }
}

TEST(RoundTrip, OtherWords)
{
    struct Words {
        std::uint8_t code;
        std::vector<std::uint16_t> numbers;
    };
    const Words words[] = {
        {CODE_G5X, {0, 1, 2, 3, 4, 5, 6}},
        {CODE_G90, {90}}, {CODE_G91, {91}}, {CODE_M20, {20}}, {CODE_G0, {0}}, {CODE_G1, {1}},
        {CODE_G49, {49}}, {CODE_G44, {44}}, {CODE_G43, {43}}, {CODE_G42, {42}}, {CODE_G41, {41}},
        {CODE_G40, {40}}, {CODE_G17, {17}}, {CODE_G18, {18}}, {CODE_G19, {19}}, {CODE_M41, {41}},
        {CODE_M42, {42}},
        {CODE_TOOL, {0, 1, 8}},
        {CODE_E, {1, 2, 99, 65535}},
        {CODE_L, {1, 25, 50}},
        {CODE_H, {1, 7, 65535}},
        {CODE_M, {0, 3, 6, 19, 21, 40, 43, 332}},
        {CODE_G4_POINT, {0, 5, 25, 65535}},
        {CODE_FEED, {0, 1, 100, 9999}},
    };
    for (const Words& w : words) {
        for (std::uint16_t number : w.numbers) {
            ExpectSameWord(MakeFrame(w.code, number));
        }
    }
}

// Mended: G11 to G15 are written so that they read back.
TEST(RoundTrip, G11ToG15FramesParseBack)
{
    for (std::uint8_t code = CODE_G1X; code <= CODE_G1X_AXIS_LAST; ++code) {
        for (std::uint16_t number = 1; number <= 5; ++number) {
            ExpectSameWord(MakeFrame(code, number));
        }
    }
}

// Frames whose line the parsing rules cannot read back as they were, with
// what the rules do give.
struct LossyRow {
    const char* name;
    ProgramFrame frame;
    bool accepted;
    std::uint8_t code;
    std::uint16_t number;
    std::int32_t coordinate; // checked for axis codes only
};

TEST(RoundTrip, LossyCases)
{
    const LossyRow rows[] = {
        {"five_integer_digits_take_current", MakeFrame(0, 100, 10000000), true, 0, 100,
         CURRENT_COORDINATE},
        {"five_integer_digits_negative", MakeFrame(1, 100, -10000000), true, 1, 100,
         CURRENT_COORDINATE},
        {"longest_axis_line_keeps_one_feed_digit", MakeFrame(0, 65535, INT32_MIN), true, 0, 6,
         CURRENT_COORDINATE},
        {"feed_cut_by_long_coordinate", MakeFrame(2, 65535, -9999999), true, 2, 6553, -9999999},
        {"feed_cut_to_four_digits", MakeFrame(2, 12345, -1234567), true, 2, 1234, -1234567},
        {"feed_word_above_9999", MakeFrame(CODE_FEED, 12000), true, CODE_FEED, 9999, 0},
        {"feed_word_65535", MakeFrame(CODE_FEED, 65535), true, CODE_FEED, 9999, 0},
        {"m_above_332", MakeFrame(CODE_M, 400), true, CODE_M, 332, 0},
        {"m_20_is_m20_word", MakeFrame(CODE_M, 20), true, CODE_M20, 20, 0},
        {"m_41_is_m41_word", MakeFrame(CODE_M, 41), true, CODE_M41, 41, 0},
        {"m_42_is_m42_word", MakeFrame(CODE_M, 42), true, CODE_M42, 42, 0},
        {"tool_above_8", MakeFrame(CODE_TOOL, 9), true, CODE_TOOL, 8, 0},
        {"tool_65535", MakeFrame(CODE_TOOL, 65535), true, CODE_TOOL, 8, 0},
        {"l_above_50", MakeFrame(CODE_L, 51), true, CODE_L, 50, 0},
        {"l_zero", MakeFrame(CODE_L, 0), true, CODE_L, 1, 0},
        {"e_zero", MakeFrame(CODE_E, 0), true, CODE_E, 1, 0},
        {"h_zero", MakeFrame(CODE_H, 0), true, CODE_H, 1, 0},
        {"fixed_word_number_not_kept", MakeFrame(CODE_G90, 7), true, CODE_G90, 90, 0},
        {"g5_number_7_is_no_g5_word", MakeFrame(CODE_G5X, 7), false, 0, 0, 0},
        {"g5_number_30_reads_as_g53", MakeFrame(CODE_G5X, 30), true, CODE_G5X, 0, 0},
        {"negative_code_reads_as_x", MakeFrame(0x90, 5, 1000), true, 0, 5, 1000},
        {"disabled_frame", MakeFrame(CODE_G1, 1, 0, DISABLED), false, 0, 0, 0},
    };
    for (const auto& row : rows) {
        const RoundTrip rt = FormatAndParse(row.frame);
        const std::string where = std::string(row.name) + ": \"" + Printable(rt.text) + '"';
        ASSERT_EQ(rt.accepted, row.accepted) << where;
        if (!row.accepted) {
            continue;
        }
        EXPECT_EQ(int{rt.parsed.code()}, int{row.code}) << where;
        EXPECT_EQ(rt.parsed.number(), row.number) << where;
        if (row.code <= CODE_AXIS_LAST) {
            EXPECT_EQ(rt.parsed.coordinate(), row.coordinate) << where;
        }
    }
}

} // namespace
