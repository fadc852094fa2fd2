// Calendar time to absolute seconds and back, as the chart's time axis counts it.

#include "chart/codec/LocalCalendar.h"

#include <gtest/gtest.h>

namespace undarix::testing {
namespace {

using chart::AbsoluteTimeFromLocalCalendar;
using chart::CalendarTime;
using chart::LocalCalendarFromAbsoluteTime;

TEST(LocalCalendarTest, DifferencesAreWallClockSecondsAcrossEveryBoundary) {
    struct Case {
        CalendarTime from, to;
        std::int64_t seconds;
    };
    const Case cases[] = {
        {{2026, 12, 7, 12, 0, 0}, {2026, 12, 7, 12, 0, 1}, 1},
        {{2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}, 1},
        {{2024, 2, 28, 12, 0, 0}, {2024, 3, 1, 12, 0, 0}, 2 * 86400}, // leap year
        {{2100, 2, 28, 0, 0, 0}, {2100, 3, 1, 0, 0, 0}, 86400},       // not a leap year
        {{2000, 2, 28, 0, 0, 0}, {2000, 3, 1, 0, 0, 0}, 2 * 86400},   // a leap year
        {{2026, 3, 29, 1, 59, 59}, {2026, 3, 29, 3, 0, 0}, 3601},     // no summer-time jump
        {{2026, 12, 7, 0, 0, 0}, {2026, 11, 7, 0, 0, 0}, -30 * 86400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AbsoluteTimeFromLocalCalendar(c.to) - AbsoluteTimeFromLocalCalendar(c.from),
                  c.seconds);
    EXPECT_EQ(AbsoluteTimeFromLocalCalendar({1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(AbsoluteTimeFromLocalCalendar({2000, 1, 1, 0, 0, 0}), 946684800);
}

TEST(LocalCalendarTest, FieldsOutOfRangeCarryOverAndConvertBack) {
    struct Case {
        CalendarTime given, read;
    };
    const Case cases[] = {
        {{2026, 13, 1, 0, 0, 0}, {2027, 1, 1, 0, 0, 0}},
        {{2026, 0, 15, 0, 0, 0}, {2025, 12, 15, 0, 0, 0}},
        {{2026, 3, 0, 0, 0, 0}, {2026, 2, 28, 0, 0, 0}},
        {{2026, 2, 31, 0, 0, 0}, {2026, 3, 3, 0, 0, 0}},
        {{2026, 12, 31, 23, 59, 60}, {2027, 1, 1, 0, 0, 0}},
        {{2026, 1, 1, -1, 0, 0}, {2025, 12, 31, 23, 0, 0}},
        {{1969, 12, 31, 23, 59, 59}, {1969, 12, 31, 23, 59, 59}},
        {{0, 1, 1, 0, 0, 0}, {0, 1, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const CalendarTime t =
            LocalCalendarFromAbsoluteTime(AbsoluteTimeFromLocalCalendar(c.given));
        EXPECT_EQ(t.year, c.read.year);
        EXPECT_EQ(t.month, c.read.month);
        EXPECT_EQ(t.day, c.read.day);
        EXPECT_EQ(t.hour, c.read.hour);
        EXPECT_EQ(t.minute, c.read.minute);
        EXPECT_EQ(t.second, c.read.second);
    }
    // Four centuries of days, each at a different second of the day, convert back unchanged.
    for (std::int64_t s = AbsoluteTimeFromLocalCalendar({2000, 1, 1, 0, 0, 0});
         s < AbsoluteTimeFromLocalCalendar({2400, 1, 1, 0, 0, 0}); s += 86400 + 7)
        ASSERT_EQ(AbsoluteTimeFromLocalCalendar(LocalCalendarFromAbsoluteTime(s)), s);
}

} // namespace
} // namespace undarix::testing
