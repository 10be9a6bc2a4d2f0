// Tests of the simulated controller's memory: program chains, areas, blocks and file numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/controller_model.h"
#include "sim/sample_programs.h"
#include "sim/sim_options.h"

namespace {

constexpr ProgramId P1{LinkFile::Program, 1};
constexpr ProgramId S1{LinkFile::Subprogram, 1};
constexpr std::uint8_t FIRST = 1;
constexpr std::uint8_t MIDDLE = 0;
constexpr std::uint8_t LAST = 2;
constexpr std::uint8_t FREE = 0xFF;
constexpr std::uint16_t NONE = 0xFFFF;

ProgramFrame Frame(std::uint8_t kind, std::uint16_t next, std::uint16_t prev, std::uint8_t code = 24)
{
    ProgramFrame f;
    f.setKind(kind);
    f.setActive(0xFF);
    f.setCode(code);
    f.setNext(next);
    f.setPrev(prev);
    return f;
}

std::vector<ProgramFrame> Words(std::size_t n)
{
    std::vector<ProgramFrame> words;
    for (std::size_t i = 0; i < n; ++i)
        words.push_back(MakeWord(0, static_cast<std::uint16_t>(i), static_cast<std::int32_t>(i * 1000)));
    return ChainFrames(words);
}

struct SizeCase {
    std::string name;
    std::vector<ProgramFrame> frames; // slots 0, 1, ... of a subprogram
    std::uint16_t expected;
};

TEST(ControllerModel, ProgramSizeFollowsTheChainAndSurvivesMalformedOnes)
{
    std::vector<ProgramFrame> noLast(CControllerModel::SUBPROGRAM_SLOTS, Frame(MIDDLE, 0, 0));
    noLast[0] = Frame(FIRST, 1, NONE);
    const std::vector<SizeCase> cases{
        {"empty area", {}, 0},
        {"lone first frame", {Frame(FIRST, NONE, NONE)}, 1},
        {"first and last", {Frame(FIRST, 1, NONE), Frame(LAST, NONE, 0)}, 2},
        {"seven frames", Words(7), 7},
        {"whole area", Words(CControllerModel::SUBPROGRAM_SLOTS), CControllerModel::SUBPROGRAM_SLOTS},
        {"slot 0 is a middle frame", {Frame(MIDDLE, 1, NONE), Frame(LAST, NONE, 0)}, 0},
        {"slot 0 is a last frame", {Frame(LAST, NONE, NONE)}, 0},
        {"first frame links on but slot 1 is free", {Frame(FIRST, 1, NONE)}, 1},
        {"chain broken by a second first frame",
         {Frame(FIRST, 1, NONE), Frame(MIDDLE, 2, 0), Frame(FIRST, NONE, NONE)}, 2},
        {"no last frame before the area ends", noLast, CControllerModel::SUBPROGRAM_SLOTS},
    };
    for (const SizeCase& c : cases) {
        CControllerModel model(DefaultDescriptor());
        ASSERT_TRUE(model.SetProgramFrames(S1, c.frames)) << c.name;
        EXPECT_EQ(model.ProgramSize(S1), c.expected) << c.name << ", " << c.frames.size() << " slots";
    }
}

TEST(ControllerModel, FramesPastTheChainReadAsEmptyFrames)
{
    CControllerModel model(DefaultDescriptor());
    const auto words = Words(7);
    ASSERT_TRUE(model.SetProgramFrames(P1, words));
    // A stale frame after the chain, as a write without a delete leaves it.
    const auto stale = Words(1)[0];
    ASSERT_TRUE(model.WriteFrames(P1, 8, 16, stale.bytes));

    std::vector<std::uint8_t> out(5 * 32);
    model.ReadFrames(P1, 5, 5, 32, out);
    for (std::size_t i = 0; i < 5; ++i) {
        const std::uint8_t* slot = &out[i * 32];
        if (i < 2) {
            EXPECT_TRUE(std::equal(words[5 + i].bytes.begin(), words[5 + i].bytes.end(), slot)) << i;
            EXPECT_TRUE(std::all_of(slot + 16, slot + 32, [](auto b) { return b == 0xFF; })) << i;
        } else {
            const auto empty = CControllerModel::EmptySlot();
            EXPECT_TRUE(std::equal(empty.begin(), empty.end(), slot)) << "slot " << 5 + i;
            EXPECT_EQ(slot[0], FREE);
        }
    }
}

TEST(ControllerModel, EmptyFrameHasFreeMarksAndZeroCoordinate)
{
    const ProgramFrame f = CControllerModel::EmptyFrame();
    EXPECT_EQ(f.kind(), 0xFF);
    EXPECT_EQ(f.active(), 0xFF);
    EXPECT_EQ(f.code(), 0xFF);
    EXPECT_EQ(f.next(), 0xFFFF);
    EXPECT_EQ(f.prev(), 0xFFFF);
    EXPECT_EQ(f.coordinate(), 0);
}

TEST(ControllerModel, FrameSizeOtherThanTheSlotCutsOrPads)
{
    CControllerModel model(DefaultDescriptor());
    ASSERT_TRUE(model.SetProgramFrames(P1, Words(2)));
    const auto area = model.ProgramArea(P1);

    std::vector<std::uint8_t> wide(2 * 40, 0xEE);
    model.ReadFrames(P1, 0, 2, 40, wide);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(std::equal(area.begin() + i * 32, area.begin() + (i + 1) * 32, wide.begin() + i * 40));
        EXPECT_TRUE(std::all_of(wide.begin() + i * 40 + 32, wide.begin() + (i + 1) * 40,
                                [](auto b) { return b == 0; }));
    }

