// How a test starts the real vemsync executable and reads what it printed.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// How a test starts the real vemsync executable.
struct VemsyncOptions {
    // The child's XDG_DATA_HOME, which holds the port folder; empty keeps
    // the test's own environment.
    std::string xdgDataHome;
    // Standard error on a fresh pseudo-terminal instead of a pipe, as when an
    // operator runs the tool by hand.
    bool stderrOnTerminal = false;
    // Run as this user and group (the test must be root to ask for it).
    std::optional<uid_t> user;
    std::optional<gid_t> group;
    // Called with the child's process id once it runs, before its output is
    // collected: for a test that signals it mid-way.
    std::function<void(pid_t)> whileRunning;
};

// What one run left behind. `status` is the exit status, 128 + the signal
// when a signal ended it, or -1 when it had to be killed after the deadline.
struct VemsyncRun {
    int status = -1;
    std::string out;
    std::string err;

    // Everything about the run, for failure messages.
    std::string Describe() const;
};

// Runs vemsync with `args`, stdin on /dev/null and stdout on a pipe, and
// waits for it to end by poll on its output and its process descriptor,
// within a generous deadline.
VemsyncRun RunVemsync(const std::vector<std::string>& args, const VemsyncOptions& options = {});

// The command line as a shell would show it, for failure messages.
std::string CommandText(const std::vector<std::string>& args);

// The lines of a text, without their line ends ("\n" or "\r\n").
std::vector<std::string> LinesOf(const std::string& text);
