// The link's transactions: descriptor, parameter blocks, program size and frame blocks.
#include "link/link_transactions.h"

#include <algorithm>
#include <array>

#include "link/controller_link.h"
#include "link/link_frame.h"
#include "platform/temp_registry.h"

namespace {

constexpr std::uint8_t UNIT = 1;
constexpr std::uint16_t DESCRIPTOR_RECORD = 1;

constexpr std::uint16_t SIZE_QUERY_RECORD = 0;
constexpr std::uint16_t SIZE_QUERY_LENGTH = 600;
constexpr std::size_t SIZE_REPLY_ROOM = 4;
constexpr std::size_t FRAME_COUNT_BYTES = 2;

constexpr std::uint16_t GENERAL_FILE = static_cast<std::uint16_t>(LinkFile::GeneralParams);
constexpr std::uint16_t AXIS_FILE = static_cast<std::uint16_t>(LinkFile::AxisParams);

// One read that must bring at least `needed` data bytes: a good reply that
// carries fewer fails it too, and the link is told why.
bool ReadAtLeast(CControllerLink& link, std::uint16_t file, std::uint16_t record,
                 std::uint16_t length, std::span<std::uint8_t> dest, std::size_t needed)
{
    std::size_t received = 0;
    if (!link.ReadRecord(UNIT, file, record, length, dest, &received))
        return false;
    if (received >= needed)
        return true;
    link.NoteShortData();
    return false;
}

} // namespace

std::optional<ControllerInfo> ReadDescriptorRecord(CControllerLink& link)
{
    ControllerInfo fresh;
    if (!ReadAtLeast(link, static_cast<std::uint16_t>(LinkFile::Descriptor), DESCRIPTOR_RECORD, 0,
                     fresh.bytes, ControllerInfo::MIN_REPLY))
        return std::nullopt;
    return fresh;
}

int BlockCount(unsigned frames)
{
    return static_cast<int>((frames + FRAMES_PER_BLOCK - 1) / FRAMES_PER_BLOCK);
}

std::size_t ParameterBytes(const ControllerInfo& info)
{
    return info.generalParamSize() + std::size_t{info.axisCount()} * info.axisParamSize();
}

ParameterFailure ReadParameterBlocks(CControllerLink& link, const ControllerInfo& info,
                                     TransferBuffer buffer, IBlockProgress& progress)
{
    const std::size_t general = info.generalParamSize();
    const std::size_t axis = info.axisParamSize();
    const std::size_t axes = info.axisCount();
    const std::size_t generalBlocks = general / GENERAL_BLOCK;
    progress.SetProgressRange(0, static_cast<int>(generalBlocks + axes));

    // One block more than general / 200, each of 200 bytes: the last may
    // start at `general` itself; what it brings past the end is overwritten
    // by the axis blocks or left out of the file.
    for (std::size_t j = 0; j <= generalBlocks; ++j) {
        if (PendingInterrupt() != 0 ||
            !ReadAtLeast(link, GENERAL_FILE, static_cast<std::uint16_t>(j * GENERAL_BLOCK), GENERAL_BLOCK,
                         buffer.subspan(j * GENERAL_BLOCK, GENERAL_BLOCK), GENERAL_BLOCK))
            return ParameterFailure::General;
        progress.SetProgressPos(static_cast<int>(j));
    }
    for (std::size_t i = 0; i < axes; ++i) {
        if (PendingInterrupt() != 0 ||
            !ReadAtLeast(link, AXIS_FILE, static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(axis),
                         buffer.subspan(general + i * axis, axis), axis))
            return ParameterFailure::Axis;
        progress.SetProgressPos(static_cast<int>(generalBlocks + 1 + i));
    }
    return ParameterFailure::None;
}

