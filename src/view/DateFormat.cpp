#include "view/DateFormat.h"

#include "store/DateTime.h"

#include <cstdio>

namespace mq {

namespace {

constexpr std::size_t MaxLength = 256;
// The locale's own formats may name the whole-date letters again; one level of nesting is
// all a sane locale needs.
constexpr int MaxNesting = 2;

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (upper(text[at + i]) != upper(word[i])) return false;
    }
    return true;
}

bool isAmPmAt(std::string_view format, std::size_t at) {
    return startsWithIgnoringCase(format, at, "AM/PM") ||
           startsWithIgnoringCase(format, at, "A/P") || startsWithIgnoringCase(format, at, "AMPM");
}

// Whether the hour at `from` uses the 12-hour clock: the first a or h after it, outside
// quoted text, must begin an am/pm specifier.
bool twelveHourClock(std::string_view format, std::size_t from) {
    for (std::size_t i = from; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = format.find(c, i + 1);
            if (close == std::string_view::npos) return false;
            i = close;
            continue;
        }
        const char u = upper(c);
        if (u == 'H') return false;
        if (u == 'A') return isAmPmAt(format, i);
    }
    return false;
}

class DateFormatter {
public:
    DateFormatter(double dateTime, const LocaleSettings& locale)
        : locale_(locale), t_(decodeDateTime(dateTime)) {}

    void append(std::string_view format, int nesting) {
        if (nesting > MaxNesting) return;
        char lastToken = ' ';
        std::size_t i = 0;
        while (i < format.size() && out_.size() < MaxLength) {
            const char c = format[i];
            char token = upper(c);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H') token = 'N';
                lastToken = token;
            }
            const std::size_t count = runLength(format, i);
            switch (token) {
                case 'Y':
                    emitNumber(count <= 2 ? t_.year % 100 : t_.year, count <= 2 ? 2 : 4);
                    i += count;
                    break;
                case 'G':
                case 'E':
                    // No era calendar in the settings: eras write nothing.
                    i += count;
                    break;
                case 'M':
                    emitMonth(count);
                    i += count;
                    break;
                case 'D':
                    emitDay(count, nesting);
                    i += count;
                    break;
                case 'H': {
                    int hour = t_.hour;
                    if (twelveHourClock(format, i + count)) {
                        hour %= 12;
                        if (hour == 0) hour = 12;
                    }
                    emitNumber(hour, count == 1 ? 1 : 2);
                    i += count;
                    break;
                }
                case 'N':
                    emitNumber(t_.minute, count == 1 ? 1 : 2);
                    i += count;
                    break;
                case 'S':
                    emitNumber(t_.second, count == 1 ? 1 : 2);
                    i += count;
                    break;
                case 'Z':
                    emitNumber(t_.millisecond, count == 1 ? 1 : 3);
                    i += count;
                    break;
                case 'T':
                    append(count == 1 ? locale_.shortTimeFormat : locale_.longTimeFormat,
                           nesting + 1);
                    i += count;
                    break;
                case 'C':
                    emitWhole(nesting);
                    i += 1;
                    break;
                case 'A':
                    i += emitA(format, i);
                    break;
                case '/':
                    emit(std::string_view(&locale_.dateSeparator, 1));
                    i += 1;
                    break;
                case ':':
                    emit(std::string_view(&locale_.timeSeparator, 1));
                    i += 1;
                    break;
                case '"':
                case '\'': {
                    const std::size_t close = format.find(c, i + 1);
                    const std::size_t end = close == std::string_view::npos ? format.size() : close;
                    emit(format.substr(i + 1, end - i - 1));
                    i = close == std::string_view::npos ? format.size() : close + 1;
                    break;
                }
                default:
                    emit(format.substr(i, 1));
                    i += 1;
                    break;
            }
        }
    }

    void emitWhole(int nesting) {
        append(locale_.shortDateFormat, nesting + 1);
        if (t_.hour != 0 || t_.minute != 0 || t_.second != 0) {
            emit(" ");
            append(locale_.longTimeFormat, nesting + 1);
        }
    }

    std::string take() { return std::move(out_); }

private:
    // Letters repeat case-insensitively: "Dd" is a run of two.
    static std::size_t runLength(std::string_view format, std::size_t at) {
        const char u = upper(format[at]);
        if (u < 'A' || u > 'Z') return 1;
        std::size_t end = at + 1;
        while (end < format.size() && upper(format[end]) == u) ++end;
        return end - at;
    }

    void emit(std::string_view text) {
        const std::size_t room = MaxLength - out_.size();
        out_.append(text.substr(0, room));
    }

    void emitNumber(int value, int width) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
        emit(buffer);
    }

    void emitMonth(std::size_t count) {
        const auto index = static_cast<std::size_t>(t_.month - 1) % 12;
        if (count <= 2) {
            emitNumber(t_.month, static_cast<int>(count));
        } else {
            emit(count == 3 ? locale_.shortMonthNames[index] : locale_.longMonthNames[index]);
        }
    }

    void emitDay(std::size_t count, int nesting) {
        const auto weekday = static_cast<std::size_t>(t_.dayOfWeek) % 7;
        switch (count) {
            case 1:
            case 2:
                emitNumber(t_.day, static_cast<int>(count));
                break;
            case 3:
                emit(locale_.shortDayNames[weekday]);
                break;
            case 4:
                emit(locale_.longDayNames[weekday]);
                break;
            case 5:
                append(locale_.shortDateFormat, nesting + 1);
                break;
            default:
                append(locale_.longDateFormat, nesting + 1);
                break;
        }
    }

    // The letter a: am/pm forms, weekday names, or itself. Returns the characters used.
    std::size_t emitA(std::string_view format, std::size_t at) {
        const bool afternoon = t_.hour >= 12;
        if (startsWithIgnoringCase(format, at, "AM/PM")) {
            emit(format.substr(afternoon ? at + 3 : at, 2));
            return 5;
        }
        if (startsWithIgnoringCase(format, at, "A/P")) {
            emit(format.substr(afternoon ? at + 2 : at, 1));
            return 3;
        }
        if (startsWithIgnoringCase(format, at, "AMPM")) {
            emit(afternoon ? locale_.timePMString : locale_.timeAMString);
            return 4;
        }
        const auto weekday = static_cast<std::size_t>(t_.dayOfWeek) % 7;
        if (startsWithIgnoringCase(format, at, "AAAA")) {
            emit(locale_.longDayNames[weekday]);
            return 4;
        }
        if (startsWithIgnoringCase(format, at, "AAA")) {
            emit(locale_.shortDayNames[weekday]);
            return 3;
        }
        emit(format.substr(at, 1));
        return 1;
    }

    const LocaleSettings& locale_;
    CalendarTime t_;
    std::string out_;
};

}  // namespace

std::string formatDateTime(std::string_view format, double dateTime, const LocaleSettings& locale) {
    DateFormatter formatter(dateTime, locale);
    if (format.empty()) {
        formatter.emitWhole(0);
    } else {
        formatter.append(format, 0);
    }
    return formatter.take();
}

}  // namespace mq
