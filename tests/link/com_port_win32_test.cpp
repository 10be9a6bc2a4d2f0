// The Windows serial port against simulated controllers. scripts/windows-test.sh
// starts one simulator per behaviour below and points wine's COM ports at
// them; without VEM_SIMULATED_PORTS set those tests are skipped.

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "link/com_port.h"
#include "link/controller_info.h"
#include "link/link_frame.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t BAUD = 38400;
// vemsync's time-out: the one a script meets first.
constexpr std::uint32_t T_MS = 100;
// A block of general parameters: a reply of 205 bytes, so that n + T
// (305 ms) lies well beyond the 150 ms gap, which only the gap rule fails.
constexpr std::uint16_t BLOCK_RECORD = 0;
constexpr std::uint16_t BLOCK_LENGTH = 200;

// The ports as scripts/windows-test.sh sets them up.
constexpr const char* PLAIN_PORT = "COM1";    // answers at once
constexpr const char* GAP_150_PORT = "COM2";  // a 150 ms pause inside every reply
constexpr const char* GAP_20_PORT = "COM3";   // 20 ms
constexpr const char* GAP_40_PORT = "COM4";   // 40 ms
constexpr const char* SILENT_PORT = "COM5";   // never answers
constexpr const char* HIGH_PORT = "COM12";    // the plain simulator again

bool SimulatorsRunning()
{
    const char* flag = std::getenv("VEM_SIMULATED_PORTS");
    return flag != nullptr && *flag != '\0';
}

#define REQUIRE_SIMULATORS()                                                     \
    if (!SimulatorsRunning())                                                    \
    GTEST_SKIP() << "no simulators behind the COM ports (scripts/windows-test.sh)"

std::chrono::milliseconds Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

Bytes BlockRequest()
{
    std::array<std::uint8_t, LinkFrame::READ_REQUEST_SIZE> frame{};
    LinkFrame::BuildReadRequest(frame, LinkFrame::UNIT_ADDRESS,
                                static_cast<std::uint16_t>(LinkFile::GeneralParams), BLOCK_RECORD,
                                BLOCK_LENGTH);
    return Bytes(frame.begin(), frame.end());
}

// The plain simulator's reply to BlockRequest, read by its length field.
Bytes ReferenceReply()
{
    CComPort port;
    if (!port.Open(PLAIN_PORT, BAUD, T_MS) || !port.Write(BlockRequest()))
        return {};
    Bytes reply(LinkFrame::REPLY_HEADER_SIZE);
    if (!port.Read(reply))
        return {};
    const std::size_t rest = reply[LinkFrame::BYTE_COUNT_OFFSET] + LinkFrame::CRC_SIZE;
    reply.resize(LinkFrame::REPLY_HEADER_SIZE + rest);
    if (!port.Read(std::span(reply).subspan(LinkFrame::REPLY_HEADER_SIZE)))
        return {};
    return reply;
}

struct ReadRuleRow {
    const char* name;
    const char* port;
    bool succeeds;
    std::chrono::milliseconds atLeast; // for the failures
};

TEST(ComPortWin32, ReadRuleGapsAndSilence)
{
    REQUIRE_SIMULATORS();
    const Bytes reference = ReferenceReply();
    ASSERT_EQ(reference.size(), LinkFrame::REPLY_HEADER_SIZE + BLOCK_LENGTH + LinkFrame::CRC_SIZE)
        << "the plain simulator did not answer";
    const auto n = std::chrono::milliseconds(reference.size());
    const ReadRuleRow rows[] = {
        {"reply at once", PLAIN_PORT, true, 0ms},
        {"20 ms gap", GAP_20_PORT, true, 0ms},
        {"40 ms gap", GAP_40_PORT, true, 0ms},
        // The first half arrives, then T passes without a byte.
        {"150 ms gap", GAP_150_PORT, false, std::chrono::milliseconds(T_MS) - 10ms},
        {"silent line", SILENT_PORT, false, n + std::chrono::milliseconds(T_MS) - 10ms},
    };
    for (const ReadRuleRow& row : rows) {
        CComPort port;
        ASSERT_TRUE(port.Open(row.port, BAUD, T_MS)) << row.name << ": " << row.port;
        ASSERT_TRUE(port.Write(BlockRequest())) << row.name;
        Bytes reply(reference.size());
        const Clock::time_point start = Clock::now();
        const bool done = port.Read(reply);
        const auto elapsed = Since(start);
        EXPECT_EQ(done, row.succeeds) << row.name << " after " << elapsed.count() << " ms";
        if (row.succeeds) {
            EXPECT_EQ(reply, reference) << row.name;
        } else {
            EXPECT_GE(elapsed, row.atLeast) << row.name;
            EXPECT_LT(elapsed, 3000ms) << row.name;
        }
    }
}

