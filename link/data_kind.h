// DataKind: what one transfer moves, and how many programs and subprograms
// the controller holds.
#pragma once

#include <cstdint>

#include "link/controller_info.h"

// In the order of the dialog's kind list.
enum class DataKind : std::uint8_t {
    Parameters,
    Subprogram,
    Program,
};

inline constexpr unsigned PROGRAM_COUNT = 20;
inline constexpr unsigned SUBPROGRAM_COUNT = 50;

// The highest number of a program or subprogram; numbers start at 1.
constexpr unsigned HighestNumber(DataKind kind)
{
    return kind == DataKind::Program ? PROGRAM_COUNT : SUBPROGRAM_COUNT;
}

// The low byte of the link's file number for a program or subprogram.
constexpr LinkFile LinkFileOf(DataKind kind)
{
    return kind == DataKind::Program ? LinkFile::Program : LinkFile::Subprogram;
}
