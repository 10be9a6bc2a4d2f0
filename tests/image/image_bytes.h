// Helpers for looking at image files byte by byte, and for making frame chains.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/program_frame.h"
#include "image/program_image.h"

// Helpers for looking at image files byte by byte.

inline ProgramFrame FrameAt(const std::vector<std::uint8_t>& image, std::size_t slot)
{
    ProgramFrame frame;
    for (std::size_t k = 0; k < FRAME_SIZE; ++k)
        frame.bytes[k] = image.at(slot * SLOT_SIZE + k);
    return frame;
}

inline std::string Hex(const std::uint8_t* bytes, std::size_t count)
{
    std::string out;
    char digits[4];
    for (std::size_t k = 0; k < count; ++k) {
        std::snprintf(digits, sizeof digits, k == 0 ? "%02X" : " %02X", bytes[k]);
        out += digits;
    }
    return out;
}

// Text with its control characters spelled out, for failure messages.
inline std::string Escaped(const std::string& text)
{
    std::string out;
    char code[8];
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

inline std::string Hex(const ProgramFrame& frame)
{
    return Hex(frame.bytes.data(), frame.bytes.size());
}

// A frame as the controller sends it, for images built by hand.
inline ProgramFrame MakeFrame(std::uint8_t kind, std::uint8_t code, std::uint16_t next,
                              std::uint16_t prev, std::uint16_t number = 0,
                              std::int32_t coordinate = 0, std::uint8_t active = 0xFF)
{
    ProgramFrame frame;
    frame.setKind(kind);
    frame.setActive(active);
    frame.setCode(code);
    frame.setNext(next);
    frame.setPrev(prev);
    frame.setNumber(number);
    frame.setCoordinate(coordinate);
    return frame;
}

// The words linked into a chain in consecutive slots.
inline std::vector<ProgramFrame> Chain(const std::vector<ProgramFrame>& words)
{
    std::vector<ProgramFrame> frames = words;
    const std::size_t n = frames.size();
    for (std::size_t i = 0; i < n; ++i) {
        frames[i].setKind(i == 0 ? FRAME_FIRST : (i + 1 == n ? FRAME_LAST : FRAME_MIDDLE));
        frames[i].setPrev(i == 0 ? NO_LINK : static_cast<std::uint16_t>(i - 1));
        frames[i].setNext(i + 1 == n ? NO_LINK : static_cast<std::uint16_t>(i + 1));
    }
    return frames;
}

// A word not yet linked.
inline ProgramFrame Word(std::uint8_t code, std::uint16_t number = 0, std::int32_t coordinate = 0,
                  std::uint8_t active = 0xFF)
{
    return MakeFrame(FRAME_MIDDLE, code, 0, 0, number, coordinate, active);
}

// The frames back to back in whole slots, as a read from the controller
// leaves them; the second half of a slot carries filler.
inline std::string ControllerImage(const std::vector<ProgramFrame>& frames)
{
    constexpr char SECOND_HALF_FILLER = '\x5A';
    std::string image;
    for (const ProgramFrame& frame : frames) {
        image.append(frame.bytes.begin(), frame.bytes.end());
        image.append(SLOT_SIZE - FRAME_SIZE, SECOND_HALF_FILLER);
    }
    return image;
}
