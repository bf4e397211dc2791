#include "platform/TimeZone.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
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

// The other season's offset takes a search of up to a year of weeks; it is the same for every
// call until the zone, its season or the day changes, and saves call this once per message.
std::optional<int> cachedOtherOffset(std::time_t now, bool daylightTime, int offset) {
    struct Key {
        std::string zone;
        bool daylightTime = false;
        int offset = 0;
        std::time_t day = -1;
        bool operator==(const Key&) const = default;
    };
    thread_local Key cachedKey;
    thread_local std::optional<int> cachedValue;
    const char* zone = std::getenv("TZ");
    Key key{zone ? zone : "", daylightTime, offset, now / (24 * 3600)};
    if (!(key == cachedKey)) {
        cachedValue = otherOffset(now, !daylightTime);
        cachedKey = std::move(key);
    }
    return cachedValue;
}

// tzset reads the zone's file again on every call, and saves ask for the zone once per
// message. A change of TZ is seen at once, a change of the system's zone within a second.
void refreshZone(std::time_t now) {
    thread_local std::optional<std::string> lastZone;
    thread_local std::time_t lastRefresh = -1;
    const char* zone = std::getenv("TZ");
    std::optional<std::string> current;
    if (zone != nullptr) current = zone;
    if (current == lastZone && now == lastRefresh) return;
    tzset();
    lastZone = std::move(current);
    lastRefresh = now;
}

}  // namespace

TimeZoneNow timeZoneNow() {
    const std::time_t now = std::time(nullptr);
    refreshZone(now);
    std::tm local{};
    TimeZoneNow zone;
    if (!localtime_r(&now, &local)) return zone;
    const int offset = static_cast<int>(local.tm_gmtoff / 60);
    const bool daylightTime = local.tm_isdst > 0;
    const std::optional<int> other = cachedOtherOffset(now, daylightTime, offset);
    // A zone without daylight time is reported as in standard time, so that its bias is
    // applied; Windows may call it "unknown" and callers would then use no offset at all.
    if (daylightTime) {
        zone.id = TimeZoneNow::Id::Daylight;
        zone.bias = -other.value_or(static_cast<int>(-timezone / 60));
        zone.daylightBias = -offset - zone.bias;
    } else {
        zone.id = TimeZoneNow::Id::Standard;
        zone.bias = -offset;
        zone.daylightBias = other ? -*other - zone.bias : 0;
    }
    return zone;
}

#endif

}  // namespace mq
