// Tests of CControllerLink against a scripted peer: good, bad, late and extra replies.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>

#include <sys/socket.h>
#include <unistd.h>

#include "link/controller_info.h"
#include "link/controller_link.h"
#include "link/crc16.h"
#include "tests/support/link_reply.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scripted_peer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t UNIT = LinkFrame::UNIT_ADDRESS;
constexpr std::uint16_t DESCRIPTOR = static_cast<std::uint16_t>(LinkFile::Descriptor);
constexpr std::uint16_t GENERAL = static_cast<std::uint16_t>(LinkFile::GeneralParams);
constexpr std::uint16_t AXES = static_cast<std::uint16_t>(LinkFile::AxisParams);
constexpr std::uint8_t GUARD = 0xEE;

std::chrono::milliseconds Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

Bytes Pattern(std::size_t n, std::uint8_t seed)
{
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
    return bytes;
}

// The line as the link leaves it: whatever is still queued at the peer.
class ControllerLinkOnPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_link.IsOpen()) << "errno " << m_link.LastOpenError(); }
    // The user's pick of a port: T = 50 ms, for the tests of timing and of
    // failures (a reply that should succeed gets the fixture's easy T, so
    // that a busy machine cannot fail it).
    void PickPort() { ASSERT_TRUE(m_link.Reopen(m_pty.SlavePath().c_str())); }

    // Answers one read request (checked against `expected`) with `reply`.
    void AnswerRead(const Bytes& expected, const Bytes& reply)
    {
        m_peer.emplace(m_pty.MasterFd(), [expected, reply](PeerLine& line) {
            const std::optional<Bytes> request = line.ReadExactly(expected.size());
            ASSERT_TRUE(request) << "no request came";
            EXPECT_EQ(*request, expected)
                << "request " << Hex(*request) << "\n expected " << Hex(expected);
            line.Write(reply);
        });
    }
    // Answers one request of `size` bytes with `chunks` paced `gap` apart.
    void AnswerPaced(std::size_t size, std::vector<Bytes> chunks, std::chrono::milliseconds gap)
    {
        m_peer.emplace(m_pty.MasterFd(), [size, chunks = std::move(chunks), gap](PeerLine& line) {
            ASSERT_TRUE(line.ReadExactly(size)) << "no request came";
            line.WritePaced(chunks, gap);
        });
    }
    void Finish() { m_peer.reset(); }
    // One answered write transaction: from now on T is 4000 ms.
    void RunWrite()
    {
        m_peer.emplace(m_pty.MasterFd(), [](PeerLine& line) {
            ASSERT_TRUE(line.ReadExactly(LinkFrame::READ_REQUEST_SIZE));
            line.Write(MakeReply(Bytes{}, LinkFrame::WRITE_FILE_RECORD));
        });
        EXPECT_TRUE(m_link.WriteRecord(UNIT, GENERAL, 0, Bytes{}));
        Finish();
        ASSERT_EQ(m_link.TimeoutMs(), CControllerLink::WRITE_TIMEOUT_MS);
    }

    static constexpr std::uint16_t EASY_TIMEOUT_MS = 1000;

    PtyPair m_pty;
    CControllerLink m_link{38400, m_pty.SlavePath().c_str(), EASY_TIMEOUT_MS};
    std::optional<ScriptedPeer> m_peer;
};

TEST_F(ControllerLinkOnPty, GoodReplyCopiesItsData)
{
    const Bytes data = Pattern(160, 0x30);
    AnswerRead(ExpectedReadRequest(ProgramFileNumber(LinkFile::Program, 7), 5, 5), MakeReply(data));
    Bytes dest(160, GUARD);
    std::size_t received = 0;
    EXPECT_TRUE(m_link.ReadRecord(UNIT, ProgramFileNumber(LinkFile::Program, 7), 5, 5, dest,
                                  &received));
    EXPECT_EQ(dest, data);
    EXPECT_EQ(received, 160u);
}

