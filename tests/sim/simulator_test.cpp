// The simulator seen through the real link, over its pseudo-terminal: what
// the PC's transfers will see.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "sim/sample_programs.h"
#include "tests/sim/sim_harness.h"

namespace {

constexpr std::uint16_t PROGRAM_1 = 0x0003;
constexpr std::uint16_t PROGRAM_2 = 0x0103;
constexpr std::uint16_t PROGRAM_20 = 0x1303;
constexpr std::uint16_t PROGRAM_21 = 0x1403;
constexpr std::uint16_t SUBPROGRAM_1 = 0x0004;
constexpr std::uint16_t SUBPROGRAM_50 = 0x3104;
constexpr std::uint16_t SUBPROGRAM_51 = 0x3204;

using SimulatorTest = SimHarness;

// Reads a whole program as the PC does: the size, then blocks of five.
std::vector<std::uint8_t> ReadProgram(CControllerLink& link, std::uint16_t file, std::uint16_t& size)
{
    std::array<std::uint8_t, 4> count{};
    if (!link.ReadRecord(UNIT, file, 0, SIZE_QUERY, count))
        return {};
    size = static_cast<std::uint16_t>(count[0] | (count[1] << 8));
    std::vector<std::uint8_t> all;
    for (std::uint16_t k = 0; k < size; k += BLOCK_FRAMES) {
        Bytes block(BLOCK_FRAMES * FRAME);
        if (!link.ReadRecord(UNIT, file, k, BLOCK_FRAMES, block))
            return {};
        all.insert(all.end(), block.begin(), block.end());
    }
    all.resize(std::size_t{size} * FRAME);
    return all;
}

// Writes a program as the PC does: the delete, then one write of up to five
// frames, or blocks of five (the last padded with empty slots).
bool WriteProgram(CControllerLink& link, std::uint16_t file, const std::vector<ProgramFrame>& frames)
{
    if (!link.WriteRecord(UNIT, file, 0, {}))
        return false;
    if (frames.size() <= BLOCK_FRAMES)
        return link.WriteRecord(UNIT, file, 0, SlotsOf(frames, frames.size()));
    const Bytes slots = SlotsOf(frames, (frames.size() + BLOCK_FRAMES - 1) / BLOCK_FRAMES * BLOCK_FRAMES);
    for (std::size_t k = 0; k < frames.size(); k += BLOCK_FRAMES)
        if (!link.WriteRecord(UNIT, file, static_cast<std::uint16_t>(k),
                              std::span(slots).subspan(k * FRAME, BLOCK_FRAMES * FRAME)))
            return false;
    return true;
}

struct ReadCase {
    std::string name;
    std::uint16_t file;
    std::uint16_t record;
    std::uint16_t length;
    Bytes expected;
};

TEST_F(SimulatorTest, AnswersEveryReadOfTheTable)
{
    Start();
    const Bytes general = m_sim->GeneralParams();
    ASSERT_EQ(general.size(), 450u);
    const auto slice = [&](std::size_t from, std::size_t n) {
        Bytes out(n, 0);
        for (std::size_t i = 0; i < n && from + i < general.size(); ++i)
            out[i] = general[from + i];
        return out;
    };
    const auto p2 = SampleProgram2();
    const std::vector<ReadCase> cases{
        {"descriptor", 0, 1, 0, {0xC2, 0x01, 0x78, 0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0}},
        {"general at 0", 1, 0, 200, slice(0, 200)},
        {"general at 200", 1, 200, 200, slice(200, 200)},
        {"general at 400, past the end", 1, 400, 200, slice(400, 200)},
        {"axis 0", 2, 0, 120, m_sim->AxisBlock(0)},
        {"axis 3", 2, 3, 120, m_sim->AxisBlock(3)},
        {"size of program 1", PROGRAM_1, 0, SIZE_QUERY, {23, 0, 0, 0}},
        {"size of program 2", PROGRAM_2, 0, SIZE_QUERY, {12, 0, 0, 0}},
        {"size of empty program 20", PROGRAM_20, 0, SIZE_QUERY, {0, 0, 0, 0}},
        {"size of subprogram 1", SUBPROGRAM_1, 0, SIZE_QUERY, {6, 0, 0, 0}},
        {"size of empty subprogram 50", SUBPROGRAM_50, 0, SIZE_QUERY, {0, 0, 0, 0}},
        {"program 2 block 0", PROGRAM_2, 0, BLOCK_FRAMES, ExpectedSlots(p2, 0, 5)},
        {"program 2 block 10, past the end", PROGRAM_2, 10, BLOCK_FRAMES, ExpectedSlots(p2, 10, 5)},
        {"empty program 20, block 0", PROGRAM_20, 0, BLOCK_FRAMES, ExpectedSlots({}, 0, 5)},
    };
    for (const ReadCase& c : cases) {
        Bytes got(c.expected.size() + 8, 0xEE);
        std::size_t received = 0;
        ASSERT_TRUE(m_link->ReadRecord(UNIT, c.file, c.record, c.length, got, &received)) << c.name;
        EXPECT_EQ(received, c.expected.size()) << c.name;
        got.resize(received);
        EXPECT_EQ(Hex(got), Hex(c.expected)) << c.name;
    }
}

TEST_F(SimulatorTest, RefusesWhatLiesOutsideItsMemory)
{
    Start();
    Fast();
    const std::vector<ReadCase> cases{
        {"program 21", PROGRAM_21, 0, SIZE_QUERY, {}},
        {"subprogram 51", SUBPROGRAM_51, 0, SIZE_QUERY, {}},
        {"block past the program area", PROGRAM_1, 500, BLOCK_FRAMES, {}},
        {"block past the subprogram area", SUBPROGRAM_1, 100, BLOCK_FRAMES, {}},
        {"axis 4 of 4", 2, 4, 120, {}},
        {"general past its end", 1, 451, 200, {}},
        {"unknown file", 0x0009, 0, 1, {}},
    };
    for (const ReadCase& c : cases) {
        Bytes got(256, 0xEE);
        EXPECT_FALSE(m_link->ReadRecord(UNIT, c.file, c.record, c.length, got)) << c.name;
        EXPECT_EQ(got, Bytes(256, 0xEE)) << c.name << ": a failed read leaves the buffer alone";
    }
    // Each was refused with an exception reply, not with silence.
    std::size_t exceptions = 0;
    for (const std::string& line : LogLines())
        if (line.find(" REP 01 94 02 ") != std::string::npos)
            ++exceptions;
    EXPECT_EQ(exceptions, cases.size());
}

TEST_F(SimulatorTest, ProgramFramesComeBackByteForByte)
{
    Start();
    struct Case {
        std::string name;
        std::uint16_t file;
        ProgramId id;
        std::size_t frames;
    };
    const std::vector<Case> cases{
        {"one frame", PROGRAM_1, {LinkFile::Program, 1}, 1},
        {"three frames in one write", PROGRAM_2, {LinkFile::Program, 2}, 3},
        {"five frames in one write", PROGRAM_20, {LinkFile::Program, 20}, 5},
        {"23 frames in blocks", PROGRAM_1, {LinkFile::Program, 1}, 23},
        {"the whole program area", PROGRAM_2, {LinkFile::Program, 2}, 500},
        {"the whole subprogram area", SUBPROGRAM_50, {LinkFile::Subprogram, 50}, 100},
    };
    for (const Case& c : cases) {
        const auto frames = NumberedProgram(c.frames);
        ASSERT_TRUE(WriteProgram(*m_link, c.file, frames)) << c.name;
        EXPECT_EQ(m_sim->ProgramFrames(c.id), frames) << c.name;
        std::uint16_t size = 0;
        const Bytes back = ReadProgram(*m_link, c.file, size);
        EXPECT_EQ(size, c.frames) << c.name;
        EXPECT_EQ(Hex(back), Hex(SlotsOf(frames, c.frames))) << c.name;
    }
}

TEST_F(SimulatorTest, ParametersComeBackByteForByte)
{
    Start();
    Bytes general(450);
    for (std::size_t i = 0; i < general.size(); ++i)
        general[i] = static_cast<std::uint8_t>(255 - i % 251);
    // The PC's write: whole 200-byte pieces, then the remainder.
    ASSERT_TRUE(m_link->WriteRecord(UNIT, 1, 0, std::span(general).subspan(0, 200)));
    ASSERT_TRUE(m_link->WriteRecord(UNIT, 1, 200, std::span(general).subspan(200, 200)));
    ASSERT_TRUE(m_link->WriteRecord(UNIT, 1, 400, std::span(general).subspan(400, 50)));
    std::vector<Bytes> axes;
    for (std::uint8_t a = 0; a < 4; ++a) {
        axes.emplace_back(120, static_cast<std::uint8_t>(0x10 * (a + 1)));
        axes.back()[0] = a;
        ASSERT_TRUE(m_link->WriteRecord(UNIT, 2, a, axes.back())) << "axis " << int{a};
    }
    EXPECT_EQ(m_sim->GeneralParams(), general);

    // The PC's read: one 200-byte piece more than G holds whole.
    Bytes back(600);
    for (std::uint16_t j = 0; j <= 2; ++j)
        ASSERT_TRUE(m_link->ReadRecord(UNIT, 1, j * 200, 200, std::span(back).subspan(j * 200, 200)));
    back.resize(450);
    EXPECT_EQ(Hex(back), Hex(general));
    for (std::uint8_t a = 0; a < 4; ++a) {
        Bytes block(120);
        ASSERT_TRUE(m_link->ReadRecord(UNIT, 2, a, 120, block));
        EXPECT_EQ(block, axes[a]) << "axis " << int{a};
    }
}

TEST_F(SimulatorTest, GeneralReadAtTheBlockEndIsAnsweredWhenItIsAWholeNumberOfPieces)
{
    SimOptions options;
    options.descriptor.generalParamSize = 400;
    Start(options);
    Bytes piece(200, 0xEE);
    ASSERT_TRUE(m_link->ReadRecord(UNIT, 1, 400, 200, piece));
    EXPECT_EQ(piece, Bytes(200, 0));
}

TEST_F(SimulatorTest, DeleteEmptiesTheProgram)
{
    Start();
    ASSERT_EQ(m_sim->ProgramSize({LinkFile::Program, 1}), 23);
    ASSERT_TRUE(m_link->WriteRecord(UNIT, PROGRAM_1, 0, {}));
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 1}), 0);
    std::uint16_t size = 99;
    ReadProgram(*m_link, PROGRAM_1, size);
    EXPECT_EQ(size, 0);
    Bytes block(5 * FRAME);
    ASSERT_TRUE(m_link->ReadRecord(UNIT, PROGRAM_1, 0, BLOCK_FRAMES, block));
    EXPECT_EQ(block, ExpectedSlots({}, 0, 5));
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 2}), 12) << "only its own program";
}

