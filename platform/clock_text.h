// The time now as text: local for what a person reads beside the line,
// UTC for records that travel between machines.
#pragma once

#include <optional>
#include <string>

// Local time with microseconds, "2026-12-08T07:52:01.123456".
std::string LocalTimestamp();

// UTC to the second, "2026-12-08T12:00:44Z".
std::string UtcTimestamp();

// A time written by UtcTimestamp() as a person here reads it: local date and
// time, "08.12.2026 15:00:44". Nothing when `utc` is not in that form.
std::optional<std::string> LocalTimeOfUtc(const std::string& utc);