TEST_F(ControllerLinkOnPty, RequestsGoOutAsTheReferenceFrames)
{
    struct Row {
        const char* name;
        std::uint16_t file;
        std::uint16_t record;
        std::uint16_t length;
        Bytes expected;
    };
    const Row rows[] = {
        {"read descriptor", DESCRIPTOR, 1, 0,
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xA8, 0xE4}},
        {"read general parameters at offset 200", GENERAL, 200, 200,
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x01, 0x00, 0xC8, 0x00, 0xC8, 0x44, 0x8C}},
        {"read size of subprogram 50", ProgramFileNumber(LinkFile::Subprogram, 50), 0, 600,
         {0x01, 0x14, 0x07, 0x06, 0x31, 0x04, 0x00, 0x00, 0x02, 0x58, 0x0C, 0x5F}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AnswerRead(row.expected, MakeReply(Bytes{}));
        Bytes dest(4);
        EXPECT_TRUE(m_link.ReadRecord(UNIT, row.file, row.record, row.length, dest));
        Finish();
    }
}

TEST_F(ControllerLinkOnPty, EmptyReplySucceedsAndCopiesNothing)
{
    AnswerRead(ExpectedReadRequest(AXES, 0, 40), MakeReply(Bytes{}));
    Bytes dest(40, GUARD);
    std::size_t received = 99;
    EXPECT_TRUE(m_link.ReadRecord(UNIT, AXES, 0, 40, dest, &received));
    EXPECT_EQ(received, 0u) << "the caller learns the reply was empty";
    EXPECT_EQ(dest, Bytes(40, GUARD));
}

// The controller may answer the size query with more than the 4 bytes the
// caller keeps: the reply is cut to the room and still counts.
TEST_F(ControllerLinkOnPty, ReplyLongerThanTheRoomIsCutToIt)
{
    const Bytes data = Pattern(20, 0x41);
    AnswerRead(ExpectedReadRequest(3, 0, 600), MakeReply(data));
    Bytes buffer(8, GUARD);
    std::size_t received = 0;
    EXPECT_TRUE(m_link.ReadRecord(UNIT, 3, 0, 600, std::span(buffer).first(4), &received));
    EXPECT_EQ(received, 20u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), Bytes(data.begin(), data.begin() + 4));
    EXPECT_EQ(Bytes(buffer.begin() + 4, buffer.end()), Bytes(4, GUARD)) << "written past the room";
}

TEST_F(ControllerLinkOnPty, LongestReplyFits)
{
    const Bytes data = Pattern(LinkFrame::MAX_REPLY_DATA, 0x02);
    AnswerRead(ExpectedReadRequest(GENERAL, 0, 253), MakeReply(data));
    Bytes dest(LinkFrame::MAX_REPLY_DATA);
    std::size_t received = 0;
    EXPECT_TRUE(m_link.ReadRecord(UNIT, GENERAL, 0, 253, dest, &received));
    EXPECT_EQ(received, LinkFrame::MAX_REPLY_DATA);
    EXPECT_EQ(dest, data);
}

struct BadReplyRow {
    const char* name;
    Bytes input;
};

// Each bad reply fails the transaction and leaves the caller's buffer and
// count as they were.
TEST_F(ControllerLinkOnPty, BadRepliesFailAndLeaveTheBufferUntouched)
{
    PickPort();
    const Bytes good = MakeReply(Pattern(6, 0x10));
    Bytes wrongCrc = good;
    wrongCrc.back() ^= 0x01;
    Bytes wrongData = good;
    wrongData[4] ^= 0x80;
    // Claims 254 data bytes and sends them all, with a valid CRC: too many
    // for the frame buffer, refused on the count alone.
    Bytes tooLong{UNIT, LinkFrame::READ_FILE_RECORD, 254};
    const Bytes tooLongData = Pattern(254, 0x01);
    tooLong.insert(tooLong.end(), tooLongData.begin(), tooLongData.end());
    const std::uint16_t crc = Crc16(tooLong);
    tooLong.push_back(static_cast<std::uint8_t>(crc >> 8));
    tooLong.push_back(static_cast<std::uint8_t>(crc & 0xFF));

    const BadReplyRow rows[] = {
        {"wrong CRC", wrongCrc},
        {"data changed under a good CRC", wrongData},
        {"short header", Bytes(good.begin(), good.begin() + 2)},
        {"short body", Bytes(good.begin(), good.end() - 1)},
        {"silence", {}},
        {"N = 254 announced", tooLong},
        {"N = 255 announced", {UNIT, LinkFrame::READ_FILE_RECORD, 255}},
    };
    for (const BadReplyRow& row : rows) {
        AnswerRead(ExpectedReadRequest(GENERAL, 0, 6), row.input);
        Bytes dest(300, GUARD);
        std::size_t received = 12345;
        EXPECT_FALSE(m_link.ReadRecord(UNIT, GENERAL, 0, 6, dest, &received))
            << row.name << ": " << Hex(row.input);
        EXPECT_EQ(dest, Bytes(300, GUARD)) << row.name;
        EXPECT_EQ(received, 12345u) << row.name;
        Finish();
    }
}

