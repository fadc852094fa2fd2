#include "analysis/codec/CalendarSeconds.h"

namespace undarix::analysis::codec {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (the civil-from-days
// algorithm run backwards, in eras of 400 years).
std::int64_t DaysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

void PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

} // namespace

bool IsValidCalendarTime(const CalendarTime& t) {
    if (t.year < 1970 || t.year > 9999 || t.month < 1 || t.month > 12) return false;
    if (t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return false;
    return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
           t.second < 60;
}

std::int64_t CalendarSeconds(const CalendarTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 +
           t.second;
}

CalendarTime CalendarTimeOf(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    CalendarTime t;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = int(rest / 3600);
    t.minute = int(rest % 3600 / 60);
    t.second = int(rest % 60);
    return t;
}

void FormatIsoTime(std::int64_t seconds, char* out) {
    const CalendarTime t = CalendarTimeOf(seconds);
    PutDigits(out, t.year, 4);
    out[4] = '-';
    PutDigits(out + 5, t.month, 2);
    out[7] = '-';
    PutDigits(out + 8, t.day, 2);
    out[10] = 'T';
    PutDigits(out + 11, t.hour, 2);
    out[13] = ':';
    PutDigits(out + 14, t.minute, 2);
    out[16] = ':';
    PutDigits(out + 17, t.second, 2);
    out[19] = '\0';
}

} // namespace undarix::analysis::codec
