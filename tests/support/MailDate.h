#pragma once

#include <cstdint>
#include <string>

namespace mq {

// A UTC calendar time as a FILETIME (100 ns units since 1601-01-01).
std::uint64_t filetimeOf(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0);

// The FILETIME as a Date header value at the given zone offset in minutes east of UTC,
// e.g. "Sat, 13 Apr 2002 22:16:33 +0200".
std::string mailDate(std::uint64_t filetime, int zoneMinutes = 0);

}  // namespace mq
