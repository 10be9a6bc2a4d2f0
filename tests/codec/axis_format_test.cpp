// Tests of the axis tables: which slot serves an axis and which codec a format selects.
#include <gtest/gtest.h>

#include "codec_test_util.h"

namespace {

using codec_test::ZeroAxisTables;

constexpr std::uint32_t Format(std::uint32_t kind, std::uint32_t n)
{
    return kind | (n << FORMAT_COUNT_SHIFT);
}

class AxisFormat : public ::testing::Test {
protected:
    ZeroAxisTables m_zero;
};

TEST_F(AxisFormat, ZeroTablesSendEveryCodeToSlotZero)
{
    for (int code = 0; code <= UINT8_MAX; ++code) {
        EXPECT_EQ(FindAxisSlot(static_cast<std::uint8_t>(code)), 0) << "code " << code;
    }
}

TEST_F(AxisFormat, ZeroTablesSelectLinearWithThreeDecimals)
{
    SelectCodec(0);
    EXPECT_EQ(theCurrentCodec, &theLinearCodec);
    EXPECT_EQ(theCurrentCodec->GetDigits(), 3);
}

struct SelectRow {
    const char* name;
    std::uint32_t format;
    const CTranslate* codec;
    int digits;
};

TEST_F(AxisFormat, SelectCodecByKind)
{
    const SelectRow rows[] = {
        {"linear", Format(0, 0), &theLinearCodec, 3},
        {"linear_two_decimals", Format(0, 1), &theLinearCodec, 2},
        {"linear_negative_decimals", Format(0, 5), &theLinearCodec, -2},
        {"angle", Format(1, 0), &theAngleCodec, 6},
        {"angle_three_decimals", Format(1, 3), &theAngleCodec, 3},
        {"kind_two_is_linear", Format(2, 15), &theLinearCodec, -12},
        {"high_bits_ignored", Format(1, 2) | 0xFFFFFF80u, &theAngleCodec, 4},
    };
    for (const auto& row : rows) {
        theAxisFormats[0] = row.format;
        theCurrentCodec = &thePlainCodec;
        SelectCodec(0);
        EXPECT_EQ(theCurrentCodec, row.codec) << row.name << ": format 0x" << std::hex << row.format;
        EXPECT_EQ(theCurrentCodec->GetDigits(), row.digits) << row.name;
    }
}

TEST_F(AxisFormat, KindsThreeToSevenKeepTheCurrentCodec)
{
    for (std::uint32_t kind = 3; kind <= 7; ++kind) {
        theAxisFormats[2] = Format(1, 0);
        SelectCodec(2);
        theAxisFormats[3] = Format(kind, 9);
        SelectCodec(3);
        EXPECT_EQ(theCurrentCodec, &theAngleCodec) << "kind " << kind;
        EXPECT_EQ(theCurrentCodec->GetDigits(), 9) << "kind " << kind;
    }
}

// Mended: with nothing chosen yet there was no codec to keep.
TEST_F(AxisFormat, KindThreeBeforeAnySelectionTakesLinearCodec)
{
    for (std::uint32_t kind = 3; kind <= 7; ++kind) {
        theCurrentCodec = nullptr;
        theAxisFormats[0] = Format(kind, 2);
        SelectCodec(0);
        ASSERT_EQ(theCurrentCodec, &theLinearCodec) << "kind " << kind;
        EXPECT_EQ(theCurrentCodec->GetDigits(), 2) << "kind " << kind;
    }
}

TEST_F(AxisFormat, SlotBeyondTablesReadsSlotZero)
{
    theAxisFormats[0] = Format(1, 0);
    SelectCodec(200);
    EXPECT_EQ(theCurrentCodec, &theAngleCodec);
}

struct SlotRow {
    const char* name;
    std::uint8_t count;
    std::uint8_t code;
    std::uint8_t slot;
};

TEST_F(AxisFormat, FindAxisSlotSearchesTheLetterMap)
{
    // Slot s serves axis code 5 - s; the high nibble and first byte are noise.
    for (std::size_t s = 0; s < AXIS_SLOT_COUNT; ++s) {
        theAxisLetterMap[s] = {0xEE, static_cast<std::uint8_t>(0xA0 | (5 - s))};
    }
    const SlotRow rows[] = {
        {"found", 7, 2, 3},
        {"found_last_slot", 7, 0, 5},
        {"code_at_count_minus_one", 7, 6, 0},
        {"code_below_count_minus_one_not_mapped", 12, 9, 0},
        {"count_zero", 0, 2, 0},
        {"count_one", 1, 2, 0},
        {"count_two_only_code_zero_searched", 2, 0, 5},
    };
    for (const auto& row : rows) {
        theAxisMapCount = row.count;
        EXPECT_EQ(FindAxisSlot(row.code), row.slot)
            << row.name << ": count " << int{row.count} << " code " << int{row.code};
    }
}

} // namespace
