#include "support/MailDate.h"

#include <chrono>
#include <cstdio>

namespace mq {

namespace {

constexpr std::int64_t ticksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t unixEpochSeconds = 11'644'473'600;

}  // namespace

std::uint64_t filetimeOf(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days date = std::chrono::year{year} /
                          std::chrono::month{static_cast<unsigned>(month)} /
                          std::chrono::day{static_cast<unsigned>(day)};
    const std::int64_t seconds =
        duration_cast<std::chrono::seconds>(date.time_since_epoch()).count() + hour * 3600 +
        minute * 60 + second;
    return static_cast<std::uint64_t>((seconds + unixEpochSeconds) * ticksPerSecond);
}

std::string mailDate(std::uint64_t filetime, int zoneMinutes) {
    using namespace std::chrono;
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::int64_t seconds =
        static_cast<std::int64_t>(filetime) / ticksPerSecond - unixEpochSeconds + zoneMinutes * 60;
    const sys_seconds at{std::chrono::seconds{seconds}};
    const sys_days date = floor<std::chrono::days>(at);
    const year_month_day ymd{date};
    const hh_mm_ss time{at - date};
    const weekday wd{date};
    const int zone = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char out[64];
    std::snprintf(out, sizeof out, "%s, %u %s %d %02d:%02d:%02d %c%02d%02d", days[wd.c_encoding()],
                  static_cast<unsigned>(ymd.day()), months[static_cast<unsigned>(ymd.month()) - 1],
                  static_cast<int>(ymd.year()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), zoneMinutes < 0 ? '-' : '+', zone / 60,
                  zone % 60);
    return out;
}

}  // namespace mq
