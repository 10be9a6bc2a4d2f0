// The POSIX signal handler that removes our temporary files and ends the process.
#include "platform/temp_registry.h"
#include "platform/temp_registry_slots.h"

#include <csignal>

#include <unistd.h>

namespace {

constexpr int SIGNAL_EXIT_BASE = 128;

void RemovePath(const char* path)
{
    ::unlink(path);
}

extern "C" void OnInterrupt(int signal)
{
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
