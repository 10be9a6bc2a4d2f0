// The axis tables and the choice of value codec for an axis slot.
#include "codec/axis_format.h"

#include "codec/translate.h"

std::array<std::uint32_t, AXIS_SLOT_COUNT> theAxisFormats{};
std::array<std::array<std::uint8_t, LETTER_MAP_ENTRY_SIZE>, AXIS_SLOT_COUNT> theAxisLetterMap{};
std::uint8_t theAxisMapCount = 0;

namespace {

constexpr int LINEAR_BASE_DIGITS = 3;
constexpr int ANGLE_BASE_DIGITS = 6;

} // namespace

std::uint8_t FindAxisSlot(std::uint8_t axisCode)
{
    // Signed on purpose: a count of 0 or 1 sends every code to slot 0.
    if (static_cast<int>(axisCode) >= static_cast<int>(theAxisMapCount) - 1) {
        return 0;
    }
    for (std::size_t s = 0; s < AXIS_SLOT_COUNT; ++s) {
        if ((theAxisLetterMap[s][LETTER_MAP_CODE_BYTE] & LETTER_MAP_CODE_MASK) == axisCode) {
            return static_cast<std::uint8_t>(s);
        }
    }
    return 0;
}

void SelectCodec(std::uint8_t slot)
{
    const std::uint32_t format = theAxisFormats[slot < AXIS_SLOT_COUNT ? slot : 0];
    const std::uint32_t kind = format & FORMAT_KIND_MASK;
    const int n = static_cast<int>((format >> FORMAT_COUNT_SHIFT) & FORMAT_COUNT_MASK);

    int digits = n;
    if (kind == FORMAT_KIND_LINEAR || kind == FORMAT_KIND_LINEAR_ALT) {
        theCurrentCodec = &theLinearCodec;
        digits = LINEAR_BASE_DIGITS - n;
    } else if (kind == FORMAT_KIND_ANGLE) {
        theCurrentCodec = &theAngleCodec;
        digits = ANGLE_BASE_DIGITS - n;
    } else if (theCurrentCodec == nullptr) {
        theCurrentCodec = &theLinearCodec;
    }
    theCurrentCodec->SetDigits(static_cast<std::int8_t>(digits));
}
