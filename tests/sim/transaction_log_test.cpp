// Tests of the simulator's transaction log: hex form, one flushed line per event, appending.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "sim/sim_messages.h"
#include "sim/transaction_log.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(TransactionLog, HexIsUpperCaseWithSingleSpaces)
{
    const std::vector<std::uint8_t> bytes{0x01, 0x14, 0xA8, 0xE4, 0x00, 0xFF};
    EXPECT_EQ(CTransactionLog::Hex(bytes), "01 14 A8 E4 00 FF");
    EXPECT_EQ(CTransactionLog::Hex({}), "");
}

TEST(TransactionLog, EachEventIsOneTimestampedLineVisibleAtOnce)
{
    CTempFolder folder;
    const std::string path = folder.Path() + "/line.log";
    CTransactionLog log;
    std::string error;
    ASSERT_TRUE(log.Open(path, error)) << error;
    const std::vector<std::uint8_t> req{0x01, 0x14, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xA8, 0xE4};
    log.Request(req);
    // Flushed per line: another reader sees it while the log is open.
    ASSERT_EQ(Lines(path).size(), 1u);
    log.Reply(std::vector<std::uint8_t>{0x01, 0x14, 0x00, 0xC1, 0x3C});
    log.NoReply("bad-crc");
    log.Dropped(std::vector<std::uint8_t>{0x55});

    const auto lines = Lines(path);
    ASSERT_EQ(lines.size(), 4u);
    const std::regex stamp(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{6} )");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_search(line, stamp)) << line;
    EXPECT_EQ(lines[0].substr(27), "REQ 01 14 07 06 00 00 00 01 00 00 A8 E4");
    EXPECT_EQ(lines[1].substr(27), "REP 01 14 00 C1 3C");
    EXPECT_EQ(lines[2].substr(27), "NOREPLY bad-crc");
    EXPECT_EQ(lines[3].substr(27), "DROP 55");
}

TEST(TransactionLog, AppendsToAnExistingLog)
{
    CTempFolder folder;
    const std::string path = folder.Path() + "/line.log";
    std::string error;
    for (int run = 0; run < 2; ++run) {
        CTransactionLog log;
        ASSERT_TRUE(log.Open(path, error)) << error;
        log.NoReply("incomplete");
    }
    EXPECT_EQ(Lines(path).size(), 2u);
}

TEST(TransactionLog, UnopenableFileIsAnError)
{
    CTempFolder folder;
    CTransactionLog log;
    std::string error;
    EXPECT_FALSE(log.Open(folder.Path() + "/no/such/folder/line.log", error));
    EXPECT_EQ(error, SimMsg::LogNotOpened(folder.Path() + "/no/such/folder/line.log", "нет такого файла или папки"));
    EXPECT_FALSE(log.IsOpen());
}

} // namespace
