#pragma once

#include "platform/TimeZone.h"

#include <cstdint>

namespace mq {

// Date-times are days since 1899-12-30 00:00 with the time of day as the fraction; before
// that day the time is subtracted from the negative day count.
struct CalendarTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday
};

double encodeDateTime(const CalendarTime& t);
// Rounded to the millisecond. A value outside the years 1..9999 (or not a number) decodes
// as 1899-12-30 00:00.
CalendarTime decodeDateTime(double dateTime);

// UTC FILETIME to local date-time with the zone offset in force now (whatever the date).
// A zero FILETIME, or one outside the years 1601..9999 once shifted, gives 0.0 (1899-12-30).
double FiletimeToDatetime(std::uint64_t filetime);
double FiletimeToDatetime(std::uint64_t filetime, const TimeZoneNow& zone);
// Local date-time to UTC by the zone bias in force now (GetTimeZoneInformation's rules),
// the same offset FiletimeToDatetime applies, so a loaded date converts back to its instant.
double LocalToUtc(double localDateTime);
double LocalToUtc(double localDateTime, const TimeZoneNow& zone);
// UTC date-time to FILETIME, to the millisecond; false when outside the years 1601..9999.
bool DatetimeToFiletime(double utcDateTime, std::uint64_t& filetime);

}  // namespace mq