    std::vector<std::uint8_t> narrow(2 * 16);
    model.ReadFrames(P1, 0, 2, 16, narrow);
    EXPECT_TRUE(std::equal(area.begin(), area.begin() + 16, narrow.begin()));
    EXPECT_TRUE(std::equal(area.begin() + 32, area.begin() + 48, narrow.begin() + 16));

    // A 16-byte frame written fills the slot's first half; the rest reads free.
    const auto one = Words(1);
    ASSERT_TRUE(model.WriteFrames(P1, 0, 16, one[0].bytes));
    const auto after = model.ProgramArea(P1);
    EXPECT_TRUE(std::equal(one[0].bytes.begin(), one[0].bytes.end(), after.begin()));
    EXPECT_TRUE(std::all_of(after.begin() + 16, after.begin() + 32, [](auto b) { return b == 0xFF; }));
}

TEST(ControllerModel, WritesStopAtTheAreaEnd)
{
    CControllerModel model(DefaultDescriptor());
    const std::vector<std::uint8_t> five(5 * 32, 0);
    EXPECT_TRUE(model.WriteFrames(P1, 495, 32, five));
    EXPECT_FALSE(model.WriteFrames(P1, 496, 32, five));
    EXPECT_TRUE(model.WriteFrames(S1, 95, 32, five));
    EXPECT_FALSE(model.WriteFrames(S1, 100, 32, std::span(five).first(32)));
    EXPECT_FALSE(model.WriteFrames(S1, 0, 32, std::span(five).first(31))) << "not a whole frame";
    EXPECT_FALSE(model.SetProgramFrames(S1, Words(101)));
}

TEST(ControllerModel, DeleteEmptiesOnlyItsProgram)
{
    CControllerModel model(DefaultDescriptor());
    SeedSamplePrograms(model);
    ASSERT_GT(model.ProgramSize(P1), 0);
    model.DeleteProgram(P1);
    EXPECT_EQ(model.ProgramSize(P1), 0);
    const auto area = model.ProgramArea(P1);
    const auto empty = CControllerModel::EmptySlot();
    for (std::size_t s = 0; s < CControllerModel::PROGRAM_SLOTS; ++s)
        ASSERT_TRUE(std::equal(empty.begin(), empty.end(), area.begin() + s * 32)) << "slot " << s;
    EXPECT_EQ(model.ProgramSize({LinkFile::Program, 2}), SampleProgram2().size());
    EXPECT_EQ(model.ProgramSize(S1), SampleSubprogram1().size());
}

