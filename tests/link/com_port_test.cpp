// Tests of CComPort on a pseudo-terminal: line settings, exclusive open and the read rule.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <numeric>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "link/com_port.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scripted_peer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t BAUD = 38400;
// For tests where the time-out is not the point: a busy machine cannot
// make their reads run out of time.
constexpr std::uint32_t EASY_TIMEOUT_MS = 1000;

std::chrono::milliseconds Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

Bytes Sequence(std::size_t n)
{
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

// What a second opener in another process saw.
enum ChildOutcome : int { OPENED = 0, BUSY = 1, OTHER_ERROR = 2, NO_PRIVILEGE_DROP = 3 };

// Tries CComPort::Open in a child process, optionally as an unprivileged
// user (privileged openers pass the terminal's exclusive mode).
int OpenFromAnotherProcess(const std::string& path, bool unprivileged)
{
    constexpr uid_t NOBODY = 65534;
    const pid_t child = ::fork();
    if (child == 0) {
        if (unprivileged && (::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0))
            ::_exit(NO_PRIVILEGE_DROP);
        CComPort port;
        if (port.Open(path.c_str(), BAUD, 50))
            ::_exit(OPENED);
        ::_exit(port.LastOpenError() == EBUSY ? BUSY : OTHER_ERROR);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class ComPortOnPty : public ::testing::Test {
protected:
    void OpenPort(std::uint32_t timeoutMs)
    {
        ASSERT_TRUE(m_port.Open(m_pty.SlavePath().c_str(), BAUD, timeoutMs))
            << m_pty.SlavePath() << ": errno " << m_port.LastOpenError();
    }
    // One byte each way proves the port still talks to this line.
    void ExpectRoundTrip(CComPort& port)
    {
        PeerLine line(m_pty.MasterFd());
        const Bytes ping{0x5A};
        ASSERT_TRUE(port.Write(ping));
        EXPECT_EQ(line.ReadExactly(1), ping);
        const Bytes pong{0xA5};
        ASSERT_TRUE(line.Write(pong));
        Bytes got(1);
        EXPECT_TRUE(port.Read(got));
        EXPECT_EQ(got, pong);
    }

    PtyPair m_pty;
    CComPort m_port;
};

TEST_F(ComPortOnPty, OpenSetsRaw8N1At38400WithoutFlowControl)
{
    OpenPort(50);
    termios settings{};
    ASSERT_EQ(::tcgetattr(m_pty.HeldSlaveFd(), &settings), 0);
    EXPECT_EQ(::cfgetispeed(&settings), B38400);
    EXPECT_EQ(::cfgetospeed(&settings), B38400);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u) << "no parity, 1 stop, no RTS/CTS";
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u) << "no XON/XOFF, no mapping";
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u) << "raw input";
    EXPECT_EQ(settings.c_oflag & OPOST, 0u) << "raw output";
    EXPECT_EQ(m_port.LastOpenError(), 0);
    EXPECT_EQ(m_port.TimeoutMs(), 50u);
}

