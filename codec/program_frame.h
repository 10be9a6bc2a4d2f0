// ProgramFrame: the controller's 16-byte program word and its field accessors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/byte_order.h"

// One word of a part program as the controller stores it. The same 16 bytes
// travel on the link, fill the first half of an image-file slot and sit in
// memory; fields are little-endian and reached only through the accessors.
//
//   byte  size  field       meaning
//   0     1     kind        1 first, 0 middle, 2 last frame; 0xFF free slot
//   1     1     active      0xFF active; 0 disabled (text starts with "//")
//   2     1     code        what the word is; read as signed by the codec
//   3     2     next        slot of the following frame; 0xFFFF none
//   5     2     prev        slot of the preceding frame; 0xFFFF none
//   7     2     reserved    carried unchanged
//   9     2     number      feed of an axis move, else the word's number
//   11    4     coordinate  axis target in thousandths, signed
//   15    1     reserved    carried unchanged
struct ProgramFrame {
    static constexpr std::size_t SIZE = 16;
    static constexpr std::size_t KIND_OFFSET = 0;
    static constexpr std::size_t ACTIVE_OFFSET = 1;
    static constexpr std::size_t CODE_OFFSET = 2;
    static constexpr std::size_t NEXT_OFFSET = 3;
    static constexpr std::size_t PREV_OFFSET = 5;
    static constexpr std::size_t RESERVED_OFFSET = 7;
    static constexpr std::size_t NUMBER_OFFSET = 9;
    static constexpr std::size_t COORDINATE_OFFSET = 11;
    static constexpr std::size_t RESERVED_TAIL_OFFSET = 15;

    std::array<std::uint8_t, SIZE> bytes{};

    std::uint8_t kind() const { return bytes[KIND_OFFSET]; }
    std::uint8_t active() const { return bytes[ACTIVE_OFFSET]; }
    std::uint8_t code() const { return bytes[CODE_OFFSET]; }
    std::uint16_t next() const { return LoadLe16(&bytes[NEXT_OFFSET]); }
    std::uint16_t prev() const { return LoadLe16(&bytes[PREV_OFFSET]); }
    std::uint16_t number() const { return LoadLe16(&bytes[NUMBER_OFFSET]); }
    std::int32_t coordinate() const
    {
        return static_cast<std::int32_t>(LoadLe32(&bytes[COORDINATE_OFFSET]));
    }

    void setKind(std::uint8_t v) { bytes[KIND_OFFSET] = v; }
    void setActive(std::uint8_t v) { bytes[ACTIVE_OFFSET] = v; }
    void setCode(std::uint8_t v) { bytes[CODE_OFFSET] = v; }
    void setNext(std::uint16_t v) { StoreLe16(&bytes[NEXT_OFFSET], v); }
    void setPrev(std::uint16_t v) { StoreLe16(&bytes[PREV_OFFSET], v); }
    void setNumber(std::uint16_t v) { StoreLe16(&bytes[NUMBER_OFFSET], v); }
    void setCoordinate(std::int32_t v)
    {
        StoreLe32(&bytes[COORDINATE_OFFSET], static_cast<std::uint32_t>(v));
    }

    friend bool operator==(const ProgramFrame&, const ProgramFrame&) = default;
};

static_assert(sizeof(ProgramFrame) == ProgramFrame::SIZE);
static_assert(ProgramFrame::COORDINATE_OFFSET + 4 == ProgramFrame::RESERVED_TAIL_OFFSET);
