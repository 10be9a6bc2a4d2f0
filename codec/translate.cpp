// The value codecs: fixed-point coordinates and feeds to decimal text and back.
#include "codec/translate.h"

#include <algorithm>
#include <span>

#include "codec/text_writer.h"

constinit CLinear theLinearCodec{0, 0};
constinit CAngleG theAngleCodec{0};
constinit CDouble thePlainCodec{0, 0};
constinit CTranslate* theCurrentCodec = nullptr;

namespace {

constexpr std::uint32_t BASE = 10;
// Coordinates are kept in thousandths.
constexpr int LINEAR_DECIMALS = 3;
// Characters allowed before the point of a coordinate, one more after a minus.
constexpr int LINEAR_POINT_POSITION_MAX = 4;
// A plain number keeps at most this many decimals ...
constexpr std::int8_t PLAIN_DECIMALS_MAX = 4;
// ... and this many characters before its point (one more after a minus).
constexpr int PLAIN_INTEGER_CHARS_MAX = 5;
constexpr int PLAIN_POINT_POSITION_MAX = 10;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

std::uint32_t DigitOf(char ch) { return static_cast<std::uint32_t>(ch - '0'); }

// Two's-complement helpers: the arithmetic is done unsigned, so it wraps.
std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }
std::int32_t Negate(std::int32_t v) { return Wrap(0u - static_cast<std::uint32_t>(v)); }
std::int32_t TimesTen(std::int32_t v) { return Wrap(static_cast<std::uint32_t>(v) * BASE); }

// The digits, point and minus signs of a number read so far.
struct NumberText {
    std::uint32_t accumulated = 0;
    bool pointSeen = false;
    bool negative = false;

    // Takes one character: a point where one is allowed, a digit or a minus
    // (anywhere). Anything else is refused.
    bool Take(char ch, bool pointAllowed)
    {
        if (ch == '.' && pointAllowed) {
            pointSeen = true;
        } else if (IsDigit(ch)) {
            accumulated = accumulated * BASE + DigitOf(ch);
        } else if (ch == '-') {
            negative = true;
        } else {
            return false;
        }
        return true;
    }

    std::int32_t Signed() const { return negative ? Negate(Wrap(accumulated)) : Wrap(accumulated); }
};

std::int32_t Reduce(std::int32_t v, int digits)
{
    for (int i = digits; i < LINEAR_DECIMALS && v != 0; ++i) {
        v /= static_cast<std::int32_t>(BASE);
    }
    return v;
}

// Writes v with `decimals` digits after the point; a number of fewer digits
// gets "0." and leading zeros, and the sign stays in front.
void PutFixedPoint(CTextWriter& w, std::int32_t v, int decimals)
{
    const bool negative = v < 0;
    const std::uint32_t magnitude =
        negative ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    char digits[CTextWriter::DECIMAL_DIGITS_MAX];
    const std::size_t count = CTextWriter::Digits(magnitude, digits);
    const auto places = static_cast<std::size_t>(decimals);
    const std::string_view text(digits, count);

    if (negative) {
        w.Put('-');
    }
    if (places == 0) {
        w.Put(text);
    } else if (count > places) {
        w.Put(text.substr(0, count - places));
        w.Put('.');
        w.Put(text.substr(count - places));
    } else {
        w.Put("0.");
        for (std::size_t i = count; i < places; ++i) {
            w.Put('0');
        }
        w.Put(text);
    }
}

// Decimals actually shown for a digits setting: the linear rule writes none
// for a negative setting and never more than CODEC_DIGITS_MAX.
int ShownDecimals(std::int8_t digits) { return std::clamp<int>(digits, 0, CODEC_DIGITS_MAX); }

CTextWriter Writer(char* out) { return CTextWriter(std::span<char>(out, CODEC_TEXT_ROOM)); }

} // namespace

bool CTranslate::FromText(const char*, std::int8_t) { return false; }
bool CTranslate::ToText(char*) { return false; }
bool CTranslate::IsPlainNumber() const { return true; }

// Digits, at most one point and minus signs; the number ends at a NUL or a
// space. Without a point the digits are thousandths as they stand.
bool CLinear::FromText(const char* text, std::int8_t length)
{
    NumberText number;
    int afterPoint = 0;

    for (int i = 0; i < length; ++i) {
        const char ch = text[i];
        if (ch == '\0' || ch == ' ') {
            break;
        }
        if (number.pointSeen) {
            ++afterPoint;
        }
        const bool pointAllowed =
            afterPoint == 0 && i <= LINEAR_POINT_POSITION_MAX + (number.negative ? 1 : 0);
        if (!number.Take(ch, pointAllowed)) {
            value = Wrap(number.accumulated);
            return false;
        }
    }

    std::int32_t v = Wrap(number.accumulated);
    if (number.pointSeen) {
        for (int i = LINEAR_DECIMALS; i < afterPoint; ++i) {
            v /= static_cast<std::int32_t>(BASE);
        }
        for (int i = afterPoint; i < LINEAR_DECIMALS; ++i) {
            v = TimesTen(v);
        }
    }
    value = number.negative ? Negate(v) : v;
    return true;
}

bool CLinear::ToText(char* out)
{
    CTextWriter w = Writer(out);
    PutFixedPoint(w, Reduce(value, digits), ShownDecimals(digits));
    return true;
}

bool CLinear::IsPlainNumber() const { return false; }

bool CAngleG::ToText(char* out)
{
    CTextWriter w = Writer(out);
    const int decimals = ShownDecimals(digits);
    PutFixedPoint(w, Reduce(value, digits), decimals);
    if (decimals != 0) {
        w.Put(DEGREE_SIGN);
    }
    return true;
}

// At most five integer digits and four decimals are read; what follows them
// is cut off without looking at it.
bool CDouble::FromText(const char* text, std::int8_t length)
{
    NumberText number;
    number.accumulated = length == 0 ? 1 : 0;
    digits = 0;

    for (int i = 0; i < length && text[i] != '\0';) {
        if (digits >= PLAIN_DECIMALS_MAX) {
            if (number.accumulated == 0) {
                number.accumulated = 1;
            }
            value = number.Signed();
            return true;
        }
        if (number.pointSeen) {
            ++digits;
        }
        if (!number.Take(text[i], digits == 0 && i <= PLAIN_POINT_POSITION_MAX)) {
            value = Wrap(number.accumulated);
            return false;
        }
        ++i;
        if (!number.pointSeen && i > PLAIN_INTEGER_CHARS_MAX + (number.negative ? 1 : 0)) {
            value = number.Signed() / static_cast<std::int32_t>(BASE);
            return true;
        }
    }
    value = number.Signed();
    return true;
}

bool CDouble::ToText(char* out)
{
    digits = std::clamp<std::int8_t>(digits, 0, PLAIN_DIGITS_MAX);
    if (value == 0) {
        digits = 0;
    }
    CTextWriter w = Writer(out);
    PutFixedPoint(w, value, digits);
    return true;
}
