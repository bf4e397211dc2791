#pragma once

#include <cstdint>

namespace mq {

// The zone in force now, in GetTimeZoneInformation's terms: UTC = local + bias minutes.
struct TimeZoneNow {
    enum class Id { Unknown = 0, Standard = 1, Daylight = 2 };
    Id id = Id::Unknown;
    int bias = 0;          // minutes, standard time
    int daylightBias = 0;  // minutes added to bias while daylight time is in force
    // Minutes to add to UTC to get local time now.
    int offsetMinutes() const { return -(bias + (id == Id::Daylight ? daylightBias : 0)); }
};

// Read from localtime_r for the current moment (honours TZ), or GetTimeZoneInformation.
TimeZoneNow timeZoneNow();

}  // namespace mq
