// The backup's recorded time shown as the operator's local date and time.
#include "platform/clock_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

void SetZone(const char* zone)
{
#ifdef _WIN32
    ::_putenv_s("TZ", zone);
    ::_tzset();
#else
    if (*zone != 0)
        ::setenv("TZ", zone, 1);
    else
        ::unsetenv("TZ");
    ::tzset();
#endif
}

// Three hours east of UTC and no summer time, whatever the machine's zone.
class LocalTimeOfUtcTest : public ::testing::Test {
protected:
    void SetUp() override { SetZone("MSK-3"); }
    void TearDown() override { SetZone(""); }
};

TEST_F(LocalTimeOfUtcTest, ShowsTheRecordedTimeInTheLocalZone)
{
    EXPECT_EQ(LocalTimeOfUtc("2026-12-08T12:00:44Z"), "08.12.2026 15:00:44");
    // Past midnight and the year's end locally.
    EXPECT_EQ(LocalTimeOfUtc("2026-12-31T22:30:00Z"), "01.01.2027 01:30:00");
    EXPECT_TRUE(LocalTimeOfUtc(UtcTimestamp()).has_value());
}

TEST_F(LocalTimeOfUtcTest, TextNotWrittenAsAUtcTimestampIsNotATime)
{
    for (const char* text : {"", "2026-12-08", "2026-12-08 12:00:44", "2026-12-08T12:00:44",
                             "2026-12-08T12:00:44Zx", "2026-02-30T12:00:00Z", "2026-12-08T24:00:00Z",
                             "2026-13-01T00:00:00Z", "вчера"})
        EXPECT_EQ(LocalTimeOfUtc(text), std::nullopt) << text;
}

} // namespace
