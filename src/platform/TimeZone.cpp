#include "platform/TimeZone.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#include <optional>
#endif

namespace mq {

#ifdef _WIN32

TimeZoneNow timeZoneNow() {
    TIME_ZONE_INFORMATION info{};
    TimeZoneNow zone;
    switch (GetTimeZoneInformation(&info)) {
        case TIME_ZONE_ID_STANDARD:
            zone.id = TimeZoneNow::Id::Standard;
            break;
        case TIME_ZONE_ID_DAYLIGHT:
            zone.id = TimeZoneNow::Id::Daylight;
            break;
        case TIME_ZONE_ID_UNKNOWN:
            zone.id = TimeZoneNow::Id::Unknown;
            break;
        default:
            return zone;
    }
    zone.bias = static_cast<int>(info.Bias);
    zone.daylightBias = static_cast<int>(info.DaylightBias);
    return zone;
}

#else

namespace {

// The offset east of UTC in minutes of the first moment within a year from `now` whose
// daylight flag is `daylightTime`; empty when there is none.
std::optional<int> otherOffset(std::time_t now, bool daylightTime) {
    constexpr std::time_t kWeek = 7 * 24 * 3600;
    for (int week = 1; week <= 53; ++week) {
        const std::time_t then = now + week * kWeek;
        std::tm local{};
        if (localtime_r(&then, &local) && (local.tm_isdst > 0) == daylightTime) {
            return static_cast<int>(local.tm_gmtoff / 60);
        }
    }
    return std::nullopt;
}

}  // namespace

TimeZoneNow timeZoneNow() {
    tzset();  // TZ may have changed since the last call
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    TimeZoneNow zone;
    if (!localtime_r(&now, &local)) return zone;
    const int offset = static_cast<int>(local.tm_gmtoff / 60);
    // A zone without daylight time is reported as in standard time, so that its bias is
    // applied; Windows may call it "unknown" and callers would then use no offset at all.
    if (local.tm_isdst > 0) {
        zone.id = TimeZoneNow::Id::Daylight;
        zone.bias = -otherOffset(now, false).value_or(static_cast<int>(-timezone / 60));
        zone.daylightBias = -offset - zone.bias;
    } else {
        zone.id = TimeZoneNow::Id::Standard;
        zone.bias = -offset;
        const std::optional<int> summer = otherOffset(now, true);
        zone.daylightBias = summer ? -*summer - zone.bias : 0;
    }
    return zone;
}

#endif

}  // namespace mq
