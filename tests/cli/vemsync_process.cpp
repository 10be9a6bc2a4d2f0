// Runs the real vemsync as a child process and collects its output and exit code.
#include "tests/cli/vemsync_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>

#include "sim/file_descriptor.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A sanitizer build on a loaded machine starts and runs slowly; a healthy run
// takes a small part of this.
constexpr std::chrono::seconds RUN_DEADLINE{60};
constexpr int EXEC_FAILED = 127;
constexpr int SIGNAL_STATUS_BASE = 128;

// One output of the child being collected: a pipe ends at EOF, the
// terminal's master side with EIO once the child, its only holder of the
// slave side, has gone and everything it wrote has been read.
struct Stream {
    CFileDescriptor fd;
    std::string* text = nullptr;
    bool open = true;

    // Reads what is there now; false once the stream has ended.
    bool Drain()
    {
        std::array<char, 4096> buffer;
        for (;;) {
            const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
            if (n > 0) {
                text->append(buffer.data(), static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return true;
            open = false; // EOF, or EIO from the terminal
            return false;
        }
    }
};

int StatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    return SIGNAL_STATUS_BASE + WTERMSIG(waitStatus);
}

bool SetNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// A fresh pseudo-terminal: the master for the test, the slave (blocking, as
// a terminal normally is) for the child's standard error.
bool OpenTerminal(CFileDescriptor& master, CFileDescriptor& slave)
{
    master.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    std::array<char, 128> path{};
    if (!master.IsOpen() || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0 ||
        ::ptsname_r(master.Get(), path.data(), path.size()) != 0)
        return false;
    slave.Reset(::open(path.data(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    return slave.IsOpen() && SetNonBlocking(master.Get());
}

} // namespace

std::string VemsyncRun::Describe() const
{
    std::ostringstream text;
    text << "exit status " << status << "\n--- stdout:\n" << out << "--- stderr:\n" << err << "---";
    return text.str();
}

std::string CommandText(const std::vector<std::string>& args)
{
    std::string text = "vemsync";
    for (const std::string& arg : args)
        text += " '" + arg + "'";
    return text;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

VemsyncRun RunVemsync(const std::vector<std::string>& args, const VemsyncOptions& options)
{
    VemsyncRun run;
    int outPipe[2];
    int errPipe[2] = {-1, -1};
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return run;
    CFileDescriptor outRead(outPipe[0]), outWrite(outPipe[1]);
    CFileDescriptor errRead, errWrite;
    if (options.stderrOnTerminal) {
        if (!OpenTerminal(errRead, errWrite))
            return run;
    } else {
        if (::pipe2(errPipe, O_CLOEXEC) != 0)
            return run;
        errRead.Reset(errPipe[0]);
        errWrite.Reset(errPipe[1]);
    }
    CFileDescriptor nullInput(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!nullInput.IsOpen() || !SetNonBlocking(outRead.Get()) ||
        (!options.stderrOnTerminal && !SetNonBlocking(errRead.Get())))
        return run;

    // Everything the child needs is built before the fork: after it, the
    // child of this threaded process calls only what is safe there.
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (options.xdgDataHome.empty() || std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0)
            env.emplace_back(*e);
    if (!options.xdgDataHome.empty())
        env.push_back("XDG_DATA_HOME=" + options.xdgDataHome);
    std::vector<std::string> argv{VEMSYNC_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp, envp;
    for (std::string& a : argv)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        if (::dup2(nullInput.Get(), STDIN_FILENO) < 0 || ::dup2(outWrite.Get(), STDOUT_FILENO) < 0 ||
            ::dup2(errWrite.Get(), STDERR_FILENO) < 0)
            ::_exit(EXEC_FAILED);
        // Raw system calls: they change this process alone, with no library
        // state to consult after the fork.
        if (options.group && (::syscall(SYS_setgroups, 0, nullptr) != 0 ||
                              ::syscall(SYS_setgid, *options.group) != 0))
            ::_exit(EXEC_FAILED);
        if (options.user && ::syscall(SYS_setuid, *options.user) != 0)
            ::_exit(EXEC_FAILED);
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(EXEC_FAILED);
    }

    // The child holds the only writing ends now.
    outWrite.Reset();
    errWrite.Reset();
    nullInput.Reset();
    CFileDescriptor process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (options.whileRunning)
        options.whileRunning(pid);

    Stream streams[] = {{std::move(outRead), &run.out}, {std::move(errRead), &run.err}};
    const auto deadline = Clock::now() + RUN_DEADLINE;
    bool ended = false;
    bool late = false;
    while (!late && (!ended || streams[0].open || streams[1].open)) {
        std::array<pollfd, 3> waits{};
        nfds_t count = 0;
        for (const Stream& s : streams)
            if (s.open)
                waits[count++] = {s.fd.Get(), POLLIN, 0};
        if (!ended && process.IsOpen())
            waits[count++] = {process.Get(), POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            late = true;
            break;
        }
        const int ready = ::poll(waits.data(), count, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            late = true;
            break;
        }
        for (Stream& s : streams)
            if (s.open)
                s.Drain();
        if (!process.IsOpen()) {
            ended = !streams[0].open && !streams[1].open;
            continue;
        }
        for (nfds_t i = 0; i < count; ++i)
            if (waits[i].fd == process.Get() && (waits[i].revents & POLLIN) != 0)
                ended = true;
    }

    int waitStatus = 0;
    if (late) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &waitStatus, 0);
        run.status = -1;
        return run;
    }
    if (::waitpid(pid, &waitStatus, 0) == pid)
        run.status = StatusOf(waitStatus);
    return run;
}
