#include "store/DateTime.h"
#include "store/TMessHead.h"
#include "support/Environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <tuple>

namespace mq {
namespace {

constexpr std::uint64_t TicksPerHour = 36'000'000'000ull;
constexpr std::uint64_t Received = 126632176770000000ull;  // 2002-04-14 00:27:57 UTC
constexpr std::uint64_t Noon = Received - 16'770'000'000ull + 12 * TicksPerHour;

CalendarTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    CalendarTime t;
    std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond) =
        std::tie(y, mo, d, h, mi, s, ms);
    return t;
}

void expectAt(double dateTime, const CalendarTime& e) {
    const CalendarTime a = decodeDateTime(dateTime);
    EXPECT_EQ(std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.millisecond),
              std::tie(e.year, e.month, e.day, e.hour, e.minute, e.second, e.millisecond))
        << dateTime;
}

TimeZoneNow zone(TimeZoneNow::Id id, int bias, int daylightBias = 0) {
    TimeZoneNow z;
    std::tie(z.id, z.bias, z.daylightBias) = std::tie(id, bias, daylightBias);
    return z;
}

TEST(DateTime, DaysSince18991230WithTheTimeAsFraction) {
    EXPECT_EQ(encodeDateTime(at(1899, 12, 30)), 0.0);
    EXPECT_EQ(encodeDateTime(at(1899, 12, 29, 12)), -1.5);
    EXPECT_EQ(encodeDateTime(at(1900, 3, 1)), 61.0);  // 1900 had no 29 February
    EXPECT_EQ(decodeDateTime(0.0).dayOfWeek, 6);      // a Saturday
    EXPECT_EQ(decodeDateTime(encodeDateTime(at(2002, 4, 14))).dayOfWeek, 0);
    for (const CalendarTime& t :
         {at(1, 1, 1), at(1601, 1, 1, 0, 0, 0, 1), at(1899, 12, 29, 23, 59, 59, 999),
          at(2000, 2, 29, 13, 45, 30, 250), at(9999, 12, 31, 23, 59, 59, 999)})
        expectAt(encodeDateTime(t), t);
    // Rounded to the millisecond: just before midnight is the next day.
    expectAt(encodeDateTime(at(2002, 4, 14)) - 1e-10, at(2002, 4, 14));
    expectAt(std::nan(""), at(1899, 12, 30));
    expectAt(3e6, at(1899, 12, 30));
}

TEST(DateTime, FiletimeToLocalByTheZoneInForceNowAndBack) {
    expectAt(FiletimeToDatetime(Noon, zone(TimeZoneNow::Id::Standard, -120)), at(2002, 4, 14, 14));
    expectAt(FiletimeToDatetime(Noon, zone(TimeZoneNow::Id::Daylight, 60, -60)),
             at(2002, 4, 14, 12));
    expectAt(FiletimeToDatetime(Received + 12'345'678, {}), at(2002, 4, 14, 0, 27, 58, 234));
    EXPECT_EQ(FiletimeToDatetime(0, {}), 0.0);
    EXPECT_EQ(FiletimeToDatetime(1, zone(TimeZoneNow::Id::Standard, 60)), 0.0);  // before 1601
    EXPECT_EQ(FiletimeToDatetime(~0ull, {}), 0.0);

    const double ten = encodeDateTime(at(2002, 4, 14, 10));
    expectAt(LocalToUtc(ten, zone(TimeZoneNow::Id::Standard, -60, -60)), at(2002, 4, 14, 9));
    expectAt(LocalToUtc(ten, zone(TimeZoneNow::Id::Daylight, -60, -60)), at(2002, 4, 14, 8));
    std::uint64_t ft = 0;
    ASSERT_TRUE(DatetimeToFiletime(FiletimeToDatetime(Received, {}), ft));
    EXPECT_EQ(ft, Received);
    EXPECT_FALSE(DatetimeToFiletime(encodeDateTime(at(1600, 12, 31, 23)), ft));

    // Without a zone given, the zone now: where a process can choose its zone, one fixed two
    // hours ahead with no daylight time; on Windows the system's own.
    std::optional<test::ScopedTimeZone> fixedZone;
    if (test::ScopedTimeZone::supported) fixedZone.emplace("MQT-2");
    const double noon = FiletimeToDatetime(Noon);
    EXPECT_DOUBLE_EQ(noon, FiletimeToDatetime(Noon, timeZoneNow()));
    if (fixedZone) expectAt(noon, at(2002, 4, 14, 14));
    EXPECT_DOUBLE_EQ(LocalToUtc(noon), FiletimeToDatetime(Noon, {}));
    Toe5_MessageInfo info;
    info.Subject = "s", info.From = "f", info.To = "t", info.ReplyTo = "r";
    info.ReceivedDate = Noon, info.MessageSize = 0xFFFFFF, info.MessagePosition = 9;
    MessageInfoList infos;
    infos.push_back({});
    infos.push_back(info);
    const std::vector<TMessHead> heads = buildMessageList(infos);
    fixedZone.reset();
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_EQ(heads[0].Received, 0.0);
    const TMessHead& h = heads[1];
    EXPECT_EQ(
        std::string(h.From) + std::string(h.ReplyTo) + std::string(h.Subject) + std::string(h.To),
        "frst");
    EXPECT_EQ(std::tie(h.Position, h.Size, h.InfoIndex), std::make_tuple(9, 0xFFFFFF, 1));
    EXPECT_DOUBLE_EQ(h.Received, noon);
}

}  // namespace
}  // namespace mq
