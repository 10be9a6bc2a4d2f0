// ReadBack: what the controller holds, compared with what it should hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/link_transactions.h"

class CControllerLink;

// What the controller holds, compared with what it should hold: the Read
// command's own transactions, then the bytes side by side.
struct ReadBack {
    enum class Outcome {
        Same,
        Differs,
        SizeQueryFailed, // programs only
        SizeTooLarge,    // programs only: a count above the area
        BlocksFailed,    // a block read failed (for parameters: see `parameterFailure`)
    };
    Outcome outcome = Outcome::Same;
    ParameterFailure parameterFailure = ParameterFailure::None;
    // Programs: the frame count the controller reports; the frames it holds
    // are at the start of the scratch buffer.
    unsigned controllerFrames = 0;
    // Differs: the first frame (programs) or byte (parameters) that differs,
    // counted from 0. When one program is a prefix of the other, this is the
    // shorter one's length.
    std::size_t firstDifference = 0;
};

// Reads program `file` back into `scratch` and compares its frames with
// `expected`, whole frames of `frameSize` bytes.
ReadBack ReadBackProgram(CControllerLink& link, std::uint16_t file, std::size_t frameSize,
                         std::span<const std::uint8_t> expected, TransferBuffer scratch,
                         IBlockProgress& progress);

// Reads the parameter blocks back into `scratch` and compares the first
// ParameterBytes(info) of them with `expected`.
ReadBack ReadBackParameters(CControllerLink& link, const ControllerInfo& info,
                            std::span<const std::uint8_t> expected, TransferBuffer scratch,
                            IBlockProgress& progress);
