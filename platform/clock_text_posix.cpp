// Calendar fields of a time through the reentrant POSIX calls.

#include "platform/clock_text_system.h"

std::tm BrokenDownTime(std::time_t time, TimeZone zone)
{
    std::tm fields{};
    if (zone == TimeZone::Local)
        ::localtime_r(&time, &fields);
    else
        ::gmtime_r(&time, &fields);
    return fields;
}

std::time_t UtcTimeOf(std::tm fields)
{
    return ::timegm(&fields);
}
