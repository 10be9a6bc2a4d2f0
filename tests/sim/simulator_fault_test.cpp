// Each injected fault as the link sees it: the transaction fails, or
// succeeds where a real master must cope, and the line recovers after it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/sim_harness.h"
#include "tests/support/link_reply.h"

namespace {

constexpr std::uint16_t PROGRAM_1 = 0x0003;

enum class Transaction { Descriptor, GeneralRead, SizeQuery, BlockRead, Delete, BlockWrite };

const char* Name(Transaction t)
{
    switch (t) {
    case Transaction::Descriptor: return "descriptor read";
    case Transaction::GeneralRead: return "general read";
    case Transaction::SizeQuery: return "size query";
    case Transaction::BlockRead: return "block read";
    case Transaction::Delete: return "delete";
    case Transaction::BlockWrite: return "block write";
    }
    return "?";
}

struct FaultCase {
    std::string name;
    std::string rule;
    Transaction transaction;
    bool succeeds;
};

class SimulatorFaultTest : public SimHarness {
protected:
    // Long enough that a healthy reply is never late on a loaded machine,
    // short against the gaps and delays that must fail.
    static constexpr std::uint16_t FAULT_TIMEOUT_MS = 250;
    void Reset() { Relink(FAULT_TIMEOUT_MS); }

    bool Run(Transaction t, std::size_t* received = nullptr)
    {
        Bytes buffer(256);
        switch (t) {
        case Transaction::Descriptor:
            return m_link->ReadRecord(UNIT, 0, 1, 0, std::span(buffer).first(16), received);
        case Transaction::GeneralRead:
            return m_link->ReadRecord(UNIT, 1, 0, 200, std::span(buffer).first(200), received);
        case Transaction::SizeQuery:
            return m_link->ReadRecord(UNIT, PROGRAM_1, 0, SIZE_QUERY, std::span(buffer).first(4), received);
        case Transaction::BlockRead:
            return m_link->ReadRecord(UNIT, PROGRAM_1, 0, BLOCK_FRAMES, std::span(buffer).first(160), received);
        case Transaction::Delete:
            return m_link->WriteRecord(UNIT, PROGRAM_1, 0, {});
        case Transaction::BlockWrite:
            return m_link->WriteRecord(UNIT, PROGRAM_1, 0, SlotsOf(NumberedProgram(5), 5));
        }
        return false;
    }

    // After a late or stalled reply the simulator may still be sending when
    // the link has given up; its tail then spoils the next transaction, as
    // on a real line. The line has recovered once a transaction succeeds;
    // each try is bounded by the link's time-out.
    bool Recovers()
    {
        constexpr int TRIES = 40;
        for (int i = 0; i < TRIES; ++i)
            if (Run(Transaction::Descriptor))
                return true;
        return false;
    }

