// vem730-sim: the simulated controller as a program of its own.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "platform/file_error.h"
#include "sim/command_line.h"
#include "sim/file_descriptor.h"
#include "sim/port_publisher.h"
#include "sim/sim_messages.h"
#include "sim/simulator.h"

namespace {

constexpr int EXIT_START_FAILED = 1;
constexpr int EXIT_USAGE = 2;

// The write end of the self-pipe: the handler only writes one byte there,
// and the main thread's poll() sees it.
int signalPipe = -1;

extern "C" void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t put = ::write(signalPipe, &byte, 1);
    errno = saved;
}

bool InstallSignals(CFileDescriptor& readEnd, CFileDescriptor& writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    signalPipe = fds[1];
    struct sigaction action{};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        if (::sigaction(sig, &action, nullptr) != 0)
            return false;
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

void WaitForSignal(int readFd)
{
    for (;;) {
        pollfd p{readFd, POLLIN, 0};
        if (::poll(&p, 1, -1) > 0)
            return;
        if (errno != EINTR)
            return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine cmd;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), cmd, error)) {
        std::cerr << "vem730-sim: " << error << '\n';
        return EXIT_USAGE;
    }
    if (cmd.help) {
        std::cout << HelpText();
        return EXIT_SUCCESS;
    }

    CFileDescriptor signalRead;
    CFileDescriptor signalWrite;
    if (!InstallSignals(signalRead, signalWrite)) {
        std::cerr << "vem730-sim: " << SimMsg::Failed(SimMsg::NO_SIGNALS, SystemErrorReason(errno)) << '\n';
        return EXIT_START_FAILED;
    }

    CSimulator sim(cmd.options);
    if (!sim.Start(error)) {
        std::cerr << "vem730-sim: " << error << '\n';
        return EXIT_START_FAILED;
    }
    CPortPublisher publisher;
    if (!cmd.portName.empty() && !publisher.Publish(PortFolder(), cmd.portName, sim.SlavePath(), error)) {
        std::cerr << "vem730-sim: " << error << '\n';
        return EXIT_START_FAILED;
    }

    // A link left by a simulator that was killed may point nowhere, or at a
    // terminal that now belongs to someone else.
    if (!publisher.ReplacedTarget().empty())
        std::cerr << "vem730-sim: " << SimMsg::LinkReplaced(publisher.LinkPath(), publisher.ReplacedTarget()) << '\n';
    // Scripts and tests wait for these lines instead of guessing a delay.
    std::cout << "store " << sim.StoreFolder() << '\n' << "pty " << sim.SlavePath() << '\n';
    if (!cmd.portName.empty())
        std::cout << "port " << cmd.portName << '\n';
    std::cout << std::flush;

    WaitForSignal(signalRead.Get());
    sim.Stop();
    publisher.Withdraw();
    return EXIT_SUCCESS;
}
