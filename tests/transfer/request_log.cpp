// The simulator's transaction log seen from a test: its requests counted and waited for.
#include "tests/transfer/request_log.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "sim/file_descriptor.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds LOG_DEADLINE{30};

} // namespace

std::size_t RequestLines(const std::string& log)
{
    std::ifstream in(log);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);)
        count += line.find(" REQ ") != std::string::npos ? 1 : 0;
    return count;
}

bool WaitForRequests(const std::string& log, std::size_t count)
{
    CFileDescriptor watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!watch.IsOpen() || ::inotify_add_watch(watch.Get(), log.c_str(), IN_MODIFY) < 0)
        return false;
    const Clock::time_point deadline = Clock::now() + LOG_DEADLINE;
    while (RequestLines(log) < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{watch.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) > 0) {
            char events[4096];
            while (::read(watch.Get(), events, sizeof events) > 0) {
            }
        }
    }
    return true;
}
