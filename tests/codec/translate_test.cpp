// Tests of the value codecs: text to fixed-point and back, by table.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "codec_test_util.h"

namespace {

struct FromTextRow {
    const char* name;
    const char* text;
    int length;
    bool ok;
    std::int32_t value;
};

constexpr int WHOLE = 15;

TEST(LinearFromText, Table)
{
    const FromTextRow rows[] = {
        {"half", "12.5", WHOLE, true, 12500},
        {"negative_half", "-0.5", WHOLE, true, -500},
        {"fourth_decimal_cut", "12.3456", WHOLE, true, 12345},
        {"no_point_is_thousandths", "12", WHOLE, true, 12},
        {"four_before_point", "1234.5", WHOLE, true, 1234500},
        {"five_before_point", "12345.6", WHOLE, false, 0},
        {"second_point", "1.2.3", WHOLE, false, 0},
        {"empty", "", WHOLE, true, 0},
        {"leading_space", " 12", WHOLE, true, 0},
        {"tenth", "0.1", WHOLE, true, 100},
        {"point_first", ".5", WHOLE, true, 500},
        {"point_last", "5.", WHOLE, true, 5000},
        {"minus_allows_five_before_point", "-1234.5", WHOLE, true, -1234500},
        {"minus_and_five_digits_before_point", "-12345.6", WHOLE, false, 0},
        {"space_ends_number", "12 34", WHOLE, true, 12},
        {"length_stops_inside", "12.5F10", 4, true, 12500},
        {"length_zero", "12", 0, true, 0},
        {"length_negative", "12", -1, true, 0},
        {"minus_in_the_middle", "12-.5", WHOLE, true, -12500},
        {"plus_fails", "+5", WHOLE, false, 0},
        {"comma_fails", "1,5", WHOLE, false, 0},
        {"carriage_return_fails", "1.5\r", WHOLE, false, 0},
    };
    for (const auto& row : rows) {
        theLinearCodec.SetValue(-7);
        const bool ok = theLinearCodec.FromText(row.text, static_cast<std::int8_t>(row.length));
        EXPECT_EQ(ok, row.ok) << row.name << ": \"" << row.text << "\" length " << row.length;
        if (row.ok) {
            EXPECT_EQ(theLinearCodec.GetValue(), row.value)
                << row.name << ": \"" << row.text << "\" length " << row.length;
        }
    }
}

// Text longer than 32 bits can hold must still convert without undefined
// behaviour; the value itself is whatever the wrapped arithmetic gives.
TEST(LinearFromText, OverlongNumbersWrapWithoutFault)
{
    for (const char* text : {"99999999999999", "-99999999999999", "1.99999999999999",
                             "-2147483648", "4294967296"}) {
        EXPECT_TRUE(theLinearCodec.FromText(text, static_cast<std::int8_t>(std::strlen(text))))
            << text;
    }
    EXPECT_TRUE(theLinearCodec.FromText("4294967306", 10));
    EXPECT_EQ(theLinearCodec.GetValue(), 10) << "accumulation wraps at 32 bits";
}

struct ToTextRow {
    const char* name;
    std::int32_t value;
    int digits;
    const char* text;
};

std::string ToText(CTranslate& codec, std::int32_t value, int digits)
{
    char out[CODEC_TEXT_ROOM];
    std::memset(out, '#', sizeof out);
    codec.SetValue(value);
    codec.SetDigits(static_cast<std::int8_t>(digits));
    EXPECT_TRUE(codec.ToText(out));
    const void* nul = std::memchr(out, '\0', sizeof out);
    EXPECT_NE(nul, nullptr) << "no NUL within CODEC_TEXT_ROOM";
    return nul != nullptr ? std::string(out) : std::string();
}

TEST(LinearToText, Table)
{
    const ToTextRow rows[] = {
        {"positive", 12345, 3, "12.345"},
        {"negative", -12345, 3, "-12.345"},
        {"whole_unit", 1000, 3, "1.000"},
        {"below_one", 123, 3, "0.123"},
        {"below_one_negative", -123, 3, "-0.123"},
        {"two_digits", 12, 3, "0.012"},
        {"one_digit_negative", -5, 3, "-0.005"},
        {"reduced_to_two_decimals", 999, 2, "0.99"},
        {"zero", 0, 3, "0.000"},
        {"minus_one", -1, 3, "-0.001"},
        {"largest", INT32_MAX, 3, "2147483.647"},
        {"smallest", INT32_MIN, 3, "-2147483.648"},
        {"zero_no_decimals", 0, 0, "0"},
        {"no_decimals", 12345, 0, "12"},
        {"reduced_to_zero_loses_sign", -5, 2, "0.00"},
        {"more_decimals_not_reduced", 12345, 5, "0.12345"},
        {"negative_digits_show_no_point", 12345, -1, "1"},
        {"widest_text", INT32_MIN, 15, "-0.000002147483648"},
        {"digits_above_widest_are_capped", 1, 127, "0.000000000000001"},
        {"most_negative_digits", INT32_MIN, -128, "0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ToText(theLinearCodec, row.value, row.digits), row.text)
            << row.name << ": value " << row.value << " digits " << row.digits;
    }
}

TEST(AngleToText, Table)
{
    const ToTextRow rows[] = {
        {"degrees_marked", 90000, 3, "90.000\xF8"},
        {"no_decimals_no_mark", 90000, 0, "90"},
        {"reduced_to_zero_after_zero_test", 90, 0, "0"},
        {"zero_marked", 0, 3, "0.000\xF8"},
        {"negative", -1500, 3, "-1.500\xF8"},
        {"six_decimals", 1, 6, "0.000001\xF8"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ToText(theAngleCodec, row.value, row.digits), row.text)
            << row.name << ": value " << row.value << " digits " << row.digits;
    }
    EXPECT_FALSE(theAngleCodec.IsPlainNumber());
}

TEST(AngleFromText, ReadsByTheLinearRule)
{
    ASSERT_TRUE(theAngleCodec.FromText("90.5", 4));
    EXPECT_EQ(theAngleCodec.GetValue(), 90500);
}

struct PlainFromTextRow {
    const char* name;
    const char* text;
    int length;
    bool ok;
    std::int32_t value;
    int digits;
};

TEST(PlainFromText, Table)
{
    const PlainFromTextRow rows[] = {
        {"quarter", "0.25", WHOLE, true, 25, 2},
        {"four_decimals_kept", "3.14159", WHOLE, true, 31415, 4},
        {"five_integer_digits_kept", "1234567", WHOLE, true, 12345, 0},
        {"negative", "-12.5", WHOLE, true, -125, 1},
        {"comma_fails", "1,5", WHOLE, false, 0, 0},
        {"space_fails", "1 5", WHOLE, false, 0, 0},
        {"length_stops_inside", "12.5", 2, true, 12, 0},
        {"length_zero_gives_one", "7", 0, true, 1, 0},
    };
    for (const auto& row : rows) {
        const bool ok = thePlainCodec.FromText(row.text, static_cast<std::int8_t>(row.length));
        EXPECT_EQ(ok, row.ok) << row.name << ": \"" << row.text << "\" length " << row.length;
        if (row.ok) {
            EXPECT_EQ(thePlainCodec.GetValue(), row.value) << row.name << ": \"" << row.text << "\"";
            EXPECT_EQ(thePlainCodec.GetDigits(), row.digits) << row.name << ": \"" << row.text << "\"";
        }
    }
}

TEST(PlainToText, Table)
{
    const ToTextRow rows[] = {
        {"four_decimals", 31415, 4, "3.1415"},
        {"below_one_negative", -5, 3, "-0.005"},
        {"quarter", 25, 2, "0.25"},
        {"zero", 0, 3, "0"},
        {"digits_above_five_limited", 1234567, 9, "12.34567"},
        {"negative_digits_limited", 123, -2, "123"},
        {"smallest", INT32_MIN, 5, "-21474.83648"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ToText(thePlainCodec, row.value, row.digits), row.text)
            << row.name << ": value " << row.value << " digits " << row.digits;
    }
}

TEST(PlainCodec, DigitsAreStoredBackWhenWritten)
{
    ToText(thePlainCodec, 1234567, 9);
    EXPECT_EQ(thePlainCodec.GetDigits(), CDouble::PLAIN_DIGITS_MAX);
    ToText(thePlainCodec, 0, 3);
    EXPECT_EQ(thePlainCodec.GetDigits(), 0);
}

TEST(PlainCodec, QuarterRoundTrips)
{
    ASSERT_TRUE(thePlainCodec.FromText("0.25", 4));
    char out[CODEC_TEXT_ROOM];
    ASSERT_TRUE(thePlainCodec.ToText(out));
    EXPECT_STREQ(out, "0.25");
}

TEST(BaseCodec, ConvertsNothing)
{
    CTranslate base(5, 3);
    char out[CODEC_TEXT_ROOM] = "untouched";
    EXPECT_FALSE(base.FromText("12", 2));
    EXPECT_FALSE(base.ToText(out));
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(base.GetValue(), 5);
    EXPECT_TRUE(base.IsPlainNumber());
    EXPECT_TRUE(thePlainCodec.IsPlainNumber());
    EXPECT_FALSE(theLinearCodec.IsPlainNumber());
}

} // namespace
