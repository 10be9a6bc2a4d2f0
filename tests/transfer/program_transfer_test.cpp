// Tests of reading and writing programs against the simulator: numbers, blocks and limits.
#include <gtest/gtest.h>

#include <filesystem>

#include "transfer/messages.h"
#include "image/program_image.h"
#include "tests/transfer/transfer_harness.h"

namespace {

class ProgramTransfer : public TransferTest {
protected:
    void SetUp() override { Start(); }
};

struct NumberRow {
    const char* number;
    DataKind kind;
    const char* message; // nullptr: accepted
    std::uint16_t file;  // the size query's file number when accepted
};

TEST_F(ProgramTransfer, NumberIsCheckedAfterTheDescriptorAndGivesTheFileNumber)
{
    const NumberRow rows[] = {
        {"", DataKind::Program, Msg::PROGRAM_RANGE, 0},
        {"00", DataKind::Program, Msg::PROGRAM_RANGE, 0},
        {"07", DataKind::Program, nullptr, 3 + 256 * 6},
        {"21", DataKind::Program, Msg::PROGRAM_RANGE, 0},
        {"20", DataKind::Program, nullptr, 0x1303},
        {"", DataKind::Subprogram, Msg::SUBPROGRAM_RANGE, 0},
        {"00", DataKind::Subprogram, Msg::SUBPROGRAM_RANGE, 0},
        {"21", DataKind::Subprogram, nullptr, 4 + 256 * 20},
        {"50", DataKind::Subprogram, nullptr, 0x3104},
        {"51", DataKind::Subprogram, Msg::SUBPROGRAM_RANGE, 0},
        {"3", DataKind::Program, nullptr, 515},
        {"3", DataKind::Subprogram, nullptr, 516},
    };
    for (const NumberRow& row : rows) {
        SCOPED_TRACE(std::string("number \"") + row.number + "\"");
        const std::size_t before = Requests().size();
        m_ui.events.clear();
        const CommandResult result = Read(row.kind, row.number, PathOf("n"));
        const std::vector<LoggedRequest> requests = Requests();
        ASSERT_GE(requests.size(), before + 1);
        EXPECT_EQ(requests[before].Summary(), "R 0 1 0");
        if (row.message) {
            EXPECT_EQ(result, CommandResult::Failed);
            EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{row.message});
            EXPECT_EQ(requests.size(), before + 1) << "nothing is asked after the descriptor";
        } else {
            EXPECT_EQ(result, CommandResult::Done);
            ASSERT_GE(requests.size(), before + 2);
            EXPECT_EQ(requests[before + 1].Summary(), "R " + std::to_string(row.file) + " 0 600");
        }
    }
}

TEST_F(ProgramTransfer, ReadOfSevenFramesAsksTwoBlocks)
{
    const std::vector<std::string> lines = ProgramLines(7);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(lines)));
    const std::string file = PathOf("seven");
    ASSERT_EQ(Read(DataKind::Program, "5", file), CommandResult::Done);

    EXPECT_EQ(RequestSummaries(),
              (std::vector<std::string>{"R 0 1 0", "R 1027 0 600", "R 1027 0 5", "R 1027 5 5"}));
    EXPECT_EQ(m_ui.Progress(), (std::vector<std::string>{"range 0 2", "pos 1", "pos 2"}));
    EXPECT_EQ(ReadWholeFile(file + ".prgVem730"), CrLfText(lines));
    EXPECT_FALSE(std::filesystem::exists(file + ".prgVem730.tmp")) << "the image goes on success";
}

TEST_F(ProgramTransfer, ReadOfAnEmptyProgramGivesAnEmptyFile)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 9}, {}));
    const std::string file = PathOf("empty.prgVem730");
    ASSERT_EQ(Read(DataKind::Subprogram, "9", file), CommandResult::Done);
    EXPECT_EQ(RequestSummaries(), (std::vector<std::string>{"R 0 1 0", "R 2052 0 600"}));
    EXPECT_EQ(m_ui.Progress(), std::vector<std::string>{"range 0 0"});
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(ReadWholeFile(file), "");
}