// A terminal that is not our controller (a pty number reused after a
// killed simulator) gets its echo, canonical mode and speed back.
TEST_F(ComPortOnPty, CloseRestoresTheSettingsFoundAtOpen)
{
    termios before{};
    ASSERT_EQ(::tcgetattr(m_pty.HeldSlaveFd(), &before), 0);
    before.c_lflag |= ICANON | ECHO | ISIG;
    before.c_iflag |= ICRNL;
    ASSERT_EQ(::cfsetspeed(&before, B9600), 0);
    ASSERT_EQ(::tcsetattr(m_pty.HeldSlaveFd(), TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(m_pty.HeldSlaveFd(), &before), 0);

    OpenPort(50);
    ExpectRoundTrip(m_port);
    ASSERT_TRUE(m_port.Close());
    termios after{};
    ASSERT_EQ(::tcgetattr(m_pty.HeldSlaveFd(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(::cfgetospeed(&after), B9600);
}

TEST_F(ComPortOnPty, BytesCrossTheLineUnchangedBothWays)
{
    OpenPort(EASY_TIMEOUT_MS);
    // Bytes a cooked terminal would translate or act on.
    const Bytes awkward{0x00, 0x03, 0x0A, 0x0D, 0x11, 0x13, 0x1A, 0x7F, 0x80, 0xFF};
    PeerLine line(m_pty.MasterFd());
    ASSERT_TRUE(m_port.Write(awkward));
    EXPECT_EQ(line.ReadExactly(awkward.size()), awkward);
    ASSERT_TRUE(line.Write(awkward));
    Bytes got(awkward.size());
    ASSERT_TRUE(m_port.Read(got));
    EXPECT_EQ(got, awkward) << Hex(got);
}

TEST_F(ComPortOnPty, OpenOnAnOpenPortFailsAndLeavesItUntouched)
{
    OpenPort(EASY_TIMEOUT_MS);
    PtyPair other;
    EXPECT_FALSE(m_port.Open(other.SlavePath().c_str(), BAUD, 4000));
    EXPECT_TRUE(m_port.IsOpen());
    EXPECT_EQ(m_port.TimeoutMs(), EASY_TIMEOUT_MS);
    EXPECT_EQ(m_port.LastOpenError(), 0);
    ExpectRoundTrip(m_port);

    CComPort second;
    EXPECT_TRUE(second.Open(other.SlavePath().c_str(), BAUD, 50))
        << "the refused open must not have taken the other device";
}

TEST_F(ComPortOnPty, SecondOpenerInThisProcessIsRefusedUntilTheFirstCloses)
{
    OpenPort(EASY_TIMEOUT_MS);
    CComPort second;
    EXPECT_FALSE(second.Open(m_pty.SlavePath().c_str(), BAUD, 50));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.LastOpenError(), EBUSY);
    ExpectRoundTrip(m_port);

    m_port.Close();
    EXPECT_TRUE(second.Open(m_pty.SlavePath().c_str(), BAUD, 50));
    EXPECT_EQ(second.LastOpenError(), 0) << "a success clears the last error";
}

TEST_F(ComPortOnPty, SecondOpenerInAnotherProcessIsRefused)
{
    OpenPort(EASY_TIMEOUT_MS);
    EXPECT_EQ(OpenFromAnotherProcess(m_pty.SlavePath(), false), BUSY);
    ExpectRoundTrip(m_port);
    m_port.Close();
    EXPECT_EQ(OpenFromAnotherProcess(m_pty.SlavePath(), false), OPENED);
}

// The terminal's exclusive mode outlives our descriptor while anyone else
// holds the terminal (here the pair itself, elsewhere the simulator); left
// set, it would lock every ordinary user out of the port after a Close.
TEST_F(ComPortOnPty, UnprivilegedOpenerIsRefusedWhileOpenAndAdmittedAfterClose)
{
    ASSERT_EQ(::chmod(m_pty.SlavePath().c_str(), 0666), 0);
    const int before = OpenFromAnotherProcess(m_pty.SlavePath(), true);
    if (before == NO_PRIVILEGE_DROP)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    ASSERT_EQ(before, OPENED) << "an unprivileged user must be able to open the free device";

    OpenPort(50);
    EXPECT_EQ(OpenFromAnotherProcess(m_pty.SlavePath(), true), BUSY);
    m_port.Close();
    EXPECT_EQ(OpenFromAnotherProcess(m_pty.SlavePath(), true), OPENED);
}

TEST_F(ComPortOnPty, FailedOpenLeavesThePortClosedAndTheDeviceFree)
{
    EXPECT_FALSE(m_port.Open(m_pty.SlavePath().c_str(), 12345, 50)) << "no such baud rate";
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_EQ(m_port.LastOpenError(), EINVAL);
    EXPECT_EQ(OpenFromAnotherProcess(m_pty.SlavePath(), false), OPENED);
    OpenPort(50);
}

struct OpenFailureRow {
    const char* name;
    const char* input;
    int expected;
};

TEST(ComPort, OpenFailuresReportTheirCauseAndLeaveThePortClosed)
{
    const OpenFailureRow rows[] = {
        {"missing device", "/dev/no-such-serial-port", ENOENT},
        {"not a terminal", "/dev/null", ENOTTY},
        {"no name", nullptr, EINVAL},
    };
    for (const OpenFailureRow& row : rows) {
        CComPort port;
        EXPECT_FALSE(port.Open(row.input, BAUD, 50)) << row.name;
        EXPECT_FALSE(port.IsOpen()) << row.name;
        EXPECT_EQ(port.LastOpenError(), row.expected)
            << row.name << ": " << (row.input ? row.input : "(null)");
    }
}

TEST(ComPort, ClosedPortFailsEveryOperationAtOnce)
{
    CComPort port;
    Bytes buffer(100, 0xEE);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(port.Read(buffer));
    EXPECT_FALSE(port.Write(buffer));
    EXPECT_FALSE(port.Purge());
    EXPECT_FALSE(port.SetTimeouts(50));
    EXPECT_LT(Since(start), 50ms) << "a read of 100 bytes would wait 100 + T";
    EXPECT_TRUE(port.Close()) << "closing a closed port is fine";
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.TimeoutMs(), 0u);
    EXPECT_EQ(buffer, Bytes(100, 0xEE));
}

TEST_F(ComPortOnPty, CloseClosesAndIsRepeatable)
{
    OpenPort(50);
    EXPECT_TRUE(m_port.Close());
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_EQ(m_port.TimeoutMs(), 0u);
    EXPECT_TRUE(m_port.Close());
    OpenPort(100);
    EXPECT_EQ(m_port.TimeoutMs(), 100u);
}

TEST_F(ComPortOnPty, ReadTakesWhatItAskedAndLeavesTheRestQueued)
{
    OpenPort(EASY_TIMEOUT_MS);
    PeerLine line(m_pty.MasterFd());
    ASSERT_TRUE(line.Write(Sequence(10)));
    Bytes first(4);
    Bytes rest(6);
    ASSERT_TRUE(m_port.Read(first));
    ASSERT_TRUE(m_port.Read(rest));
    EXPECT_EQ(first, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(rest, (Bytes{5, 6, 7, 8, 9, 10}));
}

TEST_F(ComPortOnPty, PurgeDiscardsWhatArrivedUnread)
{
    OpenPort(EASY_TIMEOUT_MS);
    PeerLine line(m_pty.MasterFd());
    ASSERT_TRUE(line.Write(Sequence(8)));
    Bytes first(2);
    ASSERT_TRUE(m_port.Read(first)); // the bytes have reached the port
    EXPECT_TRUE(m_port.Purge());
    const Bytes fresh{0xC1, 0xC2};
    ASSERT_TRUE(line.Write(fresh));
    Bytes got(2);
    ASSERT_TRUE(m_port.Read(got));
    EXPECT_EQ(got, fresh) << "stale bytes survived the purge: " << Hex(got);
}

TEST_F(ComPortOnPty, ShortReadFailsWhenTheGapAfterTheLastByteRunsOut)
{
    OpenPort(50);
    PeerLine line(m_pty.MasterFd());
    ASSERT_TRUE(line.Write(Bytes{7, 8, 9}));
    Bytes buffer(5, 0);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_port.Read(buffer));
    const auto elapsed = Since(start);
    EXPECT_GE(elapsed, 45ms);
    EXPECT_LT(elapsed, 2000ms);
    EXPECT_EQ(buffer, (Bytes{7, 8, 9, 0, 0})) << "what arrived is left in the buffer";
}

// Before the first byte only the total applies: a silent line is given
// n + T, not just T.
TEST_F(ComPortOnPty, SilentLineFailsAfterNPlusT)
{
    OpenPort(50);
    Bytes buffer(150);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_port.Read(buffer));
    const auto elapsed = Since(start);
    EXPECT_GE(elapsed, 190ms) << "150 bytes + 50 ms";
    EXPECT_LT(elapsed, 2000ms);
}

TEST_F(ComPortOnPty, GapLongerThanTFailsTheRead)
{
    OpenPort(50);
    const Bytes all = Sequence(200);
    const std::vector<Bytes> chunks{Bytes(all.begin(), all.begin() + 100),
                                    Bytes(all.begin() + 100, all.end())};
    ScriptedPeer peer(m_pty.MasterFd(), [&](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(1)); // the port is reading
        line.WritePaced(chunks, 150ms);
    });
    ASSERT_TRUE(m_port.Write(Bytes{0x01}));
    Bytes buffer(all.size());
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_port.Read(buffer)) << "250 ms total would allow the 150 ms pause; the gap must not";
    EXPECT_LT(Since(start), 2000ms);
}