    void Check(const FaultCase& c)
    {
        m_sim->ClearFaults();
        Reset();
        ASSERT_TRUE(Recovers()) << c.name << ": before the fault";
        const auto rule = ParseFaultRule(c.rule);
        ASSERT_TRUE(rule) << c.rule;
        m_sim->AddFault(*rule);
        EXPECT_EQ(Run(c.transaction), c.succeeds) << c.name << ": " << c.rule << " on a " << Name(c.transaction);
        m_sim->ClearFaults();
        Reset();
        EXPECT_TRUE(Recovers()) << c.name << ": the line recovers";
    }
};

TEST_F(SimulatorFaultTest, ReadFaultsAsTheLinkSeesThem)
{
    Start();
    const std::vector<FaultCase> cases{
        {"silence", "silent:descriptor", Transaction::Descriptor, false},
        {"silence on another kind", "silent:block-read", Transaction::SizeQuery, true},
        {"silence on its kind", "silent:block-read", Transaction::BlockRead, false},
        {"bad CRC", "bad-crc:size", Transaction::SizeQuery, false},
        {"exception reply", "exception:always", Transaction::Descriptor, false},
        {"reply one byte short", "short:params", Transaction::GeneralRead, false},
        {"count above 253", "oversize:block-read", Transaction::BlockRead, false},
        {"long gap inside the reply", "gap=600:block-read", Transaction::BlockRead, false},
        {"short gap inside the reply", "gap=5:block-read", Transaction::BlockRead, true},
        {"bytes after the reply", "trailing:size", Transaction::SizeQuery, true},
        {"late reply", "delay=800:descriptor", Transaction::Descriptor, false},
        {"slightly late reply", "delay=10:descriptor", Transaction::Descriptor, true},
    };
    for (const FaultCase& c : cases)
        Check(c);
}

TEST_F(SimulatorFaultTest, WriteFaultsAsTheLinkSeesThem)
{
    Start();
    // Faults that fail a write at once; a silent controller makes a write
    // wait its full 4-second time-out, so only one case does that.
    const std::vector<FaultCase> cases{
        {"bad CRC on the delete", "bad-crc:delete", Transaction::Delete, false},
        {"bad CRC on a block", "bad-crc:block-write", Transaction::BlockWrite, false},
        {"count above 253", "oversize:block-write", Transaction::BlockWrite, false},
        {"bytes after the echo", "trailing:block-write", Transaction::BlockWrite, true},
        {"more data in the echo", "extra-data:delete", Transaction::Delete, true},
        {"silent delete", "silent:delete", Transaction::Delete, false},
    };
    for (const FaultCase& c : cases)
        Check(c);
}

TEST_F(SimulatorFaultTest, MoreDataThanAskedNeverOverrunsTheBuffer)
{
    Start();
    m_sim->AddFault(*ParseFaultRule("extra-data:descriptor"));
    Bytes buffer(16 + 8, 0xEE);
    std::size_t received = 0;
    ASSERT_TRUE(m_link->ReadRecord(UNIT, 0, 1, 0, std::span(buffer).first(16), &received));
    EXPECT_EQ(received, 24u);
    EXPECT_EQ(Bytes(buffer.begin() + 16, buffer.end()), Bytes(8, 0xEE));
    EXPECT_EQ(buffer[0], 0xC2);
}

TEST_F(SimulatorFaultTest, NthCountsFromWhenTheRuleWasSet)
{
    Start();
    ASSERT_TRUE(Run(Transaction::Descriptor));
    Reset();
    m_sim->AddFault(*ParseFaultRule("silent:nth=2"));
    EXPECT_TRUE(Run(Transaction::SizeQuery));
    EXPECT_FALSE(Run(Transaction::SizeQuery));
    EXPECT_TRUE(Run(Transaction::SizeQuery));
    EXPECT_TRUE(Run(Transaction::Descriptor));
}

TEST_F(SimulatorFaultTest, FaultsGivenAtStartApplyFromTheFirstRequest)
{
    SimOptions options;
    options.faults.push_back(*ParseFaultRule("bad-crc:nth=1"));
    Start(options);
    EXPECT_FALSE(Run(Transaction::Descriptor));
    EXPECT_TRUE(Run(Transaction::Descriptor));
}

TEST_F(SimulatorFaultTest, LogShowsWhatCrossedTheLine)
{
    Start();
    Reset();
    ASSERT_TRUE(Run(Transaction::Descriptor));
    m_sim->AddFault(*ParseFaultRule("silent:nth=1"));
    EXPECT_FALSE(Run(Transaction::Descriptor));
    m_sim->ClearFaults();
    m_sim->AddFault(*ParseFaultRule("bad-crc:nth=1"));
    EXPECT_FALSE(Run(Transaction::SizeQuery));
    m_sim->ClearFaults();
    ASSERT_TRUE(Run(Transaction::Delete));

    const auto lines = LogLines();
    std::vector<std::string> events;
    for (const std::string& line : lines)
        events.push_back(line.substr(27)); // past "YYYY-MM-DDTHH:MM:SS.uuuuuu "
    Bytes badSize = MakeReply(Bytes{0x17, 0x00, 0x00, 0x00}); // 23 frames
    badSize.back() ^= 0xFF;
    const std::vector<std::string> expected{
        "REQ 01 14 07 06 00 00 00 01 00 00 A8 E4",
        "REP " + Hex(MakeReply(Bytes{0xC2, 0x01, 0x78, 0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0})),
        "REQ 01 14 07 06 00 00 00 01 00 00 A8 E4",
        "NOREPLY fault-silent",
        "REQ 01 14 07 06 00 03 00 00 02 58 BD BE",
        "REP " + Hex(badSize),
        "REQ 01 15 07 06 00 03 00 00 00 00 B0 B4",
        "REP 01 15 07 06 00 03 00 00 00 00 B0 B4",
    };
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(events[i], expected[i]) << "line " << i << ": " << lines[i];
}

// A corrupting store: the write is answered as usual, but what is stored,
// and read back, differs from what was sent in exactly one byte.
TEST_F(SimulatorFaultTest, CorruptStoresOneByteFlippedAndAnswersAsUsual)
{
    Start();
    Reset();
    const Bytes sent = SlotsOf(NumberedProgram(5), 5);
    m_sim->AddFault(*ParseFaultRule("corrupt:block-write"));
    ASSERT_TRUE(m_link->WriteRecord(UNIT, PROGRAM_1, 0, sent)) << "the reply is a good echo";
    m_sim->ClearFaults();

    Bytes stored(sent.size());
    std::size_t received = 0;
    ASSERT_TRUE(m_link->ReadRecord(UNIT, PROGRAM_1, 0, BLOCK_FRAMES, stored, &received));
    ASSERT_EQ(received, sent.size());
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < sent.size(); ++i)
        if (stored[i] != sent[i])
            differing.push_back(i);
    // The first frame's coordinate, low byte.
    EXPECT_EQ(differing, std::vector<std::size_t>{11});

