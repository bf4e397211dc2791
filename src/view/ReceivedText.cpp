#include "view/ReceivedText.h"

#include "view/DateFormat.h"
#include "store/DateTime.h"

namespace mq {

std::string receivedText(double dateTime, const LocaleSettings& locale) {
    std::string text = formatDateTime(locale.shortDateFormat, dateTime, locale);
    const CalendarTime time = decodeDateTime(dateTime);
    if (time.hour != 0 || time.minute != 0 || time.second != 0)
        text += ' ' + formatDateTime(locale.longTimeFormat, dateTime, locale);
    return text;
}

}  // namespace mq