TEST_F(SimulatorTest, WritesStopAtTheAreaLimits)
{
    Start();
    const Bytes block = SlotsOf(NumberedProgram(5), 5);
    EXPECT_TRUE(m_link->WriteRecord(UNIT, PROGRAM_1, 495, block));
    EXPECT_TRUE(m_link->WriteRecord(UNIT, SUBPROGRAM_1, 95, block));
    // The exception reply is awaited as N + 2 bytes that never come, so the
    // write fails only after its 4-second time-out; the other limits are
    // checked on the raw line.
    EXPECT_FALSE(m_link->WriteRecord(UNIT, SUBPROGRAM_1, 96, block));
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 1}), 23) << "a block past the chain is not part of it";
    const auto lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(" REP 01 95 02 "), std::string::npos) << lines.back();
}

TEST_F(SimulatorTest, WritesSurviveARestart)
{
    Start();
    const auto frames = NumberedProgram(17);
    ASSERT_TRUE(WriteProgram(*m_link, SUBPROGRAM_50, frames));
    const Bytes axis(120, 0x5A);
    ASSERT_TRUE(m_link->WriteRecord(UNIT, 2, 1, axis));

    Start(); // the same store
    std::uint16_t size = 0;
    const Bytes back = ReadProgram(*m_link, SUBPROGRAM_50, size);
    EXPECT_EQ(size, 17);
    EXPECT_EQ(back, SlotsOf(frames, 17));
    Bytes block(120);
    ASSERT_TRUE(m_link->ReadRecord(UNIT, 2, 1, 120, block));
    EXPECT_EQ(block, axis);
}

