#include "radiocfg/codec/UnitCalendar.h"

#include <cmath>

namespace undarix::radiocfg::codec {

int DaysInMonth(int year, int month) {
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return year % 4 == 0 ? 29 : 28;
    default: return 31;
    }
}

namespace {

// Reply fields are read as they come; a garbled one can hold any number, even the largest int.
bool IsCalendarTime(const DateTimeFields& time) {
    return time.year >= 0 && time.year <= 9999 && time.month >= 1 && time.month <= 12 &&
           time.day >= 1 && time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 &&
           time.hour <= 23 && time.minute >= 0 && time.minute <= 59;
}

} // namespace

DateTimeFields AddOneMinute(DateTimeFields time) {
    if (!IsCalendarTime(time)) return time;
    time.minute += 1;
    if (time.minute != 60) return time;
    time.minute = 0;
    time.hour += 1;
    if (time.hour != 24) return time;
    time.hour = 0;
    time.day += 1;
    if (time.day <= DaysInMonth(time.year, time.month)) return time;
    time.day = 1;
    time.month += 1;
    if (time.month <= 12) return time;
    time.month = 1;
    time.year += 1;
    return time;
}

double ClockDifference(double unitSecondsOfDay, double pcSecondsOfDay) {
    // fmod keeps a nonsense hour in a reply from costing more than one step.
    double difference = std::fmod(unitSecondsOfDay - pcSecondsOfDay, kSecondsPerDay);
    const double half = kSecondsPerDay / 2.0;
    if (difference > half) difference -= kSecondsPerDay;
    if (difference < -half) difference += kSecondsPerDay;
    return difference;
}

} // namespace undarix::radiocfg::codec
