#pragma once

#include <array>
#include <string>

namespace mq {

// The user's date, time and number settings, in the format letters of the date formatter
// ("dd/mm/yyyy", "hh:nn:ss"). All texts are 8-bit texts in the ANSI code page.
struct LocaleSettings {
    std::string shortDateFormat = "dd/mm/yyyy";
    std::string longDateFormat = "dddd, d mmmm yyyy";
    std::string shortTimeFormat = "hh:nn";
    std::string longTimeFormat = "hh:nn:ss";
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string thousandSeparator = ",";  // may be empty
    char decimalSeparator = '.';
    std::string timeAMString = "AM";
    std::string timePMString = "PM";
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};

    // Read once from the user's C library locale (LC_ALL, LC_*, LANG, through nl_langinfo),
    // or GetLocaleInfoA on Windows. The fixed settings above for the C and POSIX locales and
    // for a locale that is not installed.
    static const LocaleSettings& user();
#ifndef _WIN32
    // The settings of a named C library locale ("de_DE.UTF-8"; "" for the user's).
    static LocaleSettings forLocale(const std::string& name);
#endif
};

}  // namespace mq
