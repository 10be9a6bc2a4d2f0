// The simulator's transaction log seen from a test: its requests counted and waited for.
#pragma once

#include <cstddef>
#include <string>

// The requests the simulator has logged in `log` so far.
std::size_t RequestLines(const std::string& log);

// Waits until the simulator's transaction log holds `count` requests, woken
// by inotify whenever the log grows; false after 30 s.
bool WaitForRequests(const std::string& log, std::size_t count);
