// The controller's program or parameters read back and compared byte by byte.
#include "link/read_back.h"

#include <algorithm>
#include <optional>

namespace {

// The first index at which the two differ, or nothing when they are equal.
std::optional<std::size_t> FirstDifference(std::span<const std::uint8_t> a,
                                           std::span<const std::uint8_t> b)
{
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (ia == a.end() && ib == b.end())
        return std::nullopt;
    return static_cast<std::size_t>(ia - a.begin());
}

} // namespace

ReadBack ReadBackProgram(CControllerLink& link, std::uint16_t file, std::size_t frameSize,
                         std::span<const std::uint8_t> expected, TransferBuffer scratch,
                         IBlockProgress& progress)
{
    ReadBack result;
    const std::optional<unsigned> frames = ReadProgramSize(link, file);
    if (!frames) {
        result.outcome = ReadBack::Outcome::SizeQueryFailed;
        return result;
    }
    if (*frames > MAX_PROGRAM_FRAMES) {
        result.outcome = ReadBack::Outcome::SizeTooLarge;
        return result;
    }
    result.controllerFrames = *frames;
    if (!ReadProgramBlocks(link, file, *frames, frameSize, scratch, progress)) {
        result.outcome = ReadBack::Outcome::BlocksFailed;
        return result;
    }
    const std::optional<std::size_t> byte =
        FirstDifference(scratch.first(*frames * frameSize), expected);
    if (byte) {
        result.outcome = ReadBack::Outcome::Differs;
        result.firstDifference = *byte / frameSize;
    }
    return result;
}

ReadBack ReadBackParameters(CControllerLink& link, const ControllerInfo& info,
                            std::span<const std::uint8_t> expected, TransferBuffer scratch,
                            IBlockProgress& progress)
{
    ReadBack result;
    result.parameterFailure = ReadParameterBlocks(link, info, scratch, progress);
    if (result.parameterFailure != ParameterFailure::None) {
        result.outcome = ReadBack::Outcome::BlocksFailed;
        return result;
    }
    const std::optional<std::size_t> byte =
        FirstDifference(scratch.first(ParameterBytes(info)), expected);
    if (byte) {
        result.outcome = ReadBack::Outcome::Differs;
        result.firstDifference = *byte;
    }
    return result;
}
