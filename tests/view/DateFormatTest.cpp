#include "view/DateFormat.h"

#include "store/DateTime.h"

#include <gtest/gtest.h>

#include <string>

namespace mq {
namespace {

LocaleSettings english() {
    LocaleSettings l;
    l.shortDateFormat = "dd/mm/yyyy";
    l.longDateFormat = "dddd, d mmmm yyyy";
    l.shortTimeFormat = "hh:nn";
    l.longTimeFormat = "hh:nn:ss";
    l.dateSeparator = '/';
    l.timeSeparator = ':';
    l.timeAMString = "AM";
    l.timePMString = "PM";
    return l;
}

LocaleSettings german() {
    LocaleSettings l;
    l.shortDateFormat = "dd.mm.yyyy";
    l.longDateFormat = "dddd, d. mmmm yyyy";
    l.shortTimeFormat = "hh:nn";
    l.longTimeFormat = "hh:nn:ss";
    l.dateSeparator = '.';
    l.timeSeparator = ':';
    l.timeAMString = "";
    l.timePMString = "";
    l.shortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    l.longDayNames = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                      "Donnerstag", "Freitag", "Samstag"};
    l.shortMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                         "Jul", "Aug", "Sep",    "Okt", "Nov", "Dez"};
    l.longMonthNames = {"Januar", "Februar", "M\xE4rz",   "April",   "Mai",      "Juni",
                        "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    return l;
}

// Sunday 6 December 2026, 14:05:09.007, and a morning in March.
const double Afternoon = encodeDateTime(CalendarTime{2026, 12, 6, 14, 5, 9, 7, 0});
const double Morning = encodeDateTime(CalendarTime{2004, 3, 1, 0, 7, 3, 250, 0});
const double Midnight = encodeDateTime(CalendarTime{2004, 3, 1, 0, 0, 0, 0, 0});

TEST(FormatDateTime, EverySpecifier) {
    const LocaleSettings l = english();
    struct Case {
        const char* format;
        double when;
        const char* expected;
    };
    const Case cases[] = {
        {"yyyymmdd", Afternoon, "20261206"},
        {"d dd ddd dddd", Morning, "1 01 Mon Monday"},
        {"aaa aaaa", Afternoon, "Sun Sunday"},
        {"ddddd", Afternoon, "06/12/2026"},
        {"dddddd", Afternoon, "Sunday, 6 December 2026"},
        {"m mm mmm mmmm", Morning, "3 03 Mar March"},
        {"y yy yyy yyyy", Morning, "04 04 2004 2004"},
        {"h hh n nn s ss", Morning, "0 00 7 07 3 03"},
        {"z zzz", Afternoon, "7 007"},
        {"z zz", Morning, "250 250"},
        {"hh:mm", Afternoon, "14:05"},
        {"h-m", Afternoon, "14-5"},
        {"hd m", Afternoon, "146 12"},
        {"h\"x\"mm", Afternoon, "14x05"},
        {"h am/pm", Afternoon, "2 pm"},
        {"h AM/PM", Morning, "12 AM"},
        {"hh Am/pM", Afternoon, "02 pM"},
        {"h a/p", Afternoon, "2 p"},
        {"h A/P", Morning, "12 A"},
        {"h ampm", Afternoon, "2 PM"},
        {"h ampm", Morning, "12 AM"},
        {"h h ampm", Afternoon, "14 2 PM"},
        {"h 'am/pm'", Afternoon, "14 am/pm"},
        {"h x am/pm", Afternoon, "2 x pm"},
        {"a", Afternoon, "a"},
        {"t", Afternoon, "14:05"},
        {"tt", Afternoon, "14:05:09"},
        {"c", Afternoon, "06/12/2026 14:05:09"},
        {"c", Midnight, "01/03/2004"},
        {"", Afternoon, "06/12/2026 14:05:09"},
        {"dd/mm/yy hh:nn", Afternoon, "06/12/26 14:05"},
        {"'it''s' \"yyyy\"", Afternoon, "its yyyy"},
        {"\"unclosed yyyy", Afternoon, "unclosed yyyy"},
        {"e g ee", Afternoon, "  "},
        {"YYYY-MM-DD", Afternoon, "2026-12-06"},
        {"[x]#%", Afternoon, "[x]#%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatDateTime(c.format, c.when, l), c.expected) << c.format;
    }
}

TEST(FormatDateTime, FollowsTheLocale) {
    const LocaleSettings l = german();
    EXPECT_EQ(formatDateTime("c", Afternoon, l), "06.12.2026 14:05:09");
    EXPECT_EQ(formatDateTime("dd/mm/yyyy", Afternoon, l), "06.12.2026");
    EXPECT_EQ(formatDateTime("dddddd", Morning, l), "Montag, 1. M\xE4rz 2004");
    EXPECT_EQ(formatDateTime("ddd mmm", Morning, l), "Mo M\xE4r");
    EXPECT_EQ(formatDateTime("h ampm", Afternoon, l), "2 ");

    LocaleSettings twelveHour = english();
    twelveHour.timeSeparator = '.';
    twelveHour.shortTimeFormat = "h:nn ampm";
    EXPECT_EQ(formatDateTime("t", Afternoon, twelveHour), "2.05 PM");
}

TEST(FormatDateTime, OutputStopsAt256Characters) {
    const LocaleSettings l = english();
    EXPECT_EQ(formatDateTime(std::string(300, 'x'), Afternoon, l), std::string(256, 'x'));
    EXPECT_EQ(formatDateTime(std::string(100, 'c'), Afternoon, l).size(), 256u);
    // A locale format that names itself does not recurse without end.
    LocaleSettings looping = english();
    looping.shortDateFormat = "ddddd";
    EXPECT_EQ(formatDateTime("ddddd!", Afternoon, looping), "!");
}

}  // namespace
}  // namespace mq
