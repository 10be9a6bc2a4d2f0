// Tests of CProgramImage's slots: clearing, appending, free slots and the chain.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "image/program_image.h"
#include "image_bytes.h"
#include "scratch_folder.h"

namespace {

// An empty slot as the import leaves it: kind, active and code free, no
// links, and zero in every other byte (number, coordinate, reserved bytes).
const std::array<std::uint8_t, 16> EMPTY_FRAME = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
                                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// An image opened and cleared the way the import prepares it, for driving
// the frame operations one by one.
class ImageFixture : public ::testing::Test {
protected:
    void Prepare(bool subprogram)
    {
        m_path = m_folder.PathOf("prog.prgVem730.tmp");
        if (subprogram)
            m_image.SelectSubprogram(0);
        else
            m_image.SelectProgram(0);
        ASSERT_TRUE(m_image.m_imageFile.Open(m_path, CBinaryFile::Mode::CreateReadWrite));
        m_image.ClearArea();
        ASSERT_TRUE(m_image.ReadFrame(0));
    }

    bool Append(std::string line)
    {
        return m_image.AppendLine(line.data());
    }

    std::vector<std::uint8_t> Bytes() const { return ScratchFolder::ReadBytes(m_path); }

    ScratchFolder m_folder;
    std::string m_path;
    CProgramImage m_image{3, "", "", 0, 0};
};

TEST_F(ImageFixture, ClearAreaWritesTheEmptyFrameIntoEverySlot)
{
    Prepare(false);
    const auto bytes = Bytes();
    ASSERT_EQ(bytes.size(), (PROGRAM_SLOTS - 1) * SLOT_SIZE + FRAME_SIZE);
    for (std::size_t slot = 0; slot < PROGRAM_SLOTS; ++slot)
        ASSERT_EQ(FrameAt(bytes, slot).bytes, EMPTY_FRAME) << "slot " << slot;
    EXPECT_EQ(m_image.m_frameCount, 0);
    EXPECT_EQ(m_image.m_currentFrame.bytes, EMPTY_FRAME);
}

TEST_F(ImageFixture, FirstAppendMakesASingleFirstFrame)
{
    Prepare(false);
    ASSERT_TRUE(Append("G1"));
    const auto bytes = Bytes();
    const ProgramFrame first = FrameAt(bytes, 0);
    EXPECT_EQ(first.kind(), FRAME_FIRST);
    EXPECT_EQ(first.next(), NO_LINK);
    EXPECT_EQ(first.prev(), NO_LINK);
    EXPECT_EQ(first.active(), 0xFF);
    for (std::size_t slot = 1; slot < PROGRAM_SLOTS; ++slot)
        ASSERT_EQ(FrameAt(bytes, slot).bytes, EMPTY_FRAME) << "slot " << slot;
    EXPECT_EQ(m_image.m_frameCount, 1);
    EXPECT_EQ(m_image.m_currentIndex, 0);
    EXPECT_EQ(m_image.m_currentFrame, first);
}

TEST_F(ImageFixture, EachAppendBecomesTheCurrentLastFrame)
{
    Prepare(false);
    ASSERT_TRUE(Append("G0"));
    ASSERT_TRUE(Append("X1.000F10"));
    EXPECT_EQ(m_image.m_currentIndex, 1);
    EXPECT_EQ(m_image.m_currentFrame.kind(), FRAME_LAST);
    ASSERT_TRUE(Append("M6T3"));
    EXPECT_EQ(m_image.m_currentIndex, 2);
    EXPECT_EQ(m_image.m_currentFrame.kind(), FRAME_LAST);
    EXPECT_EQ(m_image.m_currentFrame.prev(), 1);
    EXPECT_EQ(m_image.m_cursor, 2);
    EXPECT_EQ(m_image.m_foundIndex, 2);
}

TEST_F(ImageFixture, RejectedLineLeavesFileAndCountUnchanged)
{
    Prepare(false);
    ASSERT_TRUE(Append("G0"));
    ASSERT_TRUE(Append("X10"));
    const auto before = Bytes();
    const ProgramFrame current = m_image.m_currentFrame;
    for (const char* line : {"K5", "//G1", "x10", "G16X", "G123", "G4"}) {
        EXPECT_FALSE(Append(line)) << line;
        EXPECT_EQ(m_image.m_frameCount, 2) << line;
        EXPECT_EQ(m_image.m_currentFrame, current) << line;
    }
    EXPECT_EQ(Bytes(), before);
    ASSERT_TRUE(Append("G1")) << "the chain goes on after a rejected line";
    EXPECT_EQ(FrameAt(Bytes(), 2).prev(), 1);
}

struct AreaRow {
    const char* name;
    bool subprogram;
    std::uint16_t slots;
};

TEST_F(ImageFixture, FullAreaRefusesTheNextLineAndWritesNothing)
{
    const AreaRow rows[] = {
        {"program", false, PROGRAM_SLOTS},
        {"subprogram", true, SUBPROGRAM_SLOTS},
    };
    for (const AreaRow& row : rows) {
        SCOPED_TRACE(row.name);
        m_image.m_imageFile.Close();
        m_image.m_cursor = 0;
        Prepare(row.subprogram);
        for (std::uint16_t i = 0; i < row.slots; ++i)
            ASSERT_TRUE(Append(i % 2 == 0 ? "G1" : "Y-1.250F05")) << "line " << i + 1;
        const auto full = Bytes();
        EXPECT_EQ(FrameAt(full, row.slots - 1u).kind(), FRAME_LAST);
        EXPECT_EQ(FrameAt(full, row.slots - 1u).prev(), row.slots - 2u);
        EXPECT_EQ(m_image.m_frameCount, row.slots);

        EXPECT_FALSE(m_image.FindFreeSlot());
        EXPECT_FALSE(Append("G0"));
        EXPECT_EQ(Bytes(), full);
        EXPECT_EQ(m_image.m_frameCount, row.slots);
    }
}

TEST_F(ImageFixture, SelectingANumberNeverMovesTheFrames)
{
    for (const int number : {0, 7, 19, 49}) {
        m_image.SelectProgram(number);
        EXPECT_EQ(m_image.m_area, 0) << number;
        m_image.SelectSubprogram(number);
        EXPECT_EQ(m_image.m_area, 1) << number;
    }
    Prepare(true);
    ASSERT_TRUE(Append("G0"));
    EXPECT_EQ(FrameAt(Bytes(), 0).kind(), FRAME_FIRST);
}

TEST_F(ImageFixture, FindFreeSlotTakesTheSlotAfterAOneFrameChain)
{
    Prepare(false);
    ASSERT_TRUE(Append("G0"));
    const ProgramFrame current = m_image.m_currentFrame;
    ASSERT_TRUE(m_image.FindFreeSlot());
    EXPECT_EQ(m_image.m_foundIndex, 1);
    EXPECT_EQ(m_image.m_targetIndex, 1);
    EXPECT_EQ(m_image.m_currentFrame, current) << "the scan puts the current frame back";
    EXPECT_EQ(m_image.m_currentIndex, 0);
}

// An image whose area ends in a one-frame chain has no slot after it; the
// slot past the area must not be handed out.
TEST_F(ImageFixture, OneFrameChainInTheLastSlotLeavesNoRoom)
{
    Prepare(true);
    for (std::uint16_t i = 0; i + 1 < SUBPROGRAM_SLOTS; ++i) {
        m_image.m_currentIndex = i;
        m_image.m_currentFrame = MakeFrame(FRAME_MIDDLE, 24, static_cast<std::uint16_t>(i + 1),
                                           static_cast<std::uint16_t>(i - 1));
        m_image.WriteCurrentFrame();
    }
    m_image.m_currentIndex = SUBPROGRAM_SLOTS - 1;
    m_image.m_currentFrame = MakeFrame(FRAME_FIRST, 24, NO_LINK, NO_LINK);
    m_image.WriteCurrentFrame();
    EXPECT_FALSE(m_image.FindFreeSlot());
}

TEST_F(ImageFixture, StepNextStopsWhereTheChainHasNoSuccessor)
{
    Prepare(false);
    EXPECT_FALSE(m_image.StepNext()) << "the empty frame has no successor";
    EXPECT_EQ(m_image.m_cursor, 0);
    ASSERT_TRUE(Append("G0"));
    ASSERT_TRUE(Append("G1"));
    ASSERT_TRUE(Append("G17"));
    m_image.m_cursor = 0;
    ASSERT_TRUE(m_image.ReadFrame(0));
    EXPECT_TRUE(m_image.StepNext()) << "slot 1 is a middle frame";
    EXPECT_EQ(m_image.m_currentIndex, 1);
    EXPECT_FALSE(m_image.StepNext()) << "slot 2 is the last frame";
    EXPECT_EQ(m_image.m_currentIndex, 2);
    EXPECT_FALSE(m_image.StepNext());
    EXPECT_EQ(m_image.m_currentIndex, 2) << "nothing follows the last frame";
}

TEST(ProgramImageFrames, ControllerImageEndsAfterItsLastSlot)
{
    ScratchFolder folder;
    const std::uint16_t frames = 4;
    const std::vector<ProgramFrame> chain = Chain(std::vector<ProgramFrame>(frames, Word(24)));
    const std::string path = folder.Write("img", ControllerImage(chain));

    CProgramImage image(3, path, "", 0, 0);
    ASSERT_TRUE(image.m_imageFile.Open(path, CBinaryFile::Mode::Read));
    EXPECT_TRUE(image.ReadFrame(frames - 1));
    EXPECT_EQ(image.m_currentFrame, chain.back());
    const ProgramFrame last = image.m_currentFrame;
    EXPECT_FALSE(image.ReadFrame(frames));
    EXPECT_EQ(image.m_currentIndex, frames);
    EXPECT_EQ(image.m_currentFrame, last) << "a failed read leaves the frame buffer whole";
    EXPECT_EQ(image.ReadFrameKind(1), FRAME_MIDDLE);
    EXPECT_EQ(image.ReadFrameKind(frames), FRAME_FREE) << "beyond the end no frame is held";
    EXPECT_EQ(image.m_currentIndex, frames) << "ReadFrameKind leaves the current frame alone";

    std::array<char, FRAME_TEXT_ROOM> text{};
    EXPECT_TRUE(image.ReadFrameText(0, text));
    EXPECT_STREQ(text.data(), "G1");
    EXPECT_FALSE(image.ReadFrameText(frames, text));
}

TEST(ProgramImageFrames, PartialLastSlotDoesNotRead)
{
    ScratchFolder folder;
    std::string bytes = ControllerImage({MakeFrame(FRAME_FIRST, 23, NO_LINK, NO_LINK)});
    bytes.append(FRAME_SIZE - 1, '\0');
    const std::string path = folder.Write("img", bytes);
    CProgramImage image(3, path, "", 0, 0);
    ASSERT_TRUE(image.m_imageFile.Open(path, CBinaryFile::Mode::Read));
    EXPECT_TRUE(image.ReadFrame(0));
    EXPECT_FALSE(image.ReadFrame(1)) << "15 of 16 bytes are no frame";
}

} // namespace
