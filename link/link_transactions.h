// The sequences of link transactions a command runs, block by block with progress.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "link/controller_info.h"

class CControllerLink;

// Working memory of one command: 500 slots of 32 bytes, enough for the
// parameter blocks or the frames of one program.
constexpr std::size_t TRANSFER_BUFFER_SIZE = 16000;
using TransferBuffer = std::span<std::uint8_t, TRANSFER_BUFFER_SIZE>;

// The general parameters travel in pieces of this many bytes.
constexpr std::size_t GENERAL_BLOCK = 200;
constexpr std::size_t FRAMES_PER_BLOCK = 5;
constexpr unsigned MAX_PROGRAM_FRAMES = 500;

// Where a sequence of block transactions reports how far it got: the range
// once before its first block, then a position after each block.
class IBlockProgress {
public:
    virtual ~IBlockProgress() = default;
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgressPos(int pos) = 0;
};

// The transaction sequences of the commands, one data item each, with no
// word to the user: each says whether it got through, and the command that
// called it decides what is shown. Every sequence stops at its first failed
// transaction; nothing is retried.

// The descriptor, asked afresh; nothing when the controller did not answer
// or answered too short a record.
std::optional<ControllerInfo> ReadDescriptorRecord(CControllerLink& link);

// Blocks of five frames that carry `frames` frames.
int BlockCount(unsigned frames);

enum class ParameterFailure {
    None,
    General, // a block of the general parameters
    Axis,    // one axis block
};

// Parameter layout, in the buffer as in the parameter file: the general
// block, then one block per axis, no header.
std::size_t ParameterBytes(const ControllerInfo& info);

// Reads the general block in pieces of 200 bytes, then each axis block,
// into the first ParameterBytes(info) bytes of `buffer`.
ParameterFailure ReadParameterBlocks(CControllerLink& link, const ControllerInfo& info,
                                     TransferBuffer buffer, IBlockProgress& progress);
// Writes the first ParameterBytes(info) bytes of `buffer` as the general
// block in pieces of 200 bytes, then each axis block.
ParameterFailure WriteParameterBlocks(CControllerLink& link, const ControllerInfo& info,
                                      TransferBuffer buffer, IBlockProgress& progress);

// The frame count of program file `file` (ProgramFileNumber); nothing when
// the size query failed. The count is as the controller said it, unchecked.
std::optional<unsigned> ReadProgramSize(CControllerLink& link, std::uint16_t file);
// Reads `frames` frames in blocks of five into the start of `buffer`; the
// last block may bring empty frames past the program's end.
bool ReadProgramBlocks(CControllerLink& link, std::uint16_t file, unsigned frames,
                       std::size_t frameSize, TransferBuffer buffer, IBlockProgress& progress);
bool DeleteProgram(CControllerLink& link, std::uint16_t file);
// The bytes WriteProgramBlocks sends for `frames` frames: the frames alone
// up to one block, else whole blocks.
std::size_t ProgramBytesSent(unsigned frames, std::size_t frameSize);
// Sends the first ProgramBytesSent bytes of `buffer`: up to five frames in
// one write at record 0, more in blocks of five. The program was deleted
// first.
bool WriteProgramBlocks(CControllerLink& link, std::uint16_t file, unsigned frames,
                        std::size_t frameSize, TransferBuffer buffer, IBlockProgress& progress);
