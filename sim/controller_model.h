// CControllerModel: the controller's memory of descriptor, parameters and programs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codec/program_frame.h"
#include "link/controller_info.h"
#include "link/data_kind.h"

// One program or subprogram of the controller, numbered from 1.
struct ProgramId {
    LinkFile kind = LinkFile::Program;
    unsigned number = 1;

    friend bool operator==(const ProgramId&, const ProgramId&) = default;
};

// The controller's memory: the descriptor, the general and axis parameter
// blocks, 20 programs and 50 subprograms. A program lives in an area of
// 32-byte slots; a slot begins with one ProgramFrame and the chain runs from
// slot 0 through consecutive slots to the frame marked last. The model knows
// nothing of the link or of files; the request handler and the store work on
// it. Not thread-safe: the simulator guards it.
class CControllerModel {
public:
    static constexpr std::size_t SLOT_SIZE = 32;
    static constexpr std::uint16_t PROGRAM_SLOTS = 500;
    static constexpr std::uint16_t SUBPROGRAM_SLOTS = 100;

    static constexpr std::uint8_t FRAME_MIDDLE = 0;
    static constexpr std::uint8_t FRAME_FIRST = 1;
    static constexpr std::uint8_t FRAME_LAST = 2;
    static constexpr std::uint8_t FRAME_FREE = 0xFF;
    static constexpr std::uint8_t WORD_ACTIVE = 0xFF;
    static constexpr std::uint8_t WORD_DISABLED = 0;
    static constexpr std::uint16_t NO_LINK = 0xFFFF;

    using Slot = std::array<std::uint8_t, SLOT_SIZE>;

    // A free slot: 0xFF throughout except the coordinate, which is 0.
    static Slot EmptySlot();
    static ProgramFrame EmptyFrame();

    // Seeds the parameter blocks from the fixed pattern and leaves every
    // program empty.
    explicit CControllerModel(const ControllerInfo& descriptor);

    const ControllerInfo& Descriptor() const { return m_descriptor; }

    // Takes the sizes of `descriptor`. Parameter blocks are cut or extended
    // (new bytes from the seed pattern at their offsets), axes dropped or
    // added, so the same change gives the same memory. Programs are kept:
    // their slots do not depend on the frame size on the link.
    void Resize(const ControllerInfo& descriptor);

    std::span<const std::uint8_t> GeneralParams() const { return m_general; }
    bool SetGeneralParams(std::span<const std::uint8_t> bytes);
    // All axis blocks back to back, axis 0 first.
    std::span<const std::uint8_t> AxisParams() const { return m_axes; }
    bool SetAxisParams(std::span<const std::uint8_t> bytes);
    std::span<const std::uint8_t> AxisBlock(std::uint8_t axis) const;

    // General parameters from byte `offset`: bytes past the block read as 0.
    void ReadGeneral(std::uint16_t offset, std::span<std::uint8_t> out) const;
    // False (and nothing written) when the piece runs past the block.
    bool WriteGeneral(std::uint16_t offset, std::span<const std::uint8_t> bytes);
    bool WriteAxis(std::uint8_t axis, std::span<const std::uint8_t> bytes);

    // The program behind a link file number, if there is one.
    static std::optional<ProgramId> ProgramFromFile(std::uint16_t file);
    static std::uint16_t SlotCount(LinkFile kind);
    static bool IsValid(ProgramId id);

    // Frames in the chain from slot 0 through the last frame (or 1 for a
    // lone first frame); 0 when slot 0 holds no first frame. A chain broken
    // by a slot that is neither middle nor last ends before that slot, and
    // no chain runs past its area.
    std::uint16_t ProgramSize(ProgramId id) const;

    // `count` frames from slot `first`, `frameSize` bytes each: the first
    // frameSize bytes of each slot, zero-padded past the slot. Slots past
    // the chain's end read as empty frames.
    void ReadFrames(ProgramId id, std::uint16_t first, std::uint16_t count, std::uint8_t frameSize,
                    std::span<std::uint8_t> out) const;
    // Stores whole frames of `frameSize` bytes from slot `first`: each fills
    // the start of its slot, the rest of the slot becomes that of a free
    // slot. False (nothing written) when they would run past the area.
    bool WriteFrames(ProgramId id, std::uint16_t first, std::uint8_t frameSize,
                     std::span<const std::uint8_t> bytes);
    void DeleteProgram(ProgramId id);

    // The frames of the chain, ProgramSize of them.
    std::vector<ProgramFrame> ProgramFrames(ProgramId id) const;
    // Empties the area, then puts the frames in slots 0, 1, ... as they
    // are (links included); the second half of each slot reads 0xFF.
    bool SetProgramFrames(ProgramId id, std::span<const ProgramFrame> frames);

    // The whole area, SlotCount(kind) × SLOT_SIZE bytes, as the store keeps it.
    std::span<const std::uint8_t> ProgramArea(ProgramId id) const;
    bool SetProgramArea(ProgramId id, std::span<const std::uint8_t> bytes);

private:
    std::vector<std::uint8_t>& Area(ProgramId id);
    const std::vector<std::uint8_t>& Area(ProgramId id) const;

    ControllerInfo m_descriptor;
    std::vector<std::uint8_t> m_general;
    std::vector<std::uint8_t> m_axes;
    std::vector<std::vector<std::uint8_t>> m_programs;
    std::vector<std::vector<std::uint8_t>> m_subprograms;
};
