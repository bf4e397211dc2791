#pragma once

#include "platform/LocaleSettings.h"

#include <string>

namespace mq {

// A local date-time as the message list writes it: the date in the user's short date format
// and, unless it is midnight to the second, a blank and the time in the long time format.
std::string receivedText(double dateTime, const LocaleSettings& locale);

}  // namespace mq
