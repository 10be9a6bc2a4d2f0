// vem730-sim as an operator starts it: a process of its own, found by the
// port name it publishes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/controller_link.h"
#include "link/port_names.h"
#include "link/port_open_cause.h"
#include "sim/file_descriptor.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous: a sanitizer build on a busy machine starts slowly.
constexpr auto START_WAIT = 20s;
constexpr auto EXIT_WAIT = 20s;

// One run of the executable with its stdout and stderr on pipes.
class SimProcess {
public:
    SimProcess(const std::vector<std::string>& args, const std::string& xdgDataHome)
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            return;
        m_out.Reset(out[0]);
        m_err.Reset(err[0]);
        // Read whenever a test wants it, also while the process still runs.
        ::fcntl(m_err.Get(), F_SETFL, ::fcntl(m_err.Get(), F_GETFL) | O_NONBLOCK);
        CFileDescriptor outWrite(out[1]), errWrite(err[1]);

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("XDG_DATA_HOME=", 0) != 0)
                env.emplace_back(*e);
        env.push_back("XDG_DATA_HOME=" + xdgDataHome);

        std::vector<std::string> argv{VEM730_SIM_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp, envp;
        for (auto& a : argv)
            argp.push_back(a.data());
        argp.push_back(nullptr);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), STDERR_FILENO);
        if (::posix_spawn(&m_pid, argp[0], &actions, nullptr, argp.data(), envp.data()) != 0)
            m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        m_pidFd.Reset(m_pid > 0 ? static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0)) : -1);
    }

    ~SimProcess()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    bool Started() const { return m_pid > 0 && m_pidFd.IsOpen(); }

    // The stdout line that starts with `prefix`, waiting for it by poll.
    std::optional<std::string> WaitForLine(const std::string& prefix)
    {
        const auto deadline = Clock::now() + START_WAIT;
        for (;;) {
            for (std::size_t nl; (nl = m_buffer.find('\n')) != std::string::npos;) {
                std::string line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                if (line.rfind(prefix, 0) == 0)
                    return line.substr(prefix.size());
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{m_out.Get(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char buf[512];
            const ssize_t n = ::read(m_out.Get(), buf, sizeof buf);
            if (n <= 0)
                return std::nullopt;
            m_buffer.append(buf, static_cast<std::size_t>(n));
        }
    }

    // The exit status once the process has ended, waiting by poll on its pidfd.
    std::optional<int> WaitForExit()
    {
        pollfd p{m_pidFd.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(EXIT_WAIT).count())) <= 0)
            return std::nullopt;
        int status = 0;
        if (::waitpid(m_pid, &status, 0) != m_pid)
            return std::nullopt;
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string Stderr()
    {
        std::string text;
        char buf[512];
        for (ssize_t n; (n = ::read(m_err.Get(), buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<std::size_t>(n));
        return text;
    }

    void Signal(int sig) { ::kill(m_pid, sig); }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    CFileDescriptor m_pidFd;
    CFileDescriptor m_out;
    CFileDescriptor m_err;
    std::string m_buffer;
};

// XDG_DATA_HOME for this process too, so the link resolves "COM3" where the
// simulator publishes it.
class Vem730SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        m_oldXdg = old ? std::optional<std::string>(old) : std::nullopt;
        ::setenv("XDG_DATA_HOME", m_home.Path().c_str(), 1);
    }
    void TearDown() override
    {
        m_oldXdg ? ::setenv("XDG_DATA_HOME", m_oldXdg->c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    }

    CTempFolder m_home;
    std::optional<std::string> m_oldXdg;
};

TEST_F(Vem730SimTest, PublishedPortAnswersAndGoesAwayOnSignal)
{
    for (const int sig : {SIGTERM, SIGINT}) {
        SimProcess sim({"--port", "COM3"}, m_home.Path());
        ASSERT_TRUE(sim.Started());
        const auto pty = sim.WaitForLine("pty ");
        ASSERT_TRUE(pty) << sim.Stderr();
        ASSERT_EQ(sim.WaitForLine("port "), "COM3");
        const std::string link = PortFolder() + "/COM3";
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), *pty);
        EXPECT_TRUE(fs::exists(m_home.Path() + "/MFCVemSync/sim/general.bin")) << "the default store";

        {
            CControllerLink theLink(38400, "COM3", 2000);
            ASSERT_TRUE(theLink.IsOpen());
            std::vector<std::uint8_t> info(16);
            ASSERT_TRUE(theLink.ReadRecord(1, 0, 1, 0, info));
            EXPECT_EQ(info[0] | (info[1] << 8), 450);
            EXPECT_EQ(info[13], 32);
        }

        sim.Signal(sig);
        EXPECT_EQ(sim.WaitForExit(), 0) << "signal " << sig;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "signal " << sig;
    }
}

