// The sample programs and parameter bytes a fresh simulated controller holds.
#include "sim/sample_programs.h"

#include "sim/controller_model.h"

namespace {

// Word codes of the frame layout.
constexpr std::uint8_t CODE_X = 0;
constexpr std::uint8_t CODE_Y = 1;
constexpr std::uint8_t CODE_Z = 2;
constexpr std::uint8_t CODE_G5X = 13; // number 0 is G53, 1 is G54 ...
constexpr std::uint8_t CODE_G90 = 14;
constexpr std::uint8_t CODE_G91 = 15;
constexpr std::uint8_t CODE_TOOL = 16;
constexpr std::uint8_t CODE_M = 21;
constexpr std::uint8_t CODE_DWELL = 22;
constexpr std::uint8_t CODE_G0 = 23;
constexpr std::uint8_t CODE_G1 = 24;
constexpr std::uint8_t CODE_G40 = 30;
constexpr std::uint8_t CODE_G17 = 31;
constexpr std::uint8_t CODE_FEED = 49;

// Fixed words keep their own number, as the parser stores them.
constexpr std::uint16_t G54 = 1;
constexpr std::uint16_t NUMBER_G90 = 90;
constexpr std::uint16_t NUMBER_G91 = 91;
constexpr std::uint16_t NUMBER_G0 = 0;
constexpr std::uint16_t NUMBER_G1 = 1;
constexpr std::uint16_t NUMBER_G40 = 40;
constexpr std::uint16_t NUMBER_G17 = 17;
constexpr std::uint16_t SPINDLE_ON = 3;
constexpr std::uint16_t SPINDLE_OFF = 5;
constexpr std::uint16_t COOLANT_ON = 8;
constexpr std::uint16_t COOLANT_OFF = 9;
constexpr std::uint16_t PROGRAM_END = 30;
constexpr std::uint16_t SUBPROGRAM_END = 99;

// Any odd multiplier walks all 256 byte values; the block shifts the pattern
// so that axis blocks differ from each other and from the general block.
constexpr std::size_t SEED_STEP = 37;
constexpr unsigned SEED_BLOCK_STEP = 101;
constexpr unsigned SEED_BASE = 11;
constexpr unsigned BYTE_MASK = 0xFF;

} // namespace

std::uint8_t SeedParamByte(unsigned block, std::size_t offset)
{
    return static_cast<std::uint8_t>((offset * SEED_STEP + block * SEED_BLOCK_STEP + SEED_BASE) &
                                     BYTE_MASK);
}

ProgramFrame MakeWord(std::uint8_t code, std::uint16_t number, std::int32_t coordinate, bool active)
{
    ProgramFrame f; // reserved bytes stay 0
    f.setActive(active ? CControllerModel::WORD_ACTIVE : CControllerModel::WORD_DISABLED);
    f.setCode(code);
    f.setNumber(number);
    f.setCoordinate(coordinate);
    return f;
}

std::vector<ProgramFrame> ChainFrames(std::vector<ProgramFrame> words)
{
    const std::size_t n = words.size();
    for (std::size_t i = 0; i < n; ++i) {
        ProgramFrame& f = words[i];
        if (i == 0)
            f.setKind(CControllerModel::FRAME_FIRST);
        else if (i + 1 == n)
            f.setKind(CControllerModel::FRAME_LAST);
        else
            f.setKind(CControllerModel::FRAME_MIDDLE);
        f.setPrev(i == 0 ? CControllerModel::NO_LINK : static_cast<std::uint16_t>(i - 1));
        f.setNext(i + 1 == n ? CControllerModel::NO_LINK : static_cast<std::uint16_t>(i + 1));
    }
    return words;
}

std::vector<ProgramFrame> SampleProgram1()
{
    return ChainFrames({
        MakeWord(CODE_G90, NUMBER_G90),
        MakeWord(CODE_G17, NUMBER_G17),
        MakeWord(CODE_G5X, G54),
        MakeWord(CODE_TOOL, 3),
        MakeWord(CODE_M, SPINDLE_ON),
        MakeWord(CODE_G0, NUMBER_G0),
        MakeWord(CODE_X, 0, 12345),  // X12.345F00
        MakeWord(CODE_Y, 0, -5000),  // Y-5.000F00
        MakeWord(CODE_Z, 0, 2000),   // Z2.000F00
        MakeWord(CODE_M, COOLANT_ON),
        MakeWord(CODE_G1, NUMBER_G1),
        MakeWord(CODE_FEED, 200),    // F200
        MakeWord(CODE_Z, 80, -1500), // Z-1.500F80
        MakeWord(CODE_X, 100, 12345 + 40000),
        MakeWord(CODE_Y, 100, 20000),
        MakeWord(CODE_DWELL, 5), // G4.5
        MakeWord(CODE_G1, NUMBER_G1, 0, false), // //G1, disabled
        MakeWord(CODE_X, 100, 12345, false),
        MakeWord(CODE_G0, NUMBER_G0),
        MakeWord(CODE_Z, 0, 50000),
        MakeWord(CODE_M, COOLANT_OFF),
        MakeWord(CODE_M, SPINDLE_OFF),
        MakeWord(CODE_M, PROGRAM_END),
    });
}

std::vector<ProgramFrame> SampleProgram2()
{
    return ChainFrames({
        MakeWord(CODE_G90, NUMBER_G90),
        MakeWord(CODE_G40, NUMBER_G40),
        MakeWord(CODE_TOOL, 1),
        MakeWord(CODE_M, SPINDLE_ON),
        MakeWord(CODE_G0, NUMBER_G0),
        MakeWord(CODE_X, 0, -25000),
        MakeWord(CODE_G1, NUMBER_G1),
        MakeWord(CODE_X, 150, 25000), // X25.000F150
        MakeWord(CODE_DWELL, 25),     // G4.25
        MakeWord(CODE_G0, NUMBER_G0),
        MakeWord(CODE_M, SPINDLE_OFF),
        MakeWord(CODE_M, PROGRAM_END),
    });
}

std::vector<ProgramFrame> SampleSubprogram1()
{
    return ChainFrames({
        MakeWord(CODE_G91, NUMBER_G91),
        MakeWord(CODE_G1, NUMBER_G1),
        MakeWord(CODE_Z, 50, -1000), // Z-1.000F50
        MakeWord(CODE_Z, 0, 1000),
        MakeWord(CODE_G90, NUMBER_G90),
        MakeWord(CODE_M, SUBPROGRAM_END),
    });
}

void SeedSamplePrograms(CControllerModel& model)
{
    const auto p1 = SampleProgram1();
    const auto p2 = SampleProgram2();
    const auto s1 = SampleSubprogram1();
    model.SetProgramFrames({LinkFile::Program, 1}, p1);
    model.SetProgramFrames({LinkFile::Program, 2}, p2);
    model.SetProgramFrames({LinkFile::Subprogram, 1}, s1);
}
