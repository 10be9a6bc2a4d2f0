// The simulator on the raw line: requests that no correct master sends,
// written byte for byte by the test as the far end, and what comes back.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/crc16.h"
#include "link/link_frame.h"
#include "sim/file_descriptor.h"
#include "sim/simulator.h"
#include "tests/sim/frame_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/link_reply.h"
#include "tests/support/peer_line.h"

namespace {

using namespace std::chrono_literals;

// Long against the simulator's 20 ms frame gap: silence this long means no
// reply is coming.
constexpr auto NO_REPLY_WAIT = 400ms;

const Bytes READ_DESCRIPTOR{0x01, 0x14, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xA8, 0xE4};
constexpr std::size_t DESCRIPTOR_REPLY = 3 + 16 + 2;

class SimulatorLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimOptions options;
        options.storeDir = m_folder.Path() + "/store";
        options.logPath = m_folder.Path() + "/line.log";
        m_sim = std::make_unique<CSimulator>(options);
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        m_port.Reset(::open(m_sim->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_TRUE(m_port.IsOpen());
        m_line = std::make_unique<PeerLine>(m_port.Get());
    }

    // A good request is answered: the line is in step again.
    void ExpectAnswered(const std::string& context)
    {
        ASSERT_TRUE(m_line->Write(READ_DESCRIPTOR)) << context;
        const auto reply = m_line->ReadExactly(DESCRIPTOR_REPLY);
        ASSERT_TRUE(reply) << context << ": no reply to a good request";
        EXPECT_EQ(Crc16(*reply), 0) << context;
    }

    std::string Log() const
    {
        std::string text;
        CFileDescriptor fd(::open((m_folder.Path() + "/line.log").c_str(), O_RDONLY | O_CLOEXEC));
        char buf[4096];
        for (ssize_t n; (n = ::read(fd.Get(), buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<std::size_t>(n));
        return text;
    }

    CTempFolder m_folder;
    std::unique_ptr<CSimulator> m_sim;
    CFileDescriptor m_port;
    std::unique_ptr<PeerLine> m_line;
};

struct SilentCase {
    std::string name;
    Bytes request;
    std::string reason;
};

TEST_F(SimulatorLineTest, RequestsItCannotTrustGetNoReplyAtAll)
{
    Bytes badCrc = READ_DESCRIPTOR;
    badCrc[10] ^= 0x40;
    Bytes otherUnit = READ_DESCRIPTOR;
    otherUnit[0] = 2;
    otherUnit.resize(10);
    Bytes badRef = READ_DESCRIPTOR;
    badRef[3] = 5;
    badRef.resize(10);
    Bytes longWrite{0x01, 0x15, 0x09, 0x06, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0xAB, 0xCD};
    const std::vector<SilentCase> cases{
        {"bad CRC", badCrc, "bad-crc"},
        {"another unit", WithCrc(otherUnit), "other-unit"},
        {"reference type 5", WithCrc(badRef), "bad-reference-type"},
        {"unknown function", WithCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), "unknown-function"},
        {"read with byte count 8", WithCrc({0x01, 0x14, 0x08, 0x06, 0, 0, 0, 1, 0, 0, 0}), "bad-byte-count"},
        {"write length not its byte count", WithCrc(longWrite), "bad-length"},
    };
    for (const SilentCase& c : cases) {
        ASSERT_TRUE(m_line->Write(c.request)) << c.name;
        EXPECT_FALSE(m_line->ReadExactly(1, NO_REPLY_WAIT)) << c.name << ": " << Hex(c.request);
        ExpectAnswered(c.name);
        // What was framed: the whole request, or its header when that
        // already could not be framed.
        EXPECT_NE(Log().find("REQ " + Hex(std::span(c.request).first(3))), std::string::npos) << c.name;
        EXPECT_NE(Log().find("NOREPLY " + c.reason), std::string::npos) << c.name;
    }
}

TEST_F(SimulatorLineTest, GarbageBeforeARequestIsDroppedWithIt)
{
    // The garbage misframes the request behind it; both go, and the next
    // request after a quiet line is answered.
    Bytes burst{0x00, 0x07};
    burst.insert(burst.end(), READ_DESCRIPTOR.begin(), READ_DESCRIPTOR.end());
    ASSERT_TRUE(m_line->Write(burst));
    EXPECT_FALSE(m_line->ReadExactly(1, NO_REPLY_WAIT));
    ExpectAnswered("after garbage");
    EXPECT_NE(Log().find("DROP "), std::string::npos) << Log();
}

TEST_F(SimulatorLineTest, RequestCutShortIsDroppedAfterTheFrameGap)
{
    ASSERT_TRUE(m_line->Write(std::span(READ_DESCRIPTOR).first(5)));
    EXPECT_FALSE(m_line->ReadExactly(1, NO_REPLY_WAIT));
    ExpectAnswered("after a cut request");
    EXPECT_NE(Log().find("REQ 01 14 07 06 00\n"), std::string::npos) << Log();
    EXPECT_NE(Log().find("NOREPLY incomplete"), std::string::npos) << Log();
}

TEST_F(SimulatorLineTest, OutOfRangeWritesGetAnExceptionReply)
{
    struct Case {
        std::string name;
        std::uint16_t file;
        std::uint16_t record;
        std::size_t length;
    };
    const std::vector<Case> cases{
        {"program block at 496", 0x0003, 496, 160},
        {"program block at 500", 0x0003, 500, 160},
        {"subprogram block at 100", 0x0004, 100, 160},
        {"program 21", 0x1403, 0, 160},
        {"subprogram 51", 0x3204, 0, 160},
        {"general piece past the block", 1, 400, 51},
        {"axis 4 of 4", 2, 4, 120},
        {"axis block one byte long", 2, 0, 121},
        {"half a frame", 0x0003, 0, 16},
        {"the descriptor", 0, 1, 16},
    };
    const Bytes exception = MakeExceptionReply(LinkFrame::WRITE_FILE_RECORD, 2);
    for (const Case& c : cases) {
        Bytes request(LinkFrame::MAX_REQUEST_SIZE);
        request.resize(LinkFrame::BuildWriteRequest(request, 1, c.file, c.record, Bytes(c.length, 0x33)));
        ASSERT_TRUE(m_line->Write(request)) << c.name;
        const auto reply = m_line->ReadExactly(exception.size());
        ASSERT_TRUE(reply) << c.name;
        EXPECT_EQ(Hex(*reply), Hex(exception)) << c.name;
    }
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 1}), 23);
    EXPECT_EQ(m_line->Drain(), Bytes{}) << "nothing after the exception replies";
}

TEST_F(SimulatorLineTest, ClientThatClosesAndReopensIsStillAnswered)
{
    ExpectAnswered("first open");
    m_line.reset();
    m_port.Reset(::open(m_sim->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_TRUE(m_port.IsOpen());
    m_line = std::make_unique<PeerLine>(m_port.Get());
    ExpectAnswered("after reopening");
}

TEST_F(SimulatorLineTest, CountsEveryFramedRequest)
{
    const std::uint64_t before = m_sim->RequestCount();
    ExpectAnswered("one");
    Bytes bad = READ_DESCRIPTOR;
    bad[11] ^= 1;
    ASSERT_TRUE(m_line->Write(bad));
    EXPECT_FALSE(m_line->ReadExactly(1, NO_REPLY_WAIT));
    ExpectAnswered("three");
    EXPECT_EQ(m_sim->RequestCount(), before + 3);
}

} // namespace
