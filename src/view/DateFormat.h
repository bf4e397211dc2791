#pragma once

#include "platform/LocaleSettings.h"

#include <string>
#include <string_view>

namespace mq {

// Writes a local date-time (days since 1899-12-30) with a format text of the date letters
// (d, m, y, h, n, s, z, t, c, am/pm, a/p, ampm, "/" and ":" separators, quoted text).
// Names, separators and the whole-date and time formats come from `locale`. An empty format
// acts as "c"; the result is at most 256 characters.
std::string formatDateTime(std::string_view format, double dateTime, const LocaleSettings& locale);

}  // namespace mq
