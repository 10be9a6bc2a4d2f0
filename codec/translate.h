// Value codecs: a frame's fixed-point coordinate or feed as decimal text and back.
#pragma once

#include <cstddef>
#include <cstdint>

// Value codecs: a frame keeps a coordinate or a feed as a signed 32-bit
// fixed-point integer; these turn it into decimal text and back with integer
// arithmetic only. Surplus decimals are cut off toward zero. Arithmetic wraps
// as 32-bit two's complement, so no text can make a conversion misbehave.

// Most decimals a codec shows; a format descriptor can ask for up to 15.
constexpr int CODEC_DIGITS_MAX = 15;
// Room that ToText needs: sign, "0.", CODEC_DIGITS_MAX decimals, the degree
// sign of the angle codec and the NUL.
constexpr std::size_t CODEC_TEXT_ROOM = 1 + 2 + CODEC_DIGITS_MAX + 1 + 1;

class CTranslate {
public:
    constexpr CTranslate(std::int32_t v, std::int8_t d) : value(v), digits(d) {}

    // Reads at most `length` characters of text; a NUL ends the text sooner.
    virtual bool FromText(const char* text, std::int8_t length);
    // Writes `value` as NUL-terminated text into CODEC_TEXT_ROOM bytes at out.
    virtual bool ToText(char* out);
    virtual bool IsPlainNumber() const;
    virtual ~CTranslate() = default;

    void SetValue(std::int32_t v) { value = v; }
    std::int32_t GetValue() const { return value; }
    void SetDigits(std::int8_t d) { digits = d; }
    std::int8_t GetDigits() const { return digits; }

protected:
    std::int32_t value;
    std::int8_t digits;
    std::uint8_t spare = 0; // kept for the controller's layout; nothing reads it
};

// Coordinates: text in units with up to three decimals, value in thousandths.
class CLinear : public CTranslate {
public:
    constexpr CLinear(std::int32_t v, std::int8_t d) : CTranslate(v, d) {}

    bool FromText(const char* text, std::int8_t length) override;
    bool ToText(char* out) override;
    bool IsPlainNumber() const override;
};

// Rotary axes: read as linear, written with the degree sign after the digits.
class CAngleG : public CLinear {
public:
    static constexpr std::int8_t ANGLE_DIGITS = 3;
    // The degree sign in the controller's code page.
    static constexpr char DEGREE_SIGN = '\xF8';

    explicit constexpr CAngleG(std::int32_t v) : CLinear(v, ANGLE_DIGITS) {}

    bool ToText(char* out) override;
};

// A plain decimal number: FromText keeps the decimals it read (at most four)
// in `digits` and the value scaled by ten to that power.
class CDouble : public CTranslate {
public:
    static constexpr std::int8_t PLAIN_DIGITS_MAX = 5;

    constexpr CDouble(std::int32_t v, std::int8_t d) : CTranslate(v, d) {}

    bool FromText(const char* text, std::int8_t length) override;
    bool ToText(char* out) override;
};

extern CLinear theLinearCodec;
extern CAngleG theAngleCodec;
extern CDouble thePlainCodec;
// The codec that the last SelectCodec chose; never owns it.
extern CTranslate* theCurrentCodec;
