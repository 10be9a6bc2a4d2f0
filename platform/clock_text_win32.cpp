// Calendar fields of a time through the C runtime's secure calls.

#include "platform/clock_text_system.h"

std::tm BrokenDownTime(std::time_t time, TimeZone zone)
{
    std::tm fields{};
    if (zone == TimeZone::Local)
        ::localtime_s(&fields, &time);
    else
        ::gmtime_s(&fields, &time);
    return fields;
}

std::time_t UtcTimeOf(std::tm fields)
{
    return ::_mkgmtime(&fields);
}
