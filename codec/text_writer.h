// CTextWriter: NUL-terminated text into a fixed buffer that can never overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Appends characters to a caller's fixed buffer and keeps it NUL-terminated.
// What does not fit is dropped, so a line can never run past its room.
class CTextWriter {
public:
    // Widest unsigned 32-bit number in decimal.
    static constexpr std::size_t DECIMAL_DIGITS_MAX = 10;
    static constexpr std::uint32_t DECIMAL_BASE = 10;

    explicit CTextWriter(std::span<char> out) : m_out(out)
    {
        if (!m_out.empty()) {
            m_out[0] = '\0';
        }
    }

    void Put(char ch)
    {
        if (m_length + 1 < m_out.size()) {
            m_out[m_length] = ch;
            ++m_length;
            m_out[m_length] = '\0';
        }
    }

    void Put(std::string_view text)
    {
        for (char ch : text) {
            Put(ch);
        }
    }

    // Writes v in decimal, zero-filled to at least minDigits digits.
    void PutUnsigned(std::uint32_t v, std::size_t minDigits = 1)
    {
        char digits[DECIMAL_DIGITS_MAX];
        const std::size_t count = Digits(v, digits);
        for (std::size_t i = count; i < minDigits; ++i) {
            Put('0');
        }
        Put(std::string_view(digits, count));
    }

    // The decimal digits of v, most significant first; returns their count.
    static std::size_t Digits(std::uint32_t v, char (&digits)[DECIMAL_DIGITS_MAX])
    {
        char reversed[DECIMAL_DIGITS_MAX];
        std::size_t count = 0;
        do {
            reversed[count] = static_cast<char>('0' + v % DECIMAL_BASE);
            ++count;
            v /= DECIMAL_BASE;
        } while (v != 0);
        for (std::size_t i = 0; i < count; ++i) {
            digits[i] = reversed[count - 1 - i];
        }
        return count;
    }

    std::size_t Length() const { return m_length; }

private:
    std::span<char> m_out;
    std::size_t m_length = 0;
};