// A count beyond the frame buffer is refused on sight, not after waiting
// for bytes that cannot fit.
TEST_F(ControllerLinkOnPty, OversizedCountFailsWithoutWaitingForTheBody)
{
    RunWrite();
    AnswerRead(ExpectedReadRequest(GENERAL, 0, 6), {UNIT, LinkFrame::READ_FILE_RECORD, 254});
    Bytes dest(8);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_link.ReadRecord(UNIT, GENERAL, 0, 6, dest));
    EXPECT_LT(Since(start), 2000ms);
}

// The link does not look at the unit address or the function code.
TEST_F(ControllerLinkOnPty, GoodCrcFromAnotherUnitOrFunctionIsAccepted)
{
    const Bytes data{0xDE, 0xAD};
    struct Row {
        const char* name;
        Bytes input;
    };
    const Row rows[] = {
        {"unit 7", MakeReply(data, LinkFrame::READ_FILE_RECORD, 7)},
        {"function 3", MakeReply(data, 3)},
        {"write function to a read", MakeReply(data, LinkFrame::WRITE_FILE_RECORD)},
    };
    for (const Row& row : rows) {
        AnswerRead(ExpectedReadRequest(DESCRIPTOR, 1, 0), row.input);
        Bytes dest(2);
        EXPECT_TRUE(m_link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest)) << row.name;
        EXPECT_EQ(dest, data) << row.name;
        Finish();
    }
}

// An exception reply is whole after five bytes: the transaction fails then,
// not after the time-out (4 s after a write), and the next one is not held
// up by it.
TEST_F(ControllerLinkOnPty, ExceptionReplyFailsAtOnce)
{
    RunWrite();
    AnswerRead(ExpectedReadRequest(DESCRIPTOR, 1, 0),
               MakeExceptionReply(LinkFrame::READ_FILE_RECORD, 2));
    Bytes dest(16, GUARD);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest));
    EXPECT_LT(Since(start), 2000ms) << "T is 4000 ms";
    EXPECT_EQ(dest, Bytes(16, GUARD));
    Finish();

    AnswerRead(ExpectedReadRequest(DESCRIPTOR, 1, 0), MakeReply(Bytes{0x42}));
    EXPECT_TRUE(m_link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest));
    EXPECT_LT(Since(start), 2000ms);
    EXPECT_EQ(dest[0], 0x42);
}

// A reply that comes after its request failed is drained before the next
// request goes out, whatever it looks like.
TEST_F(ControllerLinkOnPty, LateReplyIsNotTakenForTheNextOne)
{
    PickPort();
    const Bytes late = MakeReply(Pattern(160, 0x55));
    m_peer.emplace(m_pty.MasterFd(), [late](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(LinkFrame::READ_REQUEST_SIZE));
        // Up to three time-outs late, in two halves.
        const std::vector<Bytes> halves{Bytes{}, Bytes(late.begin(), late.begin() + 80),
                                        Bytes(late.begin() + 80, late.end())};
        line.WritePaced(halves, 75ms);
        ASSERT_TRUE(line.ReadExactly(LinkFrame::READ_REQUEST_SIZE));
        line.Write(MakeReply(Bytes{0x01, 0x02}));
    });
    Bytes dest(160, GUARD);
    EXPECT_FALSE(m_link.ReadRecord(UNIT, GENERAL, 0, 160, dest));
    std::size_t received = 0;
    EXPECT_TRUE(m_link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest, &received));
    EXPECT_EQ(received, 2u) << "the late 160-byte reply was taken";
}