TEST(ControllerModel, GeneralBlockReadsZeroPastItsEndAndRefusesWritesPastIt)
{
    CControllerModel model(DefaultDescriptor()); // G = 450
    std::vector<std::uint8_t> piece(200, 0xEE);
    model.ReadGeneral(400, piece);
    EXPECT_TRUE(std::equal(piece.begin(), piece.begin() + 50, model.GeneralParams().begin() + 400));
    EXPECT_TRUE(std::all_of(piece.begin() + 50, piece.end(), [](auto b) { return b == 0; }));
    model.ReadGeneral(450, piece);
    EXPECT_TRUE(std::all_of(piece.begin(), piece.end(), [](auto b) { return b == 0; }));

    EXPECT_TRUE(model.WriteGeneral(400, std::span(piece).first(50)));
    EXPECT_FALSE(model.WriteGeneral(400, std::span(piece).first(51)));
    EXPECT_FALSE(model.WriteAxis(4, std::vector<std::uint8_t>(120)));
    EXPECT_FALSE(model.WriteAxis(0, std::vector<std::uint8_t>(119)));
}

TEST(ControllerModel, ResizeKeepsWhatFitsAndSeedsTheRest)
{
    CControllerModel model(DefaultDescriptor());
    std::vector<std::uint8_t> general(450, 0x42);
    ASSERT_TRUE(model.SetGeneralParams(general));
    std::vector<std::uint8_t> axes(4 * 120, 0x24);
    ASSERT_TRUE(model.SetAxisParams(axes));

    ControllerInfo bigger = DefaultDescriptor();
    bigger.setGeneralParamSize(500);
    bigger.setAxisParamSize(100);
    bigger.setAxisCount(5);
    model.Resize(bigger);

    ASSERT_EQ(model.GeneralParams().size(), 500u);
    EXPECT_EQ(model.GeneralParams()[449], 0x42);
    EXPECT_EQ(model.GeneralParams()[450], SeedParamByte(GENERAL_BLOCK, 450));
    ASSERT_EQ(model.AxisParams().size(), 500u);
    EXPECT_EQ(model.AxisBlock(3)[99], 0x24);
    EXPECT_EQ(model.AxisBlock(4)[0], SeedParamByte(GENERAL_BLOCK + 1 + 4, 0));
    EXPECT_EQ(model.Descriptor().bytes, bigger.bytes);

    // The same change from the same memory gives the same bytes.
    CControllerModel again(DefaultDescriptor());
    again.SetGeneralParams(general);
    again.SetAxisParams(axes);
    again.Resize(bigger);
    EXPECT_TRUE(std::ranges::equal(again.AxisParams(), model.AxisParams()));
}

TEST(ControllerModel, FileNumbersMapToProgramsWithinTheirRanges)
{
    struct Case {
        std::string name;
        std::uint16_t file;
        std::optional<ProgramId> expected;
    };
    const std::vector<Case> cases{
        {"program 1", 0x0003, ProgramId{LinkFile::Program, 1}},
        {"program 20", 0x1303, ProgramId{LinkFile::Program, 20}},
        {"program 21", 0x1403, std::nullopt},
        {"subprogram 50", 0x3104, ProgramId{LinkFile::Subprogram, 50}},
        {"subprogram 51", 0x3204, std::nullopt},
        {"general parameters", 0x0001, std::nullopt},
        {"kind 5", 0x0005, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CControllerModel::ProgramFromFile(c.file), c.expected) << c.name << " file " << c.file;
}

TEST(SamplePrograms, AreProperChainsOfTheirOwnSize)
{
    struct Case {
        std::string name;
        std::vector<ProgramFrame> frames;
    };
    for (const Case& c : std::vector<Case>{{"program 1", SampleProgram1()},
                                           {"program 2", SampleProgram2()},
                                           {"subprogram 1", SampleSubprogram1()}}) {
        CControllerModel model(DefaultDescriptor());
        ASSERT_TRUE(model.SetProgramFrames(P1, c.frames)) << c.name;
        EXPECT_EQ(model.ProgramSize(P1), c.frames.size()) << c.name;
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            const ProgramFrame& f = c.frames[i];
            EXPECT_EQ(f.prev(), i == 0 ? NONE : i - 1) << c.name << " frame " << i;
            EXPECT_EQ(f.next(), i + 1 == c.frames.size() ? NONE : i + 1) << c.name << " frame " << i;
        }
    }
    EXPECT_GT(SampleProgram2().size(), 5u);
    EXPECT_NE(SampleProgram2().size() % 5, 0u);
    const auto p1 = SampleProgram1();
    EXPECT_TRUE(std::any_of(p1.begin(), p1.end(), [](const ProgramFrame& f) { return f.active() == 0; }))
        << "program 1 shows a disabled word";
}

} // namespace
