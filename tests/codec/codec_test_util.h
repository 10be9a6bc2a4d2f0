// Helpers of the codec tests: frames made up, lines held exactly, tables reset.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "codec/axis_format.h"
#include "codec/frame_format.h"
#include "codec/line_parser.h"
#include "codec/program_frame.h"
#include "codec/translate.h"

namespace codec_test {

constexpr std::uint8_t ACTIVE = 0xFF;
constexpr std::uint8_t DISABLED = 0;

inline ProgramFrame MakeFrame(std::uint8_t code, std::uint16_t number, std::int32_t coordinate = 0,
                              std::uint8_t active = ACTIVE, std::uint8_t kind = 0)
{
    ProgramFrame f;
    f.setKind(kind);
    f.setActive(active);
    f.setCode(code);
    f.setNext(0xFFFF);
    f.setPrev(0xFFFF);
    f.setNumber(number);
    f.setCoordinate(coordinate);
    return f;
}

// The line text of a frame, or nothing when the frame has no text.
inline std::optional<std::string> Format(ProgramFrame frame)
{
    char out[FRAME_TEXT_ROOM];
    std::memset(out, '#', sizeof out);
    if (!FormatFrame(frame, std::span<char, FRAME_TEXT_ROOM>(out))) {
        return std::nullopt;
    }
    return std::string(out);
}

// A line in a heap block of exactly its length plus the NUL, so that the
// sanitizer build catches any read past the end of the line.
class ExactLine {
public:
    explicit ExactLine(std::string_view text) : m_text(std::make_unique<char[]>(text.size() + 1))
    {
        text.copy(m_text.get(), text.size());
        m_text[text.size()] = '\0';
    }
    char* get() { return m_text.get(); }

private:
    std::unique_ptr<char[]> m_text;
};

// Puts the axis tables back to zero and forgets the chosen codec.
class ZeroAxisTables {
public:
    ZeroAxisTables() { Reset(); }
    ~ZeroAxisTables() { Reset(); }
    static void Reset()
    {
        theAxisFormats.fill(0);
        for (auto& entry : theAxisLetterMap) {
            entry.fill(0);
        }
        theAxisMapCount = 0;
        theCurrentCodec = nullptr;
    }
};

// Printable form of a line for failure messages: bytes outside ASCII in hex.
inline std::string Printable(std::string_view text)
{
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string s;
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte < 0x7F) {
            s += ch;
        } else {
            s += "\\x";
            s += HEX[byte >> 4];
            s += HEX[byte & 0xF];
        }
    }
    return s;
}

} // namespace codec_test