TEST_F(ControllerLinkOnPty, BytesAfterAReplyAreDiscardedByTheNextRequest)
{
    Bytes first = MakeReply(Bytes{0x11});
    const Bytes garbage = MakeReply(Bytes{0x99, 0x98}); // a stale but well-formed frame
    first.insert(first.end(), garbage.begin(), garbage.end());
    AnswerRead(ExpectedReadRequest(GENERAL, 0, 1), first);
    Bytes dest(2, 0);
    ASSERT_TRUE(m_link.ReadRecord(UNIT, GENERAL, 0, 1, dest));
    EXPECT_EQ(dest[0], 0x11);
    Finish();

    AnswerRead(ExpectedReadRequest(GENERAL, 1, 2), MakeReply(Bytes{0x21, 0x22}));
    ASSERT_TRUE(m_link.ReadRecord(UNIT, GENERAL, 1, 2, dest));
    EXPECT_EQ(dest, (Bytes{0x21, 0x22})) << "the stale frame was taken as the reply";
}

// A descriptor shorter than the fields we decode leaves the rest as it was.
TEST_F(ControllerLinkOnPty, ShortDescriptorLeavesTheFieldsItDoesNotReach)
{
    ControllerInfo info;
    info.setFrameSize(32);
    AnswerRead(ExpectedReadRequest(DESCRIPTOR, 1, 0), MakeReply(Bytes{0x2C, 0x01, 0x50, 0x00, 3}));
    std::size_t received = 0;
    ASSERT_TRUE(m_link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, info.bytes, &received));
    EXPECT_EQ(received, 5u);
    EXPECT_LT(received, ControllerInfo::MIN_REPLY) << "the caller can tell it was short";
    EXPECT_EQ(info.generalParamSize(), 300);
    EXPECT_EQ(info.axisParamSize(), 80);
    EXPECT_EQ(info.axisCount(), 3);
    EXPECT_EQ(info.frameSize(), 32);
}

TEST_F(ControllerLinkOnPty, GapLongerThanTBetweenReplyBytesFails)
{
    PickPort();
    const Bytes reply = MakeReply(Pattern(100, 0x07));
    AnswerPaced(LinkFrame::READ_REQUEST_SIZE,
                {Bytes(reply.begin(), reply.begin() + 50), Bytes(reply.begin() + 50, reply.end())},
                150ms);
    Bytes dest(100, GUARD);
    EXPECT_FALSE(m_link.ReadRecord(UNIT, GENERAL, 0, 100, dest));
    EXPECT_EQ(dest, Bytes(100, GUARD));
}

TEST_F(ControllerLinkOnPty, ReplyPacedUnderTSucceedsWithinTheTotal)
{
    // The fixture's easy T: pauses of a fifth of it leave a busy machine
    // plenty of room.
    const Bytes data = Pattern(100, 0x07);
    const Bytes reply = MakeReply(data);
    // Header alone, then the body in two pieces: every pause is a gap.
    AnswerPaced(LinkFrame::READ_REQUEST_SIZE,
                {Bytes(reply.begin(), reply.begin() + 3), Bytes(reply.begin() + 3, reply.begin() + 50),
                 Bytes(reply.begin() + 50, reply.end())},
                200ms);
    Bytes dest(100);
    EXPECT_TRUE(m_link.ReadRecord(UNIT, GENERAL, 0, 100, dest));
    EXPECT_EQ(dest, data);
}

TEST_F(ControllerLinkOnPty, WriteOfLBytesSendsA12PlusLFrame)
{
    const Bytes data = Pattern(200, 0x55);
    Bytes request;
    {
        ScriptedPeer peer(m_pty.MasterFd(), [&request](PeerLine& line) {
            const std::optional<Bytes> got = line.ReadExactly(12 + 200);
            ASSERT_TRUE(got);
            request = *got;
            line.Write(MakeReply(Bytes{}, LinkFrame::WRITE_FILE_RECORD));
        });
        EXPECT_TRUE(m_link.WriteRecord(UNIT, GENERAL, 400, data));
    }
    ASSERT_EQ(request.size(), 212u);
    EXPECT_EQ(Bytes(request.begin(), request.begin() + 10),
              (Bytes{0x01, 0x15, 207, 0x06, 0x00, 0x01, 0x01, 0x90, 0x00, 0xC8}))
        << Hex(request);
    EXPECT_EQ(Bytes(request.begin() + 10, request.end() - 2), data);
    EXPECT_EQ(Crc16(request), 0);
}

