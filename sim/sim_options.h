// SimOptions: the simulator's store, descriptor sizes, faults, pacing and log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/controller_info.h"
#include "sim/fault_rule.h"

// The descriptor a fresh store starts with: a general block that is not a
// whole number of 200-byte pieces, four axes, and the 32-byte frame the PC
// expects.
constexpr std::uint16_t DEFAULT_GENERAL_PARAM_SIZE = 450;
constexpr std::uint16_t DEFAULT_AXIS_PARAM_SIZE = 120;
constexpr std::uint8_t DEFAULT_AXIS_COUNT = 4;
constexpr std::uint8_t DEFAULT_FRAME_SIZE = 32;

// Sizes asked for on the command line or by a test. A size left unset keeps
// the stored descriptor's value (or the default in a fresh store); a size
// set replaces it, and the stored parameter blocks are resized to match.
// Any value of the field is taken, also one the link cannot carry (an axis
// block over 243 bytes, a frame of 0 or over 48 bytes): the descriptor says
// so, and the requests that would not fit a frame get an exception reply.
// That is how the PC's own checks of the descriptor are tried.
struct DescriptorOverrides {
    std::optional<std::uint16_t> generalParamSize;
    std::optional<std::uint16_t> axisParamSize;
    std::optional<std::uint8_t> axisCount;
    std::optional<std::uint8_t> frameSize;

    // `base` with the sizes that are set.
    ControllerInfo Apply(ControllerInfo base) const;
};

ControllerInfo DefaultDescriptor();

struct SimOptions {
    std::string storeDir; // empty: the default folder
    DescriptorOverrides descriptor;
    bool pace = false;       // replies at the line's byte time
    bool echoWrites = true;  // false: writes are answered with N = 0
    std::string logPath;     // empty: no transaction log
    std::vector<FaultRule> faults;
};