TEST_F(ProgramTransfer, WriteOfThreeLinesIsOneTransaction)
{
    const std::string file = PathOf("three.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(3)));
    ASSERT_EQ(Write(DataKind::Program, "2", file), CommandResult::Done);
    EXPECT_EQ(RequestSummaries(),
              (std::vector<std::string>{"R 0 1 0", "W 259 0 0", "W 259 0 96"}));
    EXPECT_EQ(m_ui.Progress(), (std::vector<std::string>{"range 0 1", "pos 1"}));
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 2}).size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp")) << "the image goes before the transfer";
}

// The last block of a program whose count is not a multiple of five keeps
// its five frames: the image's empty frames, never stale memory.
TEST_F(ProgramTransfer, WriteOfTwelveLinesSendsThreeBlocksEndingInEmptyFrames)
{
    const std::string file = PathOf("twelve.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(12)));
    ASSERT_EQ(Write(DataKind::Subprogram, "1", file), CommandResult::Done);
    const std::vector<LoggedRequest> requests = Requests();
    std::vector<std::string> summaries;
    for (const LoggedRequest& r : requests)
        summaries.push_back(r.Summary());
    EXPECT_EQ(summaries, (std::vector<std::string>{"R 0 1 0", "W 4 0 0", "W 4 0 160", "W 4 5 160",
                                                   "W 4 10 160"}));
    EXPECT_EQ(m_ui.Progress(), (std::vector<std::string>{"range 0 3", "pos 1", "pos 2", "pos 3"}));

    const std::vector<std::uint8_t>& last = requests.back().data;
    ASSERT_EQ(last.size(), 160u);
    for (std::size_t slot = 2; slot < 5; ++slot) {
        const std::uint8_t* frame = &last[slot * SLOT_SIZE];
        EXPECT_EQ(frame[0], FRAME_FREE) << "slot " << 10 + slot;
        EXPECT_EQ(frame[2], 0xFF) << "slot " << 10 + slot;
    }
    for (const LoggedRequest& r : requests)
        EXPECT_EQ(std::count(r.data.begin(), r.data.end(), STALE_BYTE), 0)
            << r.Summary() << ": bytes of an earlier command were sent";
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Subprogram, 1}).size(), 12u);
}

TEST_F(ProgramTransfer, RejectedFourthLineSendsNothingAfterTheDescriptor)
{
    const std::string file = PathOf("bad.prgVem730");
    WriteWholeFile(file, CrLfText({"G90", "G0", "X1.000F10", "x10", "M30"}));
    const std::size_t before = m_sim->ProgramFrames({LinkFile::Program, 1}).size();
    EXPECT_EQ(Write(DataKind::Program, "1", file), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(),
              std::vector<std::string>{"Ошибка в записываемой программе, строка: 4"});
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>{"R 0 1 0"});
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 1}).size(), before)
        << "the stored program is untouched";
}

struct SizeRow {
    const char* name;
    DataKind kind;
    std::string text;
};

// No word at all, or more words than the area holds: refused before the
// image is read or anything is sent.
TEST_F(ProgramTransfer, ProgramThatDoesNotFitIsRefusedBeforeAnythingIsSent)
{
    const SizeRow rows[] = {
        {"blank lines only", DataKind::Program, "\r\n   \r\n"},
        {"empty file", DataKind::Program, ""},
        {"501 program lines", DataKind::Program, CrLfText(ProgramLines(501))},
        {"101 subprogram lines", DataKind::Subprogram, CrLfText(ProgramLines(101))},
    };
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = PathOf("size.prgVem730");
        WriteWholeFile(file, row.text);
        const std::size_t before = Requests().size();
        m_ui.events.clear();
        EXPECT_EQ(Write(row.kind, "1", file), CommandResult::Failed);
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::PROGRAM_SIZE});
        EXPECT_EQ(Requests().size(), before + 1) << "only the descriptor";
    }
}

TEST_F(ProgramTransfer, LongestProgramsFitTheirAreas)
{
    const std::string file = PathOf("full.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(500)));
    ASSERT_EQ(Write(DataKind::Program, "20", file), CommandResult::Done);
    EXPECT_EQ(Requests().back().Summary(), "W 4867 495 160");
    ASSERT_EQ(Read(DataKind::Program, "20", PathOf("back")), CommandResult::Done);
    EXPECT_EQ(ReadWholeFile(PathOf("back.prgVem730")), CrLfText(ProgramLines(500)));

    WriteWholeFile(file, CrLfText(ProgramLines(100)));
    ASSERT_EQ(Write(DataKind::Subprogram, "50", file), CommandResult::Done);
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Subprogram, 50}).size(), 100u);
}