TEST_F(SimulatorTest, EmptyWriteReplySatisfiesTheLinkToo)
{
    SimOptions options;
    options.echoWrites = false;
    Start(options);
    ASSERT_TRUE(WriteProgram(*m_link, PROGRAM_2, NumberedProgram(7)));
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 2}), 7);
    const auto lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(" REP 01 15 00 "), std::string::npos) << lines.back();
}

TEST_F(SimulatorTest, OtherFrameSizesTravelAsTheyAre)
{
    for (const std::uint8_t f : {std::uint8_t{16}, std::uint8_t{40}}) {
        SimOptions options;
        options.descriptor.frameSize = f;
        Start(options);
        Bytes info(16);
        ASSERT_TRUE(m_link->ReadRecord(UNIT, 0, 1, 0, info));
        EXPECT_EQ(info[13], f);
        Bytes block(5 * f + 1);
        std::size_t received = 0;
        ASSERT_TRUE(m_link->ReadRecord(UNIT, PROGRAM_2, 0, BLOCK_FRAMES, block, &received));
        ASSERT_EQ(received, 5u * f) << "frame size " << int{f};
        const auto p2 = SampleProgram2();
        EXPECT_TRUE(std::equal(p2[1].bytes.begin(), p2[1].bytes.end(), block.begin() + f))
            << "frame size " << int{f};
        if (f > FRAME) {
            EXPECT_EQ(block[f + FRAME], 0) << "zero past the slot";
        }
    }
}

