// The POSIX signal handler that removes our temporary files and ends the process.
#include "platform/temp_registry.h"
#include "platform/temp_registry_slots.h"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int SIGNAL_EXIT_BASE = 128;

// The deferred signal's wake-up: the handler writes one byte.
int theWakeRead = -1;
int theWakeWrite = -1;

void RemovePath(const char* path)
{
    ::unlink(path);
}

extern "C" void OnInterrupt(int signal)
{
    if (DeferInterrupt(signal)) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t put = ::write(theWakeWrite, &wake, 1);
        return;
    }
    RemoveRegisteredTempPaths(RemovePath);
    const std::string_view note = PublishedInterruptNote();
    if (!note.empty()) {
        [[maybe_unused]] const ssize_t put = ::write(STDERR_FILENO, note.data(), note.size());
    }
    ::_exit(SIGNAL_EXIT_BASE + signal);
}

} // namespace

bool InstallInterruptCleanup()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    ::sigemptyset(&action.sa_mask);
    // One handler at a time: a second signal waits until the first has
    // ended the process.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        if (::sigaction(signal, &action, nullptr) != 0)
            return false;
    return true;
}

bool InstallDeferredInterrupts()
{
    if (theWakeRead < 0) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        theWakeRead = ends[0];
        theWakeWrite = ends[1];
    }
    StartDeferringInterrupts();
    return InstallInterruptCleanup();
}

int InterruptWakeFd()
{
    return theWakeRead;
}
