// The controller's file numbers on the link and its descriptor record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/byte_order.h"

// The low byte of a file number on the link. For programs and subprograms
// the high byte is the number minus 1.
enum class LinkFile : std::uint8_t {
    Descriptor = 0,
    GeneralParams = 1,
    AxisParams = 2,
    Program = 3,
    Subprogram = 4,
};

// File number of program or subprogram `number` (1-based).
constexpr std::uint16_t ProgramFileNumber(LinkFile kind, unsigned number)
{
    return static_cast<std::uint16_t>(static_cast<unsigned>(kind) + 256u * (number - 1u));
}

// The controller's descriptor, the data of the reply to a read of file 0.
//
//   offset  size  field
//   0       2     generalParamSize   bytes of the general-parameter block
//   2       2     axisParamSize      bytes of one axis-parameter block
//   4       1     axisCount          number of axis blocks
//   5       8     reserved
//   13      1     frameSize          bytes of one program frame
//   14      2     reserved
// Sizes are little-endian.
struct ControllerInfo {
    static constexpr std::size_t ROOM = 16;
    static constexpr std::size_t GENERAL_PARAM_SIZE_OFFSET = 0;
    static constexpr std::size_t AXIS_PARAM_SIZE_OFFSET = 2;
    static constexpr std::size_t AXIS_COUNT_OFFSET = 4;
    static constexpr std::size_t FRAME_SIZE_OFFSET = 13;
    // The shortest reply that reaches every field we decode.
    static constexpr std::size_t MIN_REPLY = FRAME_SIZE_OFFSET + 1;

    std::array<std::uint8_t, ROOM> bytes{};

    std::uint16_t generalParamSize() const { return LoadLe16(&bytes[GENERAL_PARAM_SIZE_OFFSET]); }
    std::uint16_t axisParamSize() const { return LoadLe16(&bytes[AXIS_PARAM_SIZE_OFFSET]); }
    std::uint8_t axisCount() const { return bytes[AXIS_COUNT_OFFSET]; }
    std::uint8_t frameSize() const { return bytes[FRAME_SIZE_OFFSET]; }

    void setGeneralParamSize(std::uint16_t v) { StoreLe16(&bytes[GENERAL_PARAM_SIZE_OFFSET], v); }
    void setAxisParamSize(std::uint16_t v) { StoreLe16(&bytes[AXIS_PARAM_SIZE_OFFSET], v); }
    void setAxisCount(std::uint8_t v) { bytes[AXIS_COUNT_OFFSET] = v; }
    void setFrameSize(std::uint8_t v) { bytes[FRAME_SIZE_OFFSET] = v; }
};

static_assert(sizeof(ControllerInfo) == ControllerInfo::ROOM);
