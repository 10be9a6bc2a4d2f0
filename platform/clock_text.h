// The time now as text: local for what a person reads beside the line,
// UTC for records that travel between machines.
#pragma once

#include <string>

// Local time with microseconds, "2026-12-08T07:52:01.123456".
std::string LocalTimestamp();

// UTC to the second, "2026-12-08T12:00:44Z".
std::string UtcTimestamp();