TEST_F(ControllerLinkOnPty, DeleteRequestIsTheReferenceFrame)
{
    const Bytes expected{0x01, 0x15, 0x07, 0x06, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xB4};
    // An echo of the request satisfies the link like any good frame.
    m_peer.emplace(m_pty.MasterFd(), [expected](PeerLine& line) {
        const std::optional<Bytes> got = line.ReadExactly(expected.size());
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, expected) << Hex(*got);
        line.Write(MakeReply(Pattern(7, 0), LinkFrame::WRITE_FILE_RECORD));
    });
    EXPECT_TRUE(m_link.WriteRecord(UNIT, ProgramFileNumber(LinkFile::Program, 1), 0, Bytes{}));
}

TEST_F(ControllerLinkOnPty, WriteWithABadReplyFails)
{
    Bytes reply = MakeReply(Bytes{}, LinkFrame::WRITE_FILE_RECORD);
    reply[3] ^= 0xFF;
    m_peer.emplace(m_pty.MasterFd(), [reply](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(12 + 3));
        line.Write(reply);
    });
    EXPECT_FALSE(m_link.WriteRecord(UNIT, GENERAL, 0, Bytes{1, 2, 3}));
}

// No frame longer than 255 bytes may go on the line.
TEST_F(ControllerLinkOnPty, WriteTooLongForAFrameSendsNothing)
{
    const Bytes longest(LinkFrame::MAX_WRITE_DATA, 0x33);
    const Bytes tooLong(LinkFrame::MAX_WRITE_DATA + 1, 0x33);
    EXPECT_FALSE(m_link.WriteRecord(UNIT, AXES, 0, tooLong));
    EXPECT_EQ(m_link.TimeoutMs(), EASY_TIMEOUT_MS) << "nothing was run";

    m_peer.emplace(m_pty.MasterFd(), [](PeerLine& line) {
        // The first bytes on the line must be those of the frame that fits.
        const std::optional<Bytes> got = line.ReadExactly(LinkFrame::MAX_REQUEST_SIZE);
        ASSERT_TRUE(got);
        EXPECT_EQ((*got)[LinkFrame::BYTE_COUNT_OFFSET], 250);
        EXPECT_EQ(Crc16(*got), 0);
        line.Write(MakeReply(Bytes{}, LinkFrame::WRITE_FILE_RECORD));
    });
    EXPECT_TRUE(m_link.WriteRecord(UNIT, AXES, 0, longest));
}

// After any write the link gives every reply 4 s, until the user picks a
// port again: a 150 ms pause, fatal at 50 ms, is then only a pause.
TEST_F(ControllerLinkOnPty, WriteTimeoutStaysUntilReopen)
{
    PickPort();
    m_peer.emplace(m_pty.MasterFd(), [](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(12 + 1));
        line.Write(MakeReply(Bytes{}, LinkFrame::WRITE_FILE_RECORD));
    });
    ASSERT_TRUE(m_link.WriteRecord(UNIT, GENERAL, 0, Bytes{0x01}));
    Finish();
    EXPECT_EQ(m_link.TimeoutMs(), CControllerLink::WRITE_TIMEOUT_MS);

    const Bytes data = Pattern(100, 0x07);
    const Bytes reply = MakeReply(data);
    const std::vector<Bytes> halves{Bytes(reply.begin(), reply.begin() + 50),
                                    Bytes(reply.begin() + 50, reply.end())};
    AnswerPaced(LinkFrame::READ_REQUEST_SIZE, halves, 150ms);
    Bytes dest(100);
    EXPECT_TRUE(m_link.ReadRecord(UNIT, GENERAL, 0, 100, dest)) << "a read after a write keeps 4 s";
    EXPECT_EQ(dest, data);
    Finish();
    EXPECT_EQ(m_link.TimeoutMs(), CControllerLink::WRITE_TIMEOUT_MS);

    ASSERT_TRUE(m_link.Reopen(m_pty.SlavePath().c_str()));
    EXPECT_EQ(m_link.TimeoutMs(), CControllerLink::REOPEN_TIMEOUT_MS);
    AnswerPaced(LinkFrame::READ_REQUEST_SIZE, halves, 150ms);
    EXPECT_FALSE(m_link.ReadRecord(UNIT, GENERAL, 0, 100, dest));
}

