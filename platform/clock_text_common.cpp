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

std::optional<std::string> LocalTimeOfUtc(const std::string& utc)
{
    std::tm fields{};
    char zone = 0;
    char rest = 0;
    if (std::sscanf(utc.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%c", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                    &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &zone, &rest) != 7 ||
        zone != 'Z')
        return std::nullopt;
    const std::tm given = fields;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    const std::time_t time = UtcTimeOf(fields);
    // A day or hour out of range would be carried into the next field:
    // such a text was not written by UtcTimestamp().
    const std::tm back = BrokenDownTime(time, TimeZone::Utc);
    if (time == static_cast<std::time_t>(-1) || back.tm_mday != given.tm_mday || back.tm_hour != given.tm_hour ||
        back.tm_min != given.tm_min || back.tm_sec != given.tm_sec || back.tm_mon + 1 != given.tm_mon)
        return std::nullopt;
    return Formatted(BrokenDownTime(time, TimeZone::Local), "%d.%m.%Y %H:%M:%S");
}
