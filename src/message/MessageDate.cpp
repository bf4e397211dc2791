#include "message/MessageDate.h"

#include "message/GmimeObjects.h"

#include <string>

namespace mq {

namespace {

// From 1601-01-01 (FILETIME) to 1970-01-01 (Unix time).
constexpr std::int64_t SecondsBefore1970 = 11'644'473'600;
constexpr std::int64_t TicksPerSecond = 10'000'000;

struct DateTimeUnref {
    void operator()(GDateTime* date) const { g_date_time_unref(date); }
};

}  // namespace

std::optional<std::uint64_t> parseMessageDate(std::string_view value) {
    initGmime();
    const std::string text(value);
    const std::unique_ptr<GDateTime, DateTimeUnref> date(
        g_mime_utils_header_decode_date(text.c_str()));
    if (!date) return std::nullopt;
    const std::int64_t seconds = g_date_time_to_unix(date.get()) + SecondsBefore1970;
    if (seconds < 0) return std::nullopt;
    return static_cast<std::uint64_t>(seconds) * TicksPerSecond;
}

}  // namespace mq