TEST_F(ControllerLinkOnPty, ReopenOfTheOpenPortReopensItWith50Ms)
{
    CControllerLink link(38400, m_pty.SlavePath().c_str(), 100);
    ASSERT_FALSE(link.IsOpen()) << "the fixture's link holds the device";
    RunWrite();
    EXPECT_TRUE(m_link.Reopen(m_pty.SlavePath().c_str()));
    EXPECT_TRUE(m_link.IsOpen());
    EXPECT_EQ(m_link.TimeoutMs(), 50u);
    EXPECT_EQ(m_link.LastOpenError(), 0);
}

TEST_F(ControllerLinkOnPty, FailedReopenLeavesTheLinkClosed)
{
    EXPECT_FALSE(m_link.Reopen("/dev/no-such-port"));
    EXPECT_FALSE(m_link.IsOpen()) << "the previous port is not kept";
    EXPECT_EQ(m_link.LastOpenError(), ENOENT);
    CControllerLink other(38400, m_pty.SlavePath().c_str(), 100);
    EXPECT_TRUE(other.IsOpen()) << "the old device was released";
    EXPECT_EQ(other.TimeoutMs(), 100u);
}

// A hang-up is no failed transaction: the device is gone, and the port
// with it.
TEST_F(ControllerLinkOnPty, HangUpFailsATransactionAtOnceAndClosesThePort)
{
    RunWrite();
    m_peer.emplace(m_pty.MasterFd(), [this](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(LinkFrame::READ_REQUEST_SIZE));
        m_pty.CloseMaster();
    });
    Bytes dest(16);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest));
    EXPECT_LT(Since(start), 2000ms);
    ASSERT_TRUE(m_link.LastFault());
    EXPECT_EQ(m_link.LastFault()->failure, LinkFailure::PortGone);
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_TRUE(m_link.Lost());
}

TEST(ControllerLink, ConstructorOpensAtOnceAndAFailureLeavesItClosed)
{
    PtyPair pty;
    CControllerLink opened(38400, pty.SlavePath().c_str(), 100);
    EXPECT_TRUE(opened.IsOpen());
    EXPECT_EQ(opened.TimeoutMs(), 100u);

    CControllerLink missing(38400, "/dev/no-such-port", 100);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.LastOpenError(), ENOENT);

    Bytes dest(16, GUARD);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(missing.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest));
    EXPECT_FALSE(missing.WriteRecord(UNIT, GENERAL, 0, Bytes{1}));
    EXPECT_LT(Since(start), 50ms) << "a closed port fails at once";
    EXPECT_EQ(dest, Bytes(16, GUARD));
}

TEST(ControllerLink, OpensComNamesThroughThePortFolder)
{
    PtyPair pty;
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "vem-link-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dataHome = pattern;
    fs::create_directories(dataHome / "MFCVemSync/ports");
    fs::create_symlink(pty.SlavePath(), dataHome / "MFCVemSync/ports/COM7");
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);

    CControllerLink link(38400, "COM7", 100);
    EXPECT_TRUE(link.IsOpen()) << "errno " << link.LastOpenError();
    ScriptedPeer peer(pty.MasterFd(), [](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(LinkFrame::READ_REQUEST_SIZE));
        line.Write(MakeReply(Bytes{0x42}));
    });
    Bytes dest(1);
    EXPECT_TRUE(link.ReadRecord(UNIT, DESCRIPTOR, 1, 0, dest));
    EXPECT_EQ(dest[0], 0x42);

    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(dataHome);
}

// The receive path over a stream that ends: whatever arrived is judged,
// then end of file fails the read at once.
TEST(ControllerLink, RunsOverAnAttachedPort)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    CComPort port;
    ASSERT_TRUE(port.Attach(ends[0], 4000));
    CControllerLink link(std::move(port));
    EXPECT_TRUE(link.IsOpen());

    PeerLine line(ends[1]);
    ASSERT_TRUE(line.Write(MakeReply(Bytes{1, 2, 3})));
    Bytes dest(3);
    EXPECT_TRUE(link.ReadRecord(UNIT, GENERAL, 0, 3, dest));
    EXPECT_EQ(dest, (Bytes{1, 2, 3}));
    EXPECT_EQ(line.ReadExactly(LinkFrame::READ_REQUEST_SIZE), ExpectedReadRequest(GENERAL, 0, 3));

    ASSERT_EQ(::shutdown(ends[1], SHUT_WR), 0);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(link.ReadRecord(UNIT, GENERAL, 0, 3, dest));
    EXPECT_LT(Since(start), 2000ms);
    ::close(ends[1]);
}

} // namespace
