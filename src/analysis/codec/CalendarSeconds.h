#pragma once

// Time stamps of the units as a count of seconds. A unit's clock gives a plain calendar date
// and time with no time zone, so the count is taken on that calendar alone (as if it were
// UTC): intervals align to the unit's own midnight and never meet a daylight-saving gap.

#include <cstdint>

namespace undarix::analysis::codec {

struct CalendarTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// A date that exists (years 1970 to 9999) and a time of day within 00:00:00 .. 23:59:59.
[[nodiscard]] bool IsValidCalendarTime(const CalendarTime& time);

// Seconds since 1970-01-01T00:00:00 of the same calendar.
[[nodiscard]] std::int64_t CalendarSeconds(const CalendarTime& time);
[[nodiscard]] CalendarTime CalendarTimeOf(std::int64_t seconds);

// "YYYY-MM-DDThh:mm:ss" and its terminating zero into `out` (20 characters).
void FormatIsoTime(std::int64_t seconds, char* out);

} // namespace undarix::analysis::codec
