// Tests of reading and writing the parameters against the simulator, block by block.
#include <gtest/gtest.h>

#include "transfer/messages.h"
#include "tests/transfer/transfer_harness.h"

namespace {

struct ParameterRow {
    const char* name;
    std::uint16_t general;
    std::uint8_t axes;
    std::vector<std::string> requests; // after the descriptor read
    std::vector<std::string> progress;
};

SimOptions WithSizes(std::uint16_t general, std::uint16_t axis, std::uint8_t axes)
{
    SimOptions options;
    options.descriptor.generalParamSize = general;
    options.descriptor.axisParamSize = axis;
    options.descriptor.axisCount = axes;
    return options;
}

class ParameterTransfer : public TransferTest {};

// Read always asks whole 200-byte general pieces, one more than G / 200.
TEST_F(ParameterTransfer, ReadAsksTheBlocksInOrder)
{
    const ParameterRow rows[] = {
        {"G450 n2", 450, 2,
         {"R 1 0 200", "R 1 200 200", "R 1 400 200", "R 2 0 120", "R 2 1 120"},
         {"range 0 4", "pos 0", "pos 1", "pos 2", "pos 3", "pos 4"}},
        {"G400 n2", 400, 2,
         {"R 1 0 200", "R 1 200 200", "R 1 400 200", "R 2 0 120", "R 2 1 120"},
         {"range 0 4", "pos 0", "pos 1", "pos 2", "pos 3", "pos 4"}},
        {"G0 n2", 0, 2, {"R 1 0 200", "R 2 0 120", "R 2 1 120"},
         {"range 0 2", "pos 0", "pos 1", "pos 2"}},
        {"G450 n0", 450, 0, {"R 1 0 200", "R 1 200 200", "R 1 400 200"},
         {"range 0 2", "pos 0", "pos 1", "pos 2"}},
    };
    for (const ParameterRow& row : rows) {
        SCOPED_TRACE(row.name);
        Start(WithSizes(row.general, 120, row.axes));
        m_ui.events.clear();
        const std::string file = PathOf(std::string("p-") + row.name);
        ASSERT_EQ(Read(DataKind::Parameters, "", file), CommandResult::Done);

        std::vector<std::string> expected{"R 0 1 0"};
        expected.insert(expected.end(), row.requests.begin(), row.requests.end());
        EXPECT_EQ(RequestSummaries(), expected);
        EXPECT_EQ(m_ui.Progress(), row.progress);
        EXPECT_TRUE(m_ui.Warnings().empty());
        EXPECT_EQ(ReadWholeFile(file + ".paramVem730"), ParameterFileOf(*m_sim));
        m_sim->Stop();
        std::filesystem::remove_all(PathOf("store"));
        std::filesystem::remove(PathOf("line.log"));
    }
}

// Write sends exactly G bytes of general parameters: whole pieces, then the
// remainder, each piece's position being its index.
TEST_F(ParameterTransfer, WriteSendsExactPieces)
{
    const ParameterRow rows[] = {
        {"G450 n2", 450, 2,
         {"W 1 0 200", "W 1 200 200", "W 1 400 50", "W 2 0 120", "W 2 1 120"},
         {"range 0 4", "pos 0", "pos 1", "pos 2", "pos 3", "pos 4"}},
        {"G400 n2", 400, 2, {"W 1 0 200", "W 1 200 200", "W 2 0 120", "W 2 1 120"},
         {"range 0 4", "pos 0", "pos 1", "pos 3", "pos 4"}},
        {"G0 n2", 0, 2, {"W 2 0 120", "W 2 1 120"}, {"range 0 2", "pos 1", "pos 2"}},
        {"G450 n0", 450, 0, {"W 1 0 200", "W 1 200 200", "W 1 400 50"},
         {"range 0 2", "pos 0", "pos 1", "pos 2"}},
    };
    for (const ParameterRow& row : rows) {
        SCOPED_TRACE(row.name);
        Start(WithSizes(row.general, 120, row.axes));
        const std::size_t size = row.general + row.axes * 120u;
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        const std::string file = PathOf(std::string("w-") + row.name + ".paramVem730");
        WriteWholeFile(file, bytes);
        m_ui.events.clear();
        ASSERT_EQ(Write(DataKind::Parameters, "", file), CommandResult::Done);

        std::vector<std::string> expected{"R 0 1 0"};
        expected.insert(expected.end(), row.requests.begin(), row.requests.end());
        EXPECT_EQ(RequestSummaries(), expected);
        EXPECT_EQ(m_ui.Progress(), row.progress);
        EXPECT_EQ(ParameterFileOf(*m_sim), bytes) << "the controller holds the file's bytes";
        m_sim->Stop();
        std::filesystem::remove_all(PathOf("store"));
        std::filesystem::remove(PathOf("line.log"));
    }
}

TEST_F(ParameterTransfer, FileOfAnotherSizeIsRefusedBeforeAnythingIsSent)
{
    Start(WithSizes(450, 120, 2));
    for (const std::size_t size : {689u, 691u}) {
        const std::string file = PathOf("size" + std::to_string(size) + ".paramVem730");
        WriteWholeFile(file, std::string(size, 'x'));
        m_ui.events.clear();
        EXPECT_EQ(Write(DataKind::Parameters, "", file), CommandResult::Failed);
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::PARAM_FILE_SIZE}) << size;
    }
    EXPECT_EQ(RequestSummaries(), (std::vector<std::string>{"R 0 1 0", "R 0 1 0"}));
}

