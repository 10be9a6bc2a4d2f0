// The time now as text, on the system's broken-down time.

#include "platform/clock_text.h"

#include <cstdio>
#include <ctime>

#include "platform/clock_text_system.h"

namespace {

constexpr std::size_t TIME_TEXT_SIZE = 32;
constexpr long NS_PER_US = 1000;

std::string Formatted(const std::tm& time, const char* format)
{
    char text[TIME_TEXT_SIZE];
    const std::size_t n = std::strftime(text, sizeof text, format, &time);
    return std::string(text, n);
}

} // namespace

std::string LocalTimestamp()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char micro[TIME_TEXT_SIZE];
    std::snprintf(micro, sizeof micro, ".%06ld", now.tv_nsec / NS_PER_US);
    return Formatted(BrokenDownTime(now.tv_sec, TimeZone::Local), "%Y-%m-%dT%H:%M:%S") + micro;
}

std::string UtcTimestamp()
{
    return Formatted(BrokenDownTime(std::time(nullptr), TimeZone::Utc), "%Y-%m-%dT%H:%M:%SZ");
}
