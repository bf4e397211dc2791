#include "platform/FileTimes.h"
#include "platform/LocaleCompare.h"
#include "platform/LocaleSettings.h"
#include "platform/TimeZone.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <locale.h>
#include <cstdlib>
#include <ctime>

namespace mq {
namespace {

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

class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (old_) {
            setenv("TZ", old_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::optional<std::string> old_;
};

TEST(TimeZone, BiasAndDaylightFlagFollowTheZoneInForce) {
    {
        ZoneScope zone("UTC0");
        const TimeZoneNow now = timeZoneNow();
        EXPECT_EQ(now.id, TimeZoneNow::Id::Standard);
        EXPECT_EQ(now.offsetMinutes(), 0);
    }
    {
        // No daylight time at all: still standard time, so the bias is applied.
        ZoneScope zone("JST-9");
        const TimeZoneNow now = timeZoneNow();
        EXPECT_EQ(now.id, TimeZoneNow::Id::Standard);
        EXPECT_EQ(now.bias, -540);
        EXPECT_EQ(now.daylightBias, 0);
        EXPECT_EQ(now.offsetMinutes(), 540);
    }
    // Which half of the year is in force depends on today; both answers are checked whole.
    for (const char* rules : {"CET-1CEST,M3.5.0,M10.5.0/3", "AEST-10AEDT,M10.1.0,M4.1.0/3"}) {
        ZoneScope zone(rules);
        const TimeZoneNow now = timeZoneNow();
        const int standard = rules[0] == 'C' ? -60 : -600;
        EXPECT_EQ(now.bias, standard) << rules;
        EXPECT_EQ(now.daylightBias, -60) << rules;
        ASSERT_NE(now.id, TimeZoneNow::Id::Unknown);
        const bool daylight = now.id == TimeZoneNow::Id::Daylight;
        EXPECT_EQ(now.offsetMinutes(), -standard + (daylight ? 60 : 0)) << rules;
    }
}

TEST(LocaleCompare, IgnoresLetterCaseAndOrdersPrefixesFirst) {
    EXPECT_EQ(localeCompareIgnoreCase("Anne@Example.COM", "anne@example.com"), 0);
    EXPECT_LT(localeCompareIgnoreCase("alpha", "Beta"), 0);
    EXPECT_GT(localeCompareIgnoreCase("Beta", "alpha"), 0);
    EXPECT_LT(localeCompareIgnoreCase("", "a"), 0);
    EXPECT_LT(localeCompareIgnoreCase("abc", "abcd"), 0);
    EXPECT_GT(localeCompareIgnoreCase("b", "a_"), 0);
}

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

}  // namespace
}  // namespace mq
