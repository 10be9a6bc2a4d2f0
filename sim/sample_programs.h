// What a fresh simulated controller holds, so a new user can read something at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/program_frame.h"

class CControllerModel;

// What a fresh controller holds, so that a new user can read something at
// once. Everything here is deterministic: two fresh stores are identical.

// Block 0 is the general block, block 1 + i the block of axis i.
constexpr unsigned GENERAL_BLOCK = 0;
std::uint8_t SeedParamByte(unsigned block, std::size_t offset);

// One word, not yet linked: kind, next and prev are set by ChainFrames.
ProgramFrame MakeWord(std::uint8_t code, std::uint16_t number = 0, std::int32_t coordinate = 0,
                      bool active = true);

// Links the words as the controller chains them in consecutive slots: a lone
// word is a first frame without links; otherwise first, middles, last.
std::vector<ProgramFrame> ChainFrames(std::vector<ProgramFrame> words);

// The sample texts, as frames: program 1 (a part with tool change, rapid and
// feed moves, a dwell and a disabled word), program 2 (12 frames, more than
// one block and not a multiple of five) and subprogram 1 (a short pattern).
std::vector<ProgramFrame> SampleProgram1();
std::vector<ProgramFrame> SampleProgram2();
std::vector<ProgramFrame> SampleSubprogram1();

// Puts the samples into the model's program areas.
void SeedSamplePrograms(CControllerModel& model);