// Gaps well under T add up to more than T, and the bytes still arrive well
// within n + T: the gap rule is per gap, not a budget.
TEST_F(ComPortOnPty, GapsUnderTSucceedWithinTheTotal)
{
    // Gaps well under T and a total well inside n + T, so that a busy
    // machine's late wake-ups cannot turn them into failures.
    OpenPort(500);
    const Bytes all = Sequence(200);
    std::vector<Bytes> chunks;
    for (std::size_t at = 0; at < all.size(); at += 50)
        chunks.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(at),
                            all.begin() + static_cast<std::ptrdiff_t>(at + 50));
    ScriptedPeer peer(m_pty.MasterFd(), [&](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(1));
        line.WritePaced(chunks, 100ms);
    });
    ASSERT_TRUE(m_port.Write(Bytes{0x01}));
    Bytes buffer(all.size());
    EXPECT_TRUE(m_port.Read(buffer));
    EXPECT_EQ(buffer, all);
}

TEST_F(ComPortOnPty, BytesThatKeepComingButMissTheTotalFail)
{
    OpenPort(50);
    std::vector<Bytes> chunks;
    for (std::uint8_t b = 1; b <= 5; ++b)
        chunks.push_back(Bytes{b});
    ScriptedPeer peer(m_pty.MasterFd(), [&](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(1));
        line.WritePaced(chunks, 30ms);
    });
    ASSERT_TRUE(m_port.Write(Bytes{0x01}));
    Bytes buffer(5);
    EXPECT_FALSE(m_port.Read(buffer)) << "5 bytes over 120 ms exceed 5 + 50 ms";
}