ParameterFailure WriteParameterBlocks(CControllerLink& link, const ControllerInfo& info,
                                      TransferBuffer buffer, IBlockProgress& progress)
{
    const std::size_t general = info.generalParamSize();
    const std::size_t axis = info.axisParamSize();
    const std::size_t axes = info.axisCount();
    const std::size_t generalBlocks = general / GENERAL_BLOCK;
    progress.SetProgressRange(0, static_cast<int>(generalBlocks + axes));

    // Whole blocks of 200 bytes, then the remainder.
    for (std::size_t offset = 0; offset < general; offset += GENERAL_BLOCK) {
        const std::size_t length = std::min(GENERAL_BLOCK, general - offset);
        if (PendingInterrupt() != 0 ||
            !link.WriteRecord(UNIT, GENERAL_FILE, static_cast<std::uint16_t>(offset),
                              buffer.subspan(offset, length)))
            return ParameterFailure::General;
        progress.SetProgressPos(static_cast<int>(offset / GENERAL_BLOCK));
    }
    for (std::size_t i = 0; i < axes; ++i) {
        if (PendingInterrupt() != 0 ||
            !link.WriteRecord(UNIT, AXIS_FILE, static_cast<std::uint16_t>(i),
                              buffer.subspan(general + i * axis, axis)))
            return ParameterFailure::Axis;
        progress.SetProgressPos(static_cast<int>(generalBlocks + 1 + i));
    }
    return ParameterFailure::None;
}

std::optional<unsigned> ReadProgramSize(CControllerLink& link, std::uint16_t file)
{
    std::array<std::uint8_t, SIZE_REPLY_ROOM> count{};
    if (!ReadAtLeast(link, file, SIZE_QUERY_RECORD, SIZE_QUERY_LENGTH, count, FRAME_COUNT_BYTES))
        return std::nullopt;
    return LoadLe16(count.data());
}

bool ReadProgramBlocks(CControllerLink& link, std::uint16_t file, unsigned frames,
                       std::size_t frameSize, TransferBuffer buffer, IBlockProgress& progress)
{
    const std::size_t blockBytes = FRAMES_PER_BLOCK * frameSize;
    progress.SetProgressRange(0, BlockCount(frames));
    for (unsigned k = 0; k < frames; k += FRAMES_PER_BLOCK) {
        if (PendingInterrupt() != 0 ||
            !ReadAtLeast(link, file, static_cast<std::uint16_t>(k), FRAMES_PER_BLOCK,
                         buffer.subspan(k * frameSize, blockBytes), blockBytes))
            return false;
        progress.SetProgressPos(static_cast<int>(k / FRAMES_PER_BLOCK + 1));
    }
    return true;
}

bool DeleteProgram(CControllerLink& link, std::uint16_t file)
{
    return link.WriteRecord(UNIT, file, 0, {});
}

std::size_t ProgramBytesSent(unsigned frames, std::size_t frameSize)
{
    return frames <= FRAMES_PER_BLOCK ? frames * frameSize
                                      : BlockCount(frames) * FRAMES_PER_BLOCK * frameSize;
}

bool WriteProgramBlocks(CControllerLink& link, std::uint16_t file, unsigned frames,
                        std::size_t frameSize, TransferBuffer buffer, IBlockProgress& progress)
{
    const std::size_t blockBytes = FRAMES_PER_BLOCK * frameSize;
    progress.SetProgressRange(0, BlockCount(frames));
    if (frames <= FRAMES_PER_BLOCK) {
        if (PendingInterrupt() != 0 || !link.WriteRecord(UNIT, file, 0, buffer.first(frames * frameSize)))
            return false;
        progress.SetProgressPos(1);
        return true;
    }
    for (unsigned k = 0; k < frames; k += FRAMES_PER_BLOCK) {
        if (PendingInterrupt() != 0 ||
            !link.WriteRecord(UNIT, file, static_cast<std::uint16_t>(k),
                              buffer.subspan(k * frameSize, blockBytes)))
            return false;
        progress.SetProgressPos(static_cast<int>(k / FRAMES_PER_BLOCK + 1));
    }
    return true;
}

std::size_t ParameterBytesInBlocks(const ControllerInfo& info, int blocks)
{
    const std::size_t general = info.generalParamSize();
    const std::size_t pieces = (general + GENERAL_BLOCK - 1) / GENERAL_BLOCK;
    const std::size_t done = static_cast<std::size_t>(std::max(blocks, 0));
    return done <= pieces ? std::min(done * GENERAL_BLOCK, general)
                          : std::min(ParameterBytes(info), general + (done - pieces) * info.axisParamSize());
}

unsigned FramesInBlocks(unsigned frames, int blocks)
{
    return std::min(frames, static_cast<unsigned>(std::max(blocks, 0)) * static_cast<unsigned>(FRAMES_PER_BLOCK));
}
