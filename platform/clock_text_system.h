// The system's own conversion of a time to calendar fields, behind
// clock_text_posix.cpp and clock_text_win32.cpp.
#pragma once

#include <ctime>

enum class TimeZone { Local, Utc };

std::tm BrokenDownTime(std::time_t time, TimeZone zone);

// The time of calendar fields given in UTC (the inverse of the Utc case).
std::time_t UtcTimeOf(std::tm fields);
