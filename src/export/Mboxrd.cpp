#include "export/Mboxrd.h"

#include "extract/AddressScanning.h"
#include "extract/FoundAddresses.h"
#include "store/DateTime.h"
#include "store/RawHeaderField.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace mq {

namespace {

std::string senderAddress(std::string_view text, const TEmailChk& checker) {
    for (const std::string_view field : {"Return-Path", "From"}) {
        FoundAddresses found;
        FindAddresses(rawHeaderField(text, field).value_or(std::string()), checker, found);
        if (!found.empty()) return found.items().front();
    }
    return "MAILER-DAEMON";
}

// A header field's first line: a name of visible ASCII characters, then its colon.
bool startsWithHeaderLine(std::string_view text) {
    std::size_t name = 0;
    while (name < text.size() && text[name] > ' ' && text[name] <= '~' && text[name] != ':') ++name;
    return name > 0 && name < text.size() && text[name] == ':';
}

}  // namespace

std::string mboxFromLine(std::string_view text, std::uint64_t date, const TEmailChk& checker) {
    static constexpr std::array<const char*, 7> Days{"Sun", "Mon", "Tue", "Wed",
                                                     "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> Months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // No zone offset: the date as it was in UTC.
    const CalendarTime t = decodeDateTime(FiletimeToDatetime(date, TimeZoneNow{}));
    char when[40];
    std::snprintf(when, sizeof when, " %s %s %2d %02d:%02d:%02d %d\n", Days[t.dayOfWeek % 7],
                  Months[(t.month + 11) % 12], t.day, t.hour, t.minute, t.second, t.year);
    return "From " + senderAddress(text, checker) + when;
}

void appendMboxrdMessage(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() + 64);
    if (!startsWithHeaderLine(text)) out.append(FragmentLine);
    std::size_t copied = 0;
    for (std::size_t line = 0; line < text.size();) {
        std::size_t from = line;
        while (from < text.size() && text[from] == '>') ++from;
        if (text.substr(from).starts_with("From ")) {
            out.append(text.substr(copied, line - copied)).push_back('>');
            copied = line;
        }
        const void* end = std::memchr(text.data() + line, '\n', text.size() - line);
        if (end == nullptr) break;
        line = static_cast<std::size_t>(static_cast<const char*>(end) - text.data()) + 1;
    }
    out.append(text.substr(copied));
    if (!text.ends_with('\n')) out.append("\r\n");
    out.push_back('\n');
}

}  // namespace mq
