// Tests of fault rules: their text form, the requests they pick and how they bend a reply.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/crc16.h"
#include "sim/fault_rule.h"
#include "sim/transaction_log.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ParseCase {
    std::string name;
    std::string input;
    std::optional<FaultRule> expected;
};

TEST(FaultRule, ParsesTheCommandLineForm)
{
    const std::vector<ParseCase> cases{
        {"silent block reads", "silent:block-read", FaultRule{FaultMode::Silent, FaultTarget::BlockRead, 0, 0}},
        {"bad CRC on the third", "bad-crc:nth=3", FaultRule{FaultMode::BadCrc, FaultTarget::Nth, 3, 0}},
        {"gap with its default", "gap:always", FaultRule{FaultMode::Gap, FaultTarget::Always, 0, 200}},
        {"delay given", "delay=45:size", FaultRule{FaultMode::Delay, FaultTarget::SizeQuery, 0, 45}},
        {"delay default", "delay:delete", FaultRule{FaultMode::Delay, FaultTarget::Delete, 0, 300}},
        {"exception on params", "exception:params", FaultRule{FaultMode::Exception, FaultTarget::Params, 0, 0}},
        {"short", "short:descriptor", FaultRule{FaultMode::ShortReply, FaultTarget::Descriptor, 0, 0}},
        {"oversize", "oversize:block-write", FaultRule{FaultMode::OversizeCount, FaultTarget::BlockWrite, 0, 0}},
        {"extra data", "extra-data:always", FaultRule{FaultMode::ExtraData, FaultTarget::Always, 0, 0}},
        {"trailing", "trailing:nth=1", FaultRule{FaultMode::TrailingBytes, FaultTarget::Nth, 1, 0}},
        {"corrupt", "corrupt:block-write", FaultRule{FaultMode::Corrupt, FaultTarget::BlockWrite, 0, 0}},
        {"corrupt with ms", "corrupt=5:params", std::nullopt},
        {"no target", "silent", std::nullopt},
        {"unknown mode", "loud:always", std::nullopt},
        {"unknown target", "silent:sometimes", std::nullopt},
        {"nth 0 (counting is from 1)", "silent:nth=0", std::nullopt},
        {"nth not a number", "silent:nth=x", std::nullopt},
        {"ms on a mode without one", "silent=5:always", std::nullopt},
        {"ms not a number", "delay=5ms:always", std::nullopt},
        {"empty ms", "gap=:always", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(ParseFaultRule(c.input), c.expected) << c.name << ": \"" << c.input << "\"";
        if (c.expected) {
            EXPECT_EQ(ParseFaultRule(FormatFaultRule(*c.expected)), c.expected)
                << c.name << ": formatted as \"" << FormatFaultRule(*c.expected) << "\"";
        }
    }
}

TEST(FaultRule, TargetsPickRequests)
{
    const FaultRule third{FaultMode::Silent, FaultTarget::Nth, 3, 0};
    EXPECT_FALSE(FaultApplies(third, RequestKind::Descriptor, 2));
    EXPECT_TRUE(FaultApplies(third, RequestKind::Descriptor, 3));
    EXPECT_FALSE(FaultApplies(third, RequestKind::Descriptor, 4));

    const FaultRule reads{FaultMode::Silent, FaultTarget::BlockRead, 0, 0};
    EXPECT_TRUE(FaultApplies(reads, RequestKind::BlockRead, 7));
    EXPECT_FALSE(FaultApplies(reads, RequestKind::SizeQuery, 7));
    EXPECT_FALSE(FaultApplies(reads, RequestKind::BlockWrite, 7));

    const FaultRule always{FaultMode::Silent, FaultTarget::Always, 0, 0};
    EXPECT_TRUE(FaultApplies(always, RequestKind::Other, 1));
}

// A good reply: 01 14 03 AA BB CC + CRC, to a read request.
Bytes GoodReply()
{
    Bytes r{0x01, 0x14, 0x03, 0xAA, 0xBB, 0xCC};
    const std::uint16_t crc = Crc16(r);
    r.push_back(static_cast<std::uint8_t>(crc >> 8));
    r.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return r;
}

const Bytes REQUEST{0x01, 0x14, 0x07, 0x06, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00};

ReplyPlan Bent(FaultMode mode, std::uint32_t ms = 0)
{
    ReplyPlan plan{GoodReply(), false, 0, 0, 0};
    ApplyFault(FaultRule{mode, FaultTarget::Always, 0, ms}, REQUEST, plan);
    return plan;
}

TEST(FaultRule, EachModeBendsTheReplyItsOwnWay)
{
    const Bytes good = GoodReply();

    EXPECT_TRUE(Bent(FaultMode::Silent).silent);

    const Bytes badCrc = Bent(FaultMode::BadCrc).bytes;
    ASSERT_EQ(badCrc.size(), good.size());
    EXPECT_NE(Crc16(badCrc), 0);
    EXPECT_TRUE(std::equal(good.begin(), good.end() - 2, badCrc.begin()));

    const Bytes exception = Bent(FaultMode::Exception).bytes;
    ASSERT_EQ(exception.size(), 5u);
    EXPECT_EQ(exception[1], 0x94);
    EXPECT_EQ(Crc16(exception), 0);

    const Bytes cut = Bent(FaultMode::ShortReply).bytes;
    EXPECT_EQ(CTransactionLog::Hex(cut), CTransactionLog::Hex(Bytes(good.begin(), good.end() - 1)));

    const Bytes oversize = Bent(FaultMode::OversizeCount).bytes;
    EXPECT_EQ(oversize[2], 254);
    EXPECT_EQ(oversize.size(), 3u + 254 + 2);
    EXPECT_EQ(Crc16(oversize), 0) << "only the count is wrong";
    EXPECT_EQ(oversize[3], 0xAA);

    const Bytes extra = Bent(FaultMode::ExtraData).bytes;
    EXPECT_GT(extra[2], 3);
    EXPECT_EQ(extra.size(), 3u + extra[2] + 2);
    EXPECT_EQ(Crc16(extra), 0);
    EXPECT_TRUE(std::equal(good.begin() + 3, good.end() - 2, extra.begin() + 3));

    const ReplyPlan gap = Bent(FaultMode::Gap, 120);
    EXPECT_EQ(gap.bytes, good);
    EXPECT_EQ(gap.gapMs, 120u);
    EXPECT_GT(gap.gapAfter, 0u);
    EXPECT_LT(gap.gapAfter, good.size());

    const Bytes trailing = Bent(FaultMode::TrailingBytes).bytes;
    ASSERT_GT(trailing.size(), good.size());
    EXPECT_TRUE(std::equal(good.begin(), good.end(), trailing.begin()));

    const ReplyPlan delay = Bent(FaultMode::Delay, 80);
    EXPECT_EQ(delay.bytes, good);
    EXPECT_EQ(delay.delayMs, 80u);
}

TEST(FaultRule, ExtraDataNeverAnnouncesMoreThanAReplyCarries)
{
    Bytes full{0x01, 0x14, 253};
    full.insert(full.end(), 253, 0x5A);
    const std::uint16_t crc = Crc16(full);
    full.push_back(static_cast<std::uint8_t>(crc >> 8));
    full.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    ReplyPlan plan{full, false, 0, 0, 0};
    ApplyFault(FaultRule{FaultMode::ExtraData, FaultTarget::Always, 0, 0}, REQUEST, plan);
    EXPECT_EQ(plan.bytes[2], 253);
    EXPECT_EQ(Crc16(plan.bytes), 0);
}

} // namespace
