#include "store/DateTime.h"
#include "store/TMessHead.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <tuple>

namespace mq {
namespace {

constexpr std::uint64_t TicksPerHour = 36'000'000'000ull;
// 2002-04-14 00:27:57 UTC, and 12:00 UTC of the same day.
constexpr std::uint64_t Received = 126632176770000000ull;
constexpr std::uint64_t Noon = 126632160000000000ull + 12 * TicksPerHour;

CalendarTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    CalendarTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s,
    t.millisecond = ms;
    return t;
}

void expectSame(const CalendarTime& a, const CalendarTime& b) {
    EXPECT_EQ(std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.millisecond),
              std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.millisecond));
}

TimeZoneNow zone(TimeZoneNow::Id id, int bias, int daylightBias = 0) {
    TimeZoneNow z;
    z.id = id;
    z.bias = bias;
    z.daylightBias = daylightBias;
    return z;
}

TEST(DateTime, DaysSince18991230WithTheTimeAsFraction) {
    EXPECT_EQ(encodeDateTime(at(1899, 12, 30)), 0.0);
    EXPECT_EQ(decodeDateTime(0.0).dayOfWeek, 6);  // a Saturday
    EXPECT_EQ(encodeDateTime(at(1899, 12, 29, 12)), -1.5);
    EXPECT_EQ(encodeDateTime(at(1900, 3, 1)), 61.0);  // 1900 had no 29 February
    EXPECT_EQ(encodeDateTime(at(2000, 3, 1)) - encodeDateTime(at(2000, 2, 28)), 2.0);
    EXPECT_EQ(decodeDateTime(encodeDateTime(at(2002, 4, 14))).dayOfWeek, 0);  // a Sunday

    for (const CalendarTime& t :
         {at(1, 1, 1), at(1601, 1, 1, 0, 0, 0, 1), at(1899, 12, 29, 23, 59, 59, 999),
          at(2000, 2, 29, 13, 45, 30, 250), at(9999, 12, 31, 23, 59, 59, 999)})
        expectSame(decodeDateTime(encodeDateTime(t)), t);
    // Rounded to the millisecond: just before midnight is midnight of the next day.
    expectSame(decodeDateTime(encodeDateTime(at(2002, 4, 14)) - 1e-10), at(2002, 4, 14));
    expectSame(decodeDateTime(std::nan("")), at(1899, 12, 30));
    expectSame(decodeDateTime(3e6), at(1899, 12, 30));
}

TEST(DateTime, FiletimeToLocalByTheZoneInForceNow) {
    const double utcNoon = FiletimeToDatetime(Noon, {});
    expectSame(decodeDateTime(utcNoon), at(2002, 4, 14, 12));
    expectSame(decodeDateTime(FiletimeToDatetime(Noon, zone(TimeZoneNow::Id::Standard, -120))),
               at(2002, 4, 14, 14));
    expectSame(decodeDateTime(FiletimeToDatetime(Noon, zone(TimeZoneNow::Id::Daylight, 60, -60))),
               at(2002, 4, 14, 12));
    // Milliseconds are kept, the rest of the 100 ns ticks dropped.
    expectSame(decodeDateTime(FiletimeToDatetime(Received + 12'345'678, {})),
               at(2002, 4, 14, 0, 27, 58, 234));

    EXPECT_EQ(FiletimeToDatetime(0, {}), 0.0);
    EXPECT_EQ(FiletimeToDatetime(1, zone(TimeZoneNow::Id::Standard, 60)), 0.0);  // before 1601
    EXPECT_EQ(FiletimeToDatetime(~0ull, {}), 0.0);
    expectSame(decodeDateTime(FiletimeToDatetime(1, {})), at(1601, 1, 1));

    // The default reads the zone now: a fixed zone two hours ahead, no daylight time.
    const char* saved = std::getenv("TZ");
    const std::string old = saved ? saved : "";
    ::setenv("TZ", "MQT-2", 1);
    ::tzset();
    expectSame(decodeDateTime(FiletimeToDatetime(Noon)), at(2002, 4, 14, 14));
    EXPECT_DOUBLE_EQ(LocalToUtc(FiletimeToDatetime(Noon)), utcNoon);
    std::vector<Toe5_MessageInfo> infos(2);
    infos[1].Subject = "s", infos[1].From = "f", infos[1].To = "t", infos[1].ReplyTo = "r";
    infos[1].MessageSize = 0xFFFFFF, infos[1].MessagePosition = 60116;
    const std::vector<TMessHead> heads = buildMessageList(infos);
    saved ? ::setenv("TZ", old.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_EQ(heads[0].Received, 0.0);
    EXPECT_EQ(heads[1].InfoIndex, 1);
    EXPECT_EQ(heads[1].Position, 60116);
    EXPECT_EQ(heads[1].Size, 0xFFFFFF);
    EXPECT_EQ(heads[1].From + heads[1].ReplyTo + heads[1].Subject + heads[1].To, "frst");
}

TEST(DateTime, LocalBackToUtcAndFiletime) {
    const double tenLocal = encodeDateTime(at(2002, 4, 14, 10));
    expectSame(decodeDateTime(LocalToUtc(tenLocal, zone(TimeZoneNow::Id::Standard, -60, -60))),
               at(2002, 4, 14, 9));
    expectSame(decodeDateTime(LocalToUtc(tenLocal, zone(TimeZoneNow::Id::Daylight, -60, -60))),
               at(2002, 4, 14, 8));

    std::uint64_t ft = 0;
    ASSERT_TRUE(DatetimeToFiletime(FiletimeToDatetime(Received, {}), ft));
    EXPECT_EQ(ft, Received);
    ASSERT_TRUE(DatetimeToFiletime(encodeDateTime(at(1601, 1, 1)), ft));
    EXPECT_EQ(ft, 0u);
    EXPECT_FALSE(DatetimeToFiletime(encodeDateTime(at(1600, 12, 31, 23)), ft));
    EXPECT_FALSE(DatetimeToFiletime(1e7, ft));
}

}  // namespace
}  // namespace mq
