#include "platform/FileTimes.h"
#include "platform/LocaleCompare.h"
#include "platform/LocaleSettings.h"
#include "platform/TimeZone.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <locale.h>
#endif

namespace mq {
namespace {

#ifdef _WIN32

std::uint64_t filetime(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

TEST(FileTimes, SetCreationAccessAndModificationTimeFromAFiletime) {
    test::TempDir dir;
    const auto path = dir.path() / "message.eml";
    test::writeFile(path, "x");
    // 2002-04-14 00:27:57.1234567 UTC
    ASSERT_TRUE(setFileTimes(test::toUtf8(path), 126632176771234567ull));
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME created{}, accessed{}, written{};
    ASSERT_TRUE(GetFileTime(file, &created, &accessed, &written));
    CloseHandle(file);
    EXPECT_EQ(filetime(created), 126632176771234567ull);
    EXPECT_EQ(filetime(accessed), 126632176771234567ull);
    EXPECT_EQ(filetime(written), 126632176771234567ull);
    EXPECT_FALSE(setFileTimes(test::toUtf8(dir.path() / "missing"), 126632176770000000ull));
}

#else

TEST(FileTimes, SetAccessAndModificationTimeFromAFiletime) {
    test::TempDir dir;
    const std::string path = (dir.path() / "message.eml").string();
    test::writeFile(path, "x");
    // 2002-04-14 00:27:57.1234567 UTC
    ASSERT_TRUE(setFileTimes(path, 126632176771234567ull));
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, 1018744077);
    EXPECT_EQ(status.st_mtim.tv_nsec, 123456700);
    EXPECT_EQ(status.st_atim.tv_sec, 1018744077);
    // Before 1970.
    ASSERT_TRUE(setFileTimes(path, 116444736000000000ull - 10'000'000ull));
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, -1);
    EXPECT_FALSE(setFileTimes((dir.path() / "missing").string(), 126632176770000000ull));
}

#endif

TEST(TimeZone, BiasAndDaylightFlagFollowTheZoneInForce) {
    if (!test::ScopedTimeZone::supported) GTEST_SKIP() << test::ScopedTimeZone::unsupportedReason;
    {
        test::ScopedTimeZone zone("UTC0");
        const TimeZoneNow now = timeZoneNow();
        EXPECT_EQ(now.id, TimeZoneNow::Id::Standard);
        EXPECT_EQ(now.offsetMinutes(), 0);
    }
    {
        // No daylight time at all: still standard time, so the bias is applied.
        test::ScopedTimeZone zone("JST-9");
        const TimeZoneNow now = timeZoneNow();
        EXPECT_EQ(now.id, TimeZoneNow::Id::Standard);
        EXPECT_EQ(now.bias, -540);
        EXPECT_EQ(now.daylightBias, 0);
        EXPECT_EQ(now.offsetMinutes(), 540);
    }
    // Which half of the year is in force depends on today; both answers are checked whole.
    for (const char* rules : {"CET-1CEST,M3.5.0,M10.5.0/3", "AEST-10AEDT,M10.1.0,M4.1.0/3"}) {
        test::ScopedTimeZone zone(rules);
        const TimeZoneNow now = timeZoneNow();
        const int standard = rules[0] == 'C' ? -60 : -600;
        EXPECT_EQ(now.bias, standard) << rules;
        EXPECT_EQ(now.daylightBias, -60) << rules;
        ASSERT_NE(now.id, TimeZoneNow::Id::Unknown);
        const bool daylight = now.id == TimeZoneNow::Id::Daylight;
        EXPECT_EQ(now.offsetMinutes(), -standard + (daylight ? 60 : 0)) << rules;
    }
}

#ifdef _WIN32
// The bias and the flag describe the zone the system converts with now.
TEST(TimeZone, TheOffsetNowIsTheSystemsLocalTimeLessUtc) {
    FILETIME utc{}, local{};
    GetSystemTimeAsFileTime(&utc);
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    const auto difference =
        static_cast<std::int64_t>(filetime(local)) - static_cast<std::int64_t>(filetime(utc));
    EXPECT_EQ(timeZoneNow().offsetMinutes(), difference / 600'000'000);
}
#endif

TEST(LocaleCompare, IgnoresLetterCaseAndOrdersPrefixesFirst) {
    EXPECT_EQ(localeCompareIgnoreCase("Anne@Example.COM", "anne@example.com"), 0);
    EXPECT_LT(localeCompareIgnoreCase("alpha", "Beta"), 0);
    EXPECT_GT(localeCompareIgnoreCase("Beta", "alpha"), 0);
    EXPECT_LT(localeCompareIgnoreCase("", "a"), 0);
    EXPECT_LT(localeCompareIgnoreCase("abc", "abcd"), 0);
    EXPECT_GT(localeCompareIgnoreCase("b", "a_"), 0);
}

#ifdef _WIN32

// The system's pictures in the formatter's letters.
TEST(LocaleSettings, TheUsersPicturesBecomeTheFormattersLetters) {
    char name[LOCALE_NAME_MAX_LENGTH] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SNAME, name, sizeof name);
    if (std::string(name) != "en-US")
        GTEST_SKIP() << "the expected settings are those of English (United States), not " << name;
    const LocaleSettings& s = LocaleSettings::user();
    EXPECT_EQ(s.shortDateFormat, "m/d/yyyy");
    EXPECT_EQ(s.longTimeFormat, "h:nn:ss ampm");
    EXPECT_EQ(s.shortTimeFormat, "h:nn ampm");
    EXPECT_EQ(s.dateSeparator, '/');
    EXPECT_EQ(s.timeSeparator, ':');
    EXPECT_EQ(s.timeAMString, "AM");
    EXPECT_EQ(s.longDayNames[0], "Sunday");  // Windows counts from Monday
    EXPECT_EQ(s.shortMonthNames[11], "Dec");
}

#else

TEST(LocaleSettings, TheCLocaleAndMissingLocalesGiveTheFixedSettings) {
    const LocaleSettings fixed;
    for (const char* name : {"C", "C.UTF-8", "POSIX", "xx_NOWHERE.UTF-8"}) {
        const LocaleSettings s = LocaleSettings::forLocale(name);
        EXPECT_EQ(s.shortDateFormat, "dd/mm/yyyy") << name;
        EXPECT_EQ(s.longTimeFormat, "hh:nn:ss") << name;
        EXPECT_EQ(s.dateSeparator, '/') << name;
        EXPECT_EQ(s.timeSeparator, ':') << name;
        EXPECT_EQ(s.decimalSeparator, '.') << name;
        EXPECT_EQ(s.thousandSeparator, ",") << name;
        EXPECT_EQ(s.timeAMString, "AM") << name;
        EXPECT_EQ(s.longDayNames, fixed.longDayNames) << name;
        EXPECT_EQ(s.shortMonthNames, fixed.shortMonthNames) << name;
    }
}

TEST(LocaleSettings, SeparatorsOfAnInstalledLocaleBecomePlaceholders) {
    locale_t installed = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
    if (!installed) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    freelocale(installed);
    const LocaleSettings de = LocaleSettings::forLocale("de_DE.UTF-8");
    EXPECT_EQ(de.shortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(de.dateSeparator, '.');
    EXPECT_EQ(de.decimalSeparator, ',');
    EXPECT_EQ(de.thousandSeparator, ".");
    EXPECT_EQ(de.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(de.shortTimeFormat, "hh:nn");
    EXPECT_EQ(de.longMonthNames[11], "Dezember");
    EXPECT_EQ(de.shortDayNames[0], "So");
}

#endif

}  // namespace
}  // namespace mq