    // Other requests, and writes once the rule is gone, are untouched.
    ASSERT_TRUE(m_link->WriteRecord(UNIT, PROGRAM_1, 0, sent));
    ASSERT_TRUE(m_link->ReadRecord(UNIT, PROGRAM_1, 0, BLOCK_FRAMES, stored, &received));
    EXPECT_EQ(stored, sent);
}

// A fault touches only the requests it names, and a refused write is one
// the controller did not store.
TEST_F(SimulatorFaultTest, FaultsTouchOnlyTheirTargets)
{
    Start();
    Reset();
    constexpr std::uint16_t PROGRAM_2 = 0x0103;
    const auto blocks = [this](std::uint16_t file) {
        Bytes all;
        for (std::uint16_t record = 0; record < 15; record += BLOCK_FRAMES) {
            Bytes block(160);
            EXPECT_TRUE(m_link->ReadRecord(UNIT, file, record, BLOCK_FRAMES, block));
            all.insert(all.end(), block.begin(), block.end());
        }
        return all;
    };
    const Bytes program1 = blocks(PROGRAM_1);
    const Bytes program2 = blocks(PROGRAM_2);

    m_sim->AddFault(*ParseFaultRule("exception:block-write"));
    EXPECT_FALSE(m_link->WriteRecord(UNIT, PROGRAM_1, 0, SlotsOf(NumberedProgram(5), 5)));
    EXPECT_FALSE(m_link->LastWriteUnanswered()) << "a refusal is an answer";
    m_sim->ClearFaults();
    Reset();
    EXPECT_EQ(blocks(PROGRAM_1), program1) << "the refused write was stored";

    m_sim->AddFault(*ParseFaultRule("corrupt:block-write"));
    EXPECT_EQ(blocks(PROGRAM_2), program2) << "a read was corrupted";
    EXPECT_TRUE(m_link->WriteRecord(UNIT, PROGRAM_1, 0, SlotsOf(NumberedProgram(5), 5)));
    EXPECT_EQ(blocks(PROGRAM_2), program2) << "another program was corrupted";
}

} // namespace
