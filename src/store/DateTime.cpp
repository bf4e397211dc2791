#include "store/DateTime.h"

#include <algorithm>
#include <cmath>

namespace mq {

namespace {

constexpr std::int64_t MsPerDay = 86'400'000;
constexpr std::int64_t FiletimeTicksPerMs = 10'000;
constexpr std::int64_t DaysPer400Years = 146'097;
constexpr std::int64_t DaysPer100Years = 36'524;
constexpr std::int64_t DaysPer4Years = 1'461;

constexpr bool isLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

constexpr int monthLength(std::int64_t y, int m) {
    constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return lengths[m - 1] + (m == 2 && isLeap(y) ? 1 : 0);
}

// Days since 0001-01-01 of the proleptic Gregorian calendar.
constexpr std::int64_t dayNumber(std::int64_t y, int m, int d) {
    const std::int64_t before = y - 1;
    std::int64_t n = before * 365 + before / 4 - before / 100 + before / 400;
    for (int i = 1; i < m; ++i) n += monthLength(y, i);
    return n + d - 1;
}

constexpr std::int64_t Day18991230 = dayNumber(1899, 12, 30);
constexpr std::int64_t Day16010101 = dayNumber(1601, 1, 1);
constexpr std::int64_t Day10000101 = dayNumber(10000, 1, 1);

void splitDayNumber(std::int64_t n, CalendarTime& t) {
    const std::int64_t n400 = n / DaysPer400Years;
    n %= DaysPer400Years;
    // The last day of a 400-year cycle ends a century and a 4-year run of their own.
    const std::int64_t n100 = std::min<std::int64_t>(n / DaysPer100Years, 3);
    n -= n100 * DaysPer100Years;
    const std::int64_t n4 = n / DaysPer4Years;
    n %= DaysPer4Years;
    const std::int64_t n1 = std::min<std::int64_t>(n / 365, 3);
    n -= n1 * 365;
    const std::int64_t year = n400 * 400 + n100 * 100 + n4 * 4 + n1 + 1;
    int month = 1;
    while (n >= monthLength(year, month)) n -= monthLength(year, month++);
    t.year = static_cast<int>(year);
    t.month = month;
    t.day = static_cast<int>(n) + 1;
}

// A date-time as a calendar day number and milliseconds into that day; false outside the
// years 1..9999.
bool splitDateTime(double dateTime, std::int64_t& day, std::int64_t& ms) {
    if (!std::isfinite(dateTime)) return false;
    const double whole = std::trunc(dateTime);
    if (whole < -static_cast<double>(Day18991230) ||
        whole >= static_cast<double>(Day10000101 - Day18991230))
        return false;
    day = static_cast<std::int64_t>(whole) + Day18991230;
    ms = std::llround(std::fabs(dateTime - whole) * static_cast<double>(MsPerDay));
    if (ms >= MsPerDay) {  // rounded up to midnight: the next calendar day
        ms -= MsPerDay;
        ++day;
    }
    return day < Day10000101;
}

double fromDayAndMs(std::int64_t day, std::int64_t ms) {
    const double date = static_cast<double>(day - Day18991230);
    const double time = static_cast<double>(ms) / static_cast<double>(MsPerDay);
    return date < 0 ? date - time : date + time;
}

}  // namespace

double encodeDateTime(const CalendarTime& t) {
    const std::int64_t ms =
        ((std::int64_t{t.hour} * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    return fromDayAndMs(dayNumber(t.year, t.month, t.day), ms);
}

CalendarTime decodeDateTime(double dateTime) {
    std::int64_t day = 0, ms = 0;
    if (!splitDateTime(dateTime, day, ms)) splitDateTime(0.0, day, ms);
    CalendarTime t;
    splitDayNumber(day, t);
    t.hour = static_cast<int>(ms / 3'600'000);
    t.minute = static_cast<int>(ms / 60'000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    t.dayOfWeek = static_cast<int>((day + 1) % 7);  // 0001-01-01 was a Monday
    return t;
}

double FiletimeToDatetime(std::uint64_t filetime) {
    return FiletimeToDatetime(filetime, timeZoneNow());
}

double FiletimeToDatetime(std::uint64_t filetime, const TimeZoneNow& zone) {
    constexpr std::int64_t TicksPerMinute = 60 * 1000 * FiletimeTicksPerMs;
    constexpr std::uint64_t Limit =
        std::uint64_t(Day10000101 - Day16010101) * MsPerDay * FiletimeTicksPerMs;
    if (filetime == 0 || filetime >= Limit) return 0.0;
    const std::int64_t local =
        static_cast<std::int64_t>(filetime) + std::int64_t{zone.offsetMinutes()} * TicksPerMinute;
    if (local < 0 || static_cast<std::uint64_t>(local) >= Limit) return 0.0;
    const std::int64_t ms =
        local / FiletimeTicksPerMs;  // the split drops the rest, as Windows does
    return fromDayAndMs(Day16010101 + ms / MsPerDay, ms % MsPerDay);
}

double LocalToUtc(double localDateTime) {
    return LocalToUtc(localDateTime, timeZoneNow());
}

double LocalToUtc(double localDateTime, const TimeZoneNow& zone) {
    return localDateTime - zone.offsetMinutes() / 1440.0;
}

bool DatetimeToFiletime(double utcDateTime, std::uint64_t& filetime) {
    std::int64_t day = 0, ms = 0;
    if (!splitDateTime(utcDateTime, day, ms) || day < Day16010101) return false;
    filetime =
        static_cast<std::uint64_t>(((day - Day16010101) * MsPerDay + ms) * FiletimeTicksPerMs);
    return true;
}

}  // namespace mq
