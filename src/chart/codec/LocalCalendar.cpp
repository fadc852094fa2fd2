#include "chart/codec/LocalCalendar.h"

namespace undarix::chart {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days from 1970-01-01 to the first of the month (month 1 to 12), Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month) {
    year -= month <= 2;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const int shiftedMonth = (month + 9) % 12; // March = 0
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::int64_t AbsoluteTimeFromLocalCalendar(const CalendarTime& time) {
    const std::int64_t months = std::int64_t(time.year) * 12 + (std::int64_t(time.month) - 1);
    const std::int64_t year = FloorDiv(months, 12);
    const int month = int(months - year * 12) + 1;
    const std::int64_t days = DaysFromCivil(year, month) + (std::int64_t(time.day) - 1);
    return days * 86400 + std::int64_t(time.hour) * 3600 + std::int64_t(time.minute) * 60 +
           time.second;
}

CalendarTime LocalCalendarFromAbsoluteTime(std::int64_t seconds) {
    const std::int64_t days = FloorDiv(seconds, 86400);
    const std::int64_t secondOfDay = seconds - days * 86400;
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = FloorDiv(shifted, 146097);
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    CalendarTime time;
    time.day = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    time.month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    time.year = int(yearOfEra + era * 400 + (time.month <= 2));
    time.hour = int(secondOfDay / 3600);
    time.minute = int(secondOfDay / 60 % 60);
    time.second = int(secondOfDay % 60);
    return time;
}

} // namespace undarix::chart