TEST(ComPortWin32, PurgeDropsTheUnreadRestOfAReply)
{
    REQUIRE_SIMULATORS();
    const Bytes reference = ReferenceReply();
    ASSERT_GT(reference.size(), LinkFrame::REPLY_HEADER_SIZE);
    CComPort port;
    ASSERT_TRUE(port.Open(PLAIN_PORT, BAUD, T_MS));
    ASSERT_TRUE(port.Write(BlockRequest()));
    // The simulator writes a reply in one piece: once its header is here,
    // so is the rest.
    Bytes header(LinkFrame::REPLY_HEADER_SIZE);
    ASSERT_TRUE(port.Read(header));
    EXPECT_TRUE(port.Purge());
    Bytes stale(1);
    EXPECT_FALSE(port.Read(stale)) << "a byte of the old reply survived the purge";

    ASSERT_TRUE(port.Write(BlockRequest()));
    Bytes fresh(reference.size());
    ASSERT_TRUE(port.Read(fresh));
    EXPECT_EQ(fresh, reference);
}

TEST(ComPortWin32, PortNamesReachTheDeviceNamespace)
{
    REQUIRE_SIMULATORS();
    const Bytes reference = ReferenceReply();
    ASSERT_GT(reference.size(), LinkFrame::REPLY_HEADER_SIZE);
    for (const char* name : {HIGH_PORT, "\\\\.\\COM1"}) {
        CComPort port;
        ASSERT_TRUE(port.Open(name, BAUD, T_MS)) << name << ": errno " << port.LastOpenError();
        ASSERT_TRUE(port.Write(BlockRequest())) << name;
        Bytes reply(reference.size());
        EXPECT_TRUE(port.Read(reply)) << name;
        EXPECT_EQ(reply, reference) << name;
    }
}

TEST(ComPortWin32, TimeoutsChangeOnAnOpenPortOnly)
{
    REQUIRE_SIMULATORS();
    CComPort port;
    EXPECT_FALSE(port.SetTimeouts(4000));
    ASSERT_TRUE(port.Open(SILENT_PORT, BAUD, 50));
    EXPECT_EQ(port.TimeoutMs(), 50u);
    EXPECT_FALSE(port.Open(PLAIN_PORT, BAUD, 100)) << "an open port takes no second device";
    ASSERT_TRUE(port.SetTimeouts(300));
    EXPECT_EQ(port.TimeoutMs(), 300u);
    Bytes buffer(1);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(port.Read(buffer));
    EXPECT_GE(Since(start), 290ms) << "the new time-out is in force";
}

TEST(ComPortWin32, MissingPortsAndClosedPortsFailAtOnce)
{
    struct Row {
        const char* name;
        const char* input;
        int expected;
    };
    const Row rows[] = {
        {"no such port", "COM200", ENOENT},
        {"no name", nullptr, EINVAL},
    };
    for (const Row& row : rows) {
        CComPort port;
        EXPECT_FALSE(port.Open(row.input, BAUD, 50)) << row.name;
        EXPECT_FALSE(port.IsOpen()) << row.name;
        EXPECT_EQ(port.LastOpenError(), row.expected) << row.name;
    }

    CComPort port;
    Bytes buffer(100, 0xEE);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(port.Read(buffer));
    EXPECT_FALSE(port.Write(buffer));
    EXPECT_FALSE(port.Purge());
    EXPECT_LT(Since(start), 50ms);
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(buffer, Bytes(100, 0xEE));
}

} // namespace
