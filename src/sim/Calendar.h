#pragma once

// Calendar arithmetic for the simulated clocks. A clock is held as seconds since 1970-01-01
// 00:00:00 of a plain calendar without time zone (the PC's local calendar when the clock is
// right), so setting and reading it never meets a daylight-saving gap.

namespace undarix::sim {

struct CivilTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

[[nodiscard]] CivilTime ToCivil(double seconds);
[[nodiscard]] double FromCivil(const CivilTime& time);
// Month 1..12, a day that exists in that month, hour 0..23, minute and second 0..59.
[[nodiscard]] bool IsValidCivil(const CivilTime& time);
// The PC's local date and time, as such a count.
[[nodiscard]] double LocalCalendarNow();

} // namespace undarix::sim