TEST_F(ComPortOnPty, HangUpFailsAPendingReadAtOnce)
{
    OpenPort(4000);
    ScriptedPeer peer(m_pty.MasterFd(), [&](PeerLine& line) {
        ASSERT_TRUE(line.ReadExactly(1));
        m_pty.CloseMaster();
    });
    ASSERT_TRUE(m_port.Write(Bytes{0x01}));
    Bytes buffer(10);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_port.Read(buffer));
    EXPECT_LT(Since(start), 2000ms) << "the time-out is 4000 ms; a hang-up must not wait for it";
    peer.Join();

    const Clock::time_point again = Clock::now();
    EXPECT_FALSE(m_port.Read(buffer));
    EXPECT_FALSE(m_port.Write(buffer));
    EXPECT_LT(Since(again), 2000ms);
    EXPECT_TRUE(m_port.IsOpen()) << "only Close closes the port";
}

TEST_F(ComPortOnPty, WriteSendsEveryByteOfABufferLargerThanTheLineQueue)
{
    OpenPort(50);
    const Bytes big = [] {
        Bytes bytes(256 * 1024);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
        return bytes;
    }();
    std::optional<Bytes> received;
    {
        ScriptedPeer peer(m_pty.MasterFd(),
                          [&](PeerLine& line) { received = line.ReadExactly(big.size()); });
        EXPECT_TRUE(m_port.Write(big));
    }
    ASSERT_TRUE(received);
    EXPECT_TRUE(*received == big) << "the line lost, doubled or reordered bytes";
}

TEST(ComPort, AttachedDescriptorCarriesReadsAndWrites)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    CComPort port;
    ASSERT_TRUE(port.Attach(ends[0], 50));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.TimeoutMs(), 50u);
    EXPECT_FALSE(port.Attach(ends[1], 50)) << "an open port takes nothing more";

    PeerLine line(ends[1]);
    ASSERT_TRUE(port.Write(Bytes{1, 2, 3}));
    EXPECT_EQ(line.ReadExactly(3), (Bytes{1, 2, 3}));
    ASSERT_TRUE(line.Write(Bytes{4, 5}));
    Bytes got(2);
    EXPECT_TRUE(port.Read(got));
    EXPECT_EQ(got, (Bytes{4, 5}));

    // The far end stops sending: end of file fails a read at once.
    ASSERT_EQ(::shutdown(ends[1], SHUT_WR), 0);
    port.SetTimeouts(4000);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(port.Read(got));
    EXPECT_LT(Since(start), 2000ms);
    ::close(ends[1]);
}

TEST_F(ComPortOnPty, MovedPortKeepsTheLine)
{
    OpenPort(EASY_TIMEOUT_MS);
    CComPort moved(std::move(m_port));
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_EQ(moved.TimeoutMs(), EASY_TIMEOUT_MS);
    ExpectRoundTrip(moved);
}

} // namespace