// Nothing in the file records the split of general and axis blocks; a file
// of the right length is sent as it is.
TEST_F(ParameterTransfer, FileFromAnotherSplitOfTheSameTotalIsSentAsItIs)
{
    Start(WithSizes(330, 180, 2)); // 690 bytes, as 450 + 2 x 120
    const std::string file = PathOf("other.paramVem730");
    std::string bytes(690, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    WriteWholeFile(file, bytes);
    ASSERT_EQ(Write(DataKind::Parameters, "", file), CommandResult::Done);
    EXPECT_EQ(ParameterFileOf(*m_sim), bytes);
}

TEST_F(ParameterTransfer, FileReadAndWrittenBackGivesTheSameBytes)
{
    Start();
    const std::string first = PathOf("first");
    ASSERT_EQ(Read(DataKind::Parameters, "", first), CommandResult::Done);
    const std::string original = ReadWholeFile(first + ".paramVem730");

    std::string changed = original;
    changed[0] = static_cast<char>(changed[0] ^ 0xFF);
    changed[changed.size() - 1] = static_cast<char>(changed.back() ^ 0x55);
    WriteWholeFile(first + ".paramVem730", changed);
    ASSERT_EQ(Write(DataKind::Parameters, "", first), CommandResult::Done);
    ASSERT_EQ(Read(DataKind::Parameters, "", PathOf("second")), CommandResult::Done);
    EXPECT_EQ(ReadWholeFile(PathOf("second.paramVem730")), changed);
    EXPECT_NE(changed, original);
}

struct BlockFaultRow {
    const char* name;
    bool read;
    FaultRule rule;
    const char* message;
    std::size_t requestsSeen; // the descriptor read included
};

// Each block's failure shows that block's message and ends the command at
// that block.
TEST_F(ParameterTransfer, EachFailingBlockShowsItsOwnMessage)
{
    const BlockFaultRow rows[] = {
        {"general read", true, {FaultMode::BadCrc, FaultTarget::Nth, 3, 0}, Msg::GENERAL_READ_FAILED, 3},
        {"axis read", true, {FaultMode::BadCrc, FaultTarget::Nth, 6, 0}, Msg::AXIS_READ_FAILED, 6},
        {"general write", false, {FaultMode::BadCrc, FaultTarget::Nth, 2, 0}, Msg::GENERAL_WRITE_FAILED, 2},
        {"axis write", false, {FaultMode::BadCrc, FaultTarget::Nth, 5, 0}, Msg::AXIS_WRITE_FAILED, 5},
    };
    Start(WithSizes(450, 120, 4));
    const std::string source = PathOf("source.paramVem730");
    WriteWholeFile(source, std::string(450 + 4 * 120, 'p'));
    for (const BlockFaultRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t before = Requests().size();
        m_sim->ClearFaults();
        m_sim->AddFault(row.rule);
        m_ui.events.clear();
        const CommandResult result = row.read ? Read(DataKind::Parameters, "", PathOf("target"))
                                              : Write(DataKind::Parameters, "", source);
        EXPECT_EQ(result, CommandResult::Failed);
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{row.message});
        EXPECT_EQ(Requests().size() - before, row.requestsSeen);
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf("target.paramVem730")))
        << "a failed read writes no parameter file";
}

} // namespace
