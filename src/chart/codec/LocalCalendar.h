#pragma once

// Local calendar time to absolute seconds and back, for the chart's time axis.
//
// The chart places samples by the difference between a packet's time stamp and the chart's
// start. Both are the units' local wall-clock readings, so they are counted here as plain
// calendar arithmetic (every day 86,400 s, proleptic Gregorian calendar, no time zone and no
// daylight-saving jump): two stamps one wall-clock second apart are always one second apart,
// the result does not depend on the PC's zone, and no zone lookup is paid per packet.
// Fields out of their range carry over (month 13 is January of the next year, day 0 the last
// day of the month before), so any integers give a defined result.

#include <cstdint>

namespace undarix::chart {

struct CalendarTime {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970-01-01T00:00:00 of the same wall clock.
[[nodiscard]] std::int64_t AbsoluteTimeFromLocalCalendar(const CalendarTime& time);
[[nodiscard]] CalendarTime LocalCalendarFromAbsoluteTime(std::int64_t seconds);

} // namespace undarix::chart
