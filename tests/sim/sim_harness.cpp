// SimHarness: the simulator started on a temporary store, and its transaction log read back.
#include "tests/sim/sim_harness.h"

#include <fstream>

#include "sim/sample_programs.h"

std::vector<std::string> SimHarness::LogLines() const
{
    std::ifstream in(LogPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Bytes ExpectedSlots(const std::vector<ProgramFrame>& frames, std::size_t first, std::size_t count)
{
    Bytes out;
    for (std::size_t i = first; i < first + count; ++i) {
        Bytes slot(FRAME, 0xFF);
        if (i < frames.size())
            std::copy(frames[i].bytes.begin(), frames[i].bytes.end(), slot.begin());
        else
            std::fill(slot.begin() + ProgramFrame::COORDINATE_OFFSET,
                      slot.begin() + ProgramFrame::COORDINATE_OFFSET + 4, 0);
        out.insert(out.end(), slot.begin(), slot.end());
    }
    return out;
}

std::vector<ProgramFrame> NumberedProgram(std::size_t n)
{
    std::vector<ProgramFrame> words;
    for (std::size_t i = 0; i < n; ++i)
        words.push_back(MakeWord(static_cast<std::uint8_t>(i % 3), static_cast<std::uint16_t>(i + 7),
                                 static_cast<std::int32_t>(i * 1111) - 5000, i % 11 != 4));
    return ChainFrames(words);
}

Bytes SlotsOf(const std::vector<ProgramFrame>& frames, std::size_t slots)
{
    return ExpectedSlots(frames, 0, slots);
}
