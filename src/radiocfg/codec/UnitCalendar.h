#pragma once

// Calendar sums on the dates and times the radio units keep.

#include "radiocfg/codec/UnitReply.h"

namespace undarix::radiocfg::codec {

// 31, or 30 for April, June, September and November; February has 29 days in every year
// divisible by 4 (the units' own calendar, which has no century rule).
[[nodiscard]] int DaysInMonth(int year, int month);

// A start time one minute later, carried through hour, day, month and year. The units report
// the minute before the one sampling starts in; the page shows the starting minute. A time that
// is no calendar time (a garbled reply) comes back as it is, for the user to see and correct.
[[nodiscard]] DateTimeFields AddOneMinute(DateTimeFields time);

inline constexpr double kSecondsPerDay = 86400.0;

// Unit clock minus PC clock, both as seconds of the day, wrapped into -12 h .. +12 h: the two
// clocks on either side of midnight are seconds apart, not a day.
[[nodiscard]] double ClockDifference(double unitSecondsOfDay, double pcSecondsOfDay);

} // namespace undarix::radiocfg::codec