TEST_F(ProgramTransfer, ProgramWrittenAndReadBackGivesTheSameText)
{
    const std::string file = PathOf("sample.prgVem730");
    WriteWholeFile(file, CrLfText(SAMPLE_WORDS));
    ASSERT_EQ(Write(DataKind::Program, "4", file), CommandResult::Done);
    ASSERT_EQ(Read(DataKind::Program, "4", PathOf("again")), CommandResult::Done);
    EXPECT_EQ(ReadWholeFile(PathOf("again.prgVem730")), CrLfText(SAMPLE_WORDS));
    EXPECT_TRUE(m_ui.Warnings().empty());
}

TEST_F(ProgramTransfer, ExportFailureLeavesNoImage)
{
    // A middle frame with a code that has no text: the export cannot reach
    // the chain's last frame.
    std::vector<ProgramFrame> frames = ChainOf({"G90", "G0", "M30"});
    frames[1].setCode(60);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 6}, frames));
    const std::string file = PathOf("broken");
    EXPECT_EQ(Read(DataKind::Program, "6", file), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::DECODE_FAILED});
    EXPECT_FALSE(std::filesystem::exists(file + ".prgVem730"));
    EXPECT_EQ(FolderEntries(PrivateFolder()), std::vector<std::string>{});
}

struct ProgramFaultRow {
    const char* name;
    bool read;
    DataKind kind;
    FaultRule rule;
    const char* message;
};

TEST_F(ProgramTransfer, EachFailingTransactionShowsItsOwnMessage)
{
    const ProgramFaultRow rows[] = {
        {"size query", true, DataKind::Program, {FaultMode::BadCrc, FaultTarget::SizeQuery, 0, 0},
         Msg::SIZE_QUERY_FAILED},
        {"program block", true, DataKind::Program, {FaultMode::BadCrc, FaultTarget::BlockRead, 0, 0},
         Msg::PROGRAM_READ_FAILED},
        {"subprogram block", true, DataKind::Subprogram,
         {FaultMode::BadCrc, FaultTarget::BlockRead, 0, 0}, Msg::SUBPROGRAM_READ_FAILED},
        {"program delete", false, DataKind::Program, {FaultMode::BadCrc, FaultTarget::Delete, 0, 0},
         Msg::PROGRAM_DELETE_FAILED},
        {"subprogram delete", false, DataKind::Subprogram,
         {FaultMode::BadCrc, FaultTarget::Delete, 0, 0}, Msg::SUBPROGRAM_DELETE_FAILED},
        {"program block write", false, DataKind::Program,
         {FaultMode::BadCrc, FaultTarget::BlockWrite, 0, 0}, Msg::PROGRAM_WRITE_FAILED},
        {"subprogram block write", false, DataKind::Subprogram,
         {FaultMode::BadCrc, FaultTarget::BlockWrite, 0, 0}, Msg::SUBPROGRAM_WRITE_FAILED},
        {"descriptor", true, DataKind::Program, {FaultMode::BadCrc, FaultTarget::Descriptor, 0, 0},
         Msg::DESCRIPTOR_FAILED},
        {"silent descriptor", false, DataKind::Parameters,
         {FaultMode::Silent, FaultTarget::Descriptor, 0, 0}, Msg::DESCRIPTOR_FAILED},
    };
    const std::string source = PathOf("source.prgVem730");
    WriteWholeFile(source, CrLfText(ProgramLines(8)));
    Relink(250);
    for (const ProgramFaultRow& row : rows) {
        SCOPED_TRACE(row.name);
        m_sim->ClearFaults();
        m_sim->AddFault(row.rule);
        m_ui.events.clear();
        const CommandResult result =
            row.read ? Read(row.kind, "1", PathOf("target")) : Write(row.kind, "1", source);
        EXPECT_EQ(result, CommandResult::Failed);
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{row.message});
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf("target.prgVem730")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("target.prgVem730.tmp")))
        << "no image file after a failed block read";
}

} // namespace
