// Tests of what ParseLine reports about lines it did not read as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/frame_code.h"
#include "codec_test_util.h"

namespace {

using codec_test::ExactLine;
using codec_test::MakeFrame;
using codec_test::Printable;

constexpr std::int32_t CURRENT_COORDINATE = 777777;

using K = LossyKind;

struct ReadingRow {
    const char* name;
    const char* line;
    std::vector<LossyKind> kinds; // empty: read exactly
};

std::string KindNames(std::uint16_t kinds)
{
    static const struct {
        LossyKind kind;
        const char* name;
    } NAMES[] = {
        {K::IgnoredText, "ignored"},        {K::ValueLimited, "limited"},
        {K::NumberReplaced, "replaced"},    {K::IntegerThousandths, "thousandths"},
        {K::DecimalsCut, "decimals-cut"},   {K::ReadDifferently, "read-differently"},
        {K::NotReadBack, "not-read-back"},  {K::NulInLine, "nul"},
        {K::LineTooLong, "too-long"},
    };
    std::string text;
    for (const auto& n : NAMES)
        if ((kinds & static_cast<std::uint16_t>(n.kind)) != 0)
            text += std::string(text.empty() ? "" : ",") + n.name;
    return text.empty() ? "exact" : text;
}

void CheckRows(const std::vector<ReadingRow>& rows)
{
    for (const ReadingRow& row : rows) {
        const std::string where = std::string(row.name) + ": \"" + Printable(row.line) + '"';
        ExactLine plainText(row.line);
        ExactLine reportedText(row.line);
        ProgramFrame plain;
        plain.bytes.fill(0xA5);
        ProgramFrame reported = plain;
        const ProgramFrame current = MakeFrame(0, 0, CURRENT_COORDINATE);
        LineReading reading;
        const bool accepted = ParseLine(plainText.get(), plain, current);
        ASSERT_EQ(ParseLine(reportedText.get(), reported, current, reading), accepted) << where;
        ASSERT_TRUE(accepted) << where;
        // The report changes nothing of what the parse produces.
        EXPECT_EQ(reported.bytes, plain.bytes) << where;
        EXPECT_STREQ(reportedText.get(), plainText.get()) << where;

        std::uint16_t expected = 0;
        for (LossyKind k : row.kinds)
            expected = static_cast<std::uint16_t>(expected | static_cast<std::uint16_t>(k));
        EXPECT_EQ(KindNames(reading.kinds), KindNames(expected)) << where;
    }
}

// What a technologist typed and the rules store as something else.
TEST(LineReading, MistypedLinesAreReported)
{
    CheckRows({
        {"move_after_g1_ignored", "G1 X10", {K::IgnoredText}},
        {"space_before_coordinate", "X 60.000", {K::NumberReplaced, K::IgnoredText}},
        {"double_point", "X10..5", {K::NumberReplaced}},
        {"plus_sign", "X+5.0", {K::NumberReplaced}},
        {"letters_for_number", "XYZ", {K::NumberReplaced}},
        {"tool_above_8", "M6T12", {K::ValueLimited}},
        {"m_above_332", "M999", {K::ValueLimited}},
        {"integer_coordinate", "X60", {K::IntegerThousandths}},
        {"word_of_another_kind", "HELLO", {K::NumberReplaced, K::IgnoredText}},
    });
}

// The rows of the parser's own table, each lossy kind at least once.
TEST(LineReading, ParserTableRows)
{
    CheckRows({
        {"axis_thousandths", "X10", {K::IntegerThousandths}},
        {"axis_with_feed", "X10.5F200", {}},
        {"axis_negative_short_feed", "Y-2.25F05", {}},
        {"axis_letter_alone", "Z", {K::NumberReplaced}},
        {"axis_bad_number", "Xabc", {K::NumberReplaced}},
        {"negative_feed_is_zero", "X1.5F-3", {K::ValueLimited}},
        {"g01", "G01", {}},
        {"g12", "G12", {}},
        {"g12_axis_rest_ignored", "G12Z5", {K::IgnoredText}},
        {"g12_axis", "G12Z", {}},
        {"g54", "G54", {}},
        {"g4_point", "G4.25", {}},
        {"g4_point_leading_zero", "G4.05", {K::ReadDifferently}},
        {"m6", "M6", {}},
        {"m400", "M400", {K::ValueLimited}},
        {"m41", "M41", {}},
        {"e0", "E0", {K::ValueLimited}},
        {"l99", "L99", {K::ValueLimited}},
        {"h0", "H0", {K::ValueLimited}},
        {"feed_above_what_reads_back", "F12000", {K::NotReadBack}},
        {"bare_g", "G", {K::NumberReplaced}},
        {"g5_letter_is_g53", "G5X", {K::NumberReplaced}},
        {"g54_rest", "G541", {K::IgnoredText}},
        {"feed_word_wraps", "F65536", {K::ValueLimited}},
        {"m_negative", "M-1", {K::ValueLimited}},
        {"tool_missing", "M6T", {K::NumberReplaced}},
        {"feed_with_point_is_thousandths", "X1.5F1.5", {K::ReadDifferently}},
        {"feed_cut_at_14", "X-1234.567F12345", {K::IgnoredText}},
        {"f_at_15_spoils_coordinate", "X12345678901234F5", {K::NumberReplaced, K::IgnoredText}},
        {"five_digits_before_point", "X12345.678F100", {K::NumberReplaced}},
        {"fourth_decimal_cut", "X12.3456", {K::DecimalsCut}},
        {"zero_fourth_decimal_kept", "X12.3450", {}},
        {"coordinate_overflows", "X99999999999999",
         {K::IntegerThousandths, K::ValueLimited, K::NotReadBack}},
        {"minus_inside", "X1-2.5", {K::ReadDifferently}},
        {"space_then_feed", "X12.5 F5", {}},
        {"text_between_coordinate_and_feed", "X12.5 Y F5", {K::IgnoredText}},
        {"text_after_feed", "X1.5F5 G1", {K::IgnoredText}},
        {"trailing_blanks", "G1 \t ", {}},
        {"carriage_return_after_g1", "G1\r", {}},
        {"carriage_return_spoils_coordinate", "X10.0\r", {K::NumberReplaced}},
        {"long_line_keeps_one_feed_digit", "X-9999.9F65535", {K::NotReadBack}},
    });
}

// Every line the export writes of a frame that reads back as it was.
TEST(LineReading, ExportedLinesReadExactly)
{
    std::vector<ProgramFrame> frames;
    for (std::uint8_t code = 0; code <= CODE_AXIS_LAST; ++code)
        for (std::int32_t coordinate : {0, 1, -1, 999, -1000, 12345, -12345, 9999999, -9999999})
            for (std::uint16_t feed : {0, 5, 100, 9999})
                frames.push_back(MakeFrame(code, feed, coordinate));
    for (const FixedWord& fixed : FIXED_WORDS)
        frames.push_back(MakeFrame(fixed.code, fixed.number));
    for (std::uint16_t n = 0; n <= 6; ++n)
        frames.push_back(MakeFrame(CODE_G5X, n));
    for (std::uint8_t code = CODE_G1X; code <= CODE_G1X_AXIS_LAST; ++code)
        for (std::uint16_t n = 1; n <= 5; ++n)
            frames.push_back(MakeFrame(code, n));
    for (std::uint16_t n : {0, 1, 8})
        frames.push_back(MakeFrame(CODE_TOOL, n));
    for (std::uint16_t n : {1, 50})
        frames.push_back(MakeFrame(CODE_L, n));
    for (std::uint8_t code : {CODE_E, CODE_H})
        for (std::uint16_t n : {1, 7, 65535})
            frames.push_back(MakeFrame(code, n));
    for (std::uint16_t n : {0, 3, 6, 332})
        frames.push_back(MakeFrame(CODE_M, n));
    for (std::uint16_t n : {0, 5, 25, 999})
        frames.push_back(MakeFrame(CODE_G4_POINT, n));
    for (std::uint16_t n : {0, 1, 9999})
        frames.push_back(MakeFrame(CODE_FEED, n));

    for (const ProgramFrame& frame : frames) {
        const std::optional<std::string> text = codec_test::Format(frame);
        ASSERT_TRUE(text) << "code " << int{frame.code()};
        ExactLine line(*text);
        ProgramFrame parsed;
        LineReading reading;
        ASSERT_TRUE(ParseLine(line.get(), parsed, MakeFrame(0, 0, CURRENT_COORDINATE), reading))
            << *text;
        EXPECT_EQ(KindNames(reading.kinds), "exact") << *text;
    }
}

} // namespace