TEST_F(SimulatorTest, DescriptorTheLinkCannotCarryIsReportedAndItsRequestsRefused)
{
    Start();
    ControllerInfo wide = m_sim->Descriptor();
    wide.setAxisParamSize(254);
    wide.setFrameSize(64);
    wide.bytes[5] = 0xAB; // reserved bytes travel as they are
    ASSERT_TRUE(m_sim->SetDescriptor(wide));
    Bytes info(16);
    ASSERT_TRUE(m_link->ReadRecord(UNIT, 0, 1, 0, info));
    EXPECT_EQ(Hex(info), Hex(wide.bytes));
    EXPECT_EQ(m_sim->AxisBlock(3).size(), 254u);

    std::array<std::uint8_t, 4> count{};
    EXPECT_TRUE(m_link->ReadRecord(UNIT, PROGRAM_1, 0, SIZE_QUERY, count));
    EXPECT_EQ(count[0], 23);

    Fast();
    Bytes buffer(320);
    EXPECT_FALSE(m_link->ReadRecord(UNIT, 2, 0, 254, buffer)) << "254 bytes do not fit a reply";
    EXPECT_FALSE(m_link->ReadRecord(UNIT, PROGRAM_1, 0, BLOCK_FRAMES, buffer)) << "nor do five 64-byte frames";

    Start(); // the descriptor set is in the store
    EXPECT_EQ(m_sim->Descriptor().bytes, wide.bytes);
}

TEST_F(SimulatorTest, ModelChangesFromTheTestAreSeenOnTheLine)
{
    Start();
    const auto frames = NumberedProgram(9);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 3}, frames));
    std::uint16_t size = 0;
    EXPECT_EQ(ReadProgram(*m_link, 0x0204, size), SlotsOf(frames, 9));
    EXPECT_FALSE(m_sim->SetProgramFrames({LinkFile::Subprogram, 51}, frames));
    EXPECT_FALSE(m_sim->SetGeneralParams(Bytes(449)));
    ASSERT_TRUE(m_sim->SetGeneralParams(Bytes(450, 0x11)));
    Bytes piece(200);
    ASSERT_TRUE(m_link->ReadRecord(UNIT, 1, 0, 200, piece));
    EXPECT_EQ(piece, Bytes(200, 0x11));
}

TEST_F(SimulatorTest, PacedReplyTakesItsTimeOnTheLine)
{
    SimOptions options;
    options.pace = true;
    Start(options);
    Bytes block(5 * FRAME);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_link->ReadRecord(UNIT, PROGRAM_1, 0, BLOCK_FRAMES, block));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // 12 request bytes and 165 reply bytes at 260.4 µs each: 46.1 ms.
    EXPECT_GE(elapsed, std::chrono::microseconds(177 * 260 * 9 / 10));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
    EXPECT_EQ(block, ExpectedSlots(SampleProgram1(), 0, 5));
}

} // namespace