// A client that dies with the port open for exclusive use does not leave it
// busy for everyone: the simulator notices and frees the terminal. Nor is
// the simulator ever named as a program to close: it holds the line's other
// end, as a controller would.
TEST_F(Vem730SimTest, KilledClientLeavesThePortFreeAndTheSimulatorIsNoHolder)
{
    SimProcess sim({}, m_home.Path());
    ASSERT_TRUE(sim.Started());
    const std::optional<std::string> pty = sim.WaitForLine("pty ");
    ASSERT_TRUE(pty) << sim.Stderr();

    const pid_t client = ::fork();
    ASSERT_GE(client, 0);
    if (client == 0) {
        const int fd = ::open(pty->c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || ::ioctl(fd, TIOCEXCL) != 0)
            ::_exit(1);
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(client, &status, 0), client);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the client did not take the port";

    // Tried by a user whom exclusive use keeps out, until a deadline: the
    // simulator frees the port on a thread of its own. A refused open
    // leaves nothing open, so the tries themselves do not count as clients.
    if (::geteuid() != 0)
        GTEST_SKIP() << "opening as another user needs root";
    ASSERT_EQ(::chmod(pty->c_str(), 0666), 0);
    constexpr uid_t NOBODY = 65534;
    const auto openAsNobody = [&] {
        const pid_t opener = ::fork();
        if (opener == 0) {
            if (::setresgid(NOBODY, NOBODY, NOBODY) != 0 || ::setresuid(NOBODY, NOBODY, NOBODY) != 0)
                ::_exit(255);
            const int fd = ::open(pty->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            ::_exit(fd >= 0 ? 0 : errno);
        }
        int result = 0;
        ::waitpid(opener, &result, 0);
        return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    };
    const auto deadline = Clock::now() + START_WAIT;
    int refused = EBUSY;
    while ((refused = openAsNobody()) == EBUSY && Clock::now() < deadline)
        ::poll(nullptr, 0, 10);
    EXPECT_EQ(refused, 0) << "the port stays busy";

    const std::string cause = PortOpenCause(*pty, EBUSY);
    EXPECT_EQ(cause.find("vem730-sim"), std::string::npos) << cause;
}

TEST_F(Vem730SimTest, HelpAndUsageErrors)
{
    SimProcess help({"--help"}, m_home.Path());
    ASSERT_TRUE(help.Started());
    EXPECT_TRUE(help.WaitForLine("Запуск: vem730-sim"));
    EXPECT_EQ(help.WaitForExit(), 0);

    SimProcess bad({"--frame-size", "256"}, m_home.Path());
    ASSERT_TRUE(bad.Started());
    EXPECT_EQ(bad.WaitForExit(), 2);
    const std::string err = bad.Stderr();
    EXPECT_NE(err.find("--frame-size"), std::string::npos) << err;
}

TEST_F(Vem730SimTest, CorruptStoreStopsTheStartWithOneLine)
{
    const std::string store = m_home.Path() + "/store";
    {
        SimProcess first({"--store", store}, m_home.Path());
        ASSERT_TRUE(first.WaitForLine("pty "));
        first.Signal(SIGTERM);
        ASSERT_EQ(first.WaitForExit(), 0);
    }
    fs::resize_file(store + "/axes.bin", 7);
    SimProcess sim({"--store", store, "--port", "COM4"}, m_home.Path());
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.WaitForExit(), 1);
    const std::string err = sim.Stderr();
    EXPECT_NE(err.find("повреждено"), std::string::npos) << err;
    EXPECT_NE(err.find("axes.bin"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(fs::symlink_status(PortFolder() + "/COM4")));
}

TEST_F(Vem730SimTest, RefusesToReplaceAFileInThePortFolder)
{
    fs::create_directories(PortFolder());
    std::ofstream(PortFolder() + "/COM5") << "keep me";
    SimProcess sim({"--store", m_home.Path() + "/store", "--port", "COM5"}, m_home.Path());
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.WaitForExit(), 1);
    EXPECT_NE(sim.Stderr().find("это не ссылка"), std::string::npos) << sim.Stderr();
    EXPECT_TRUE(fs::is_regular_file(PortFolder() + "/COM5"));
}

} // namespace
