#include "platform/LocaleSettings.h"

#include "platform/AnsiCodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#endif

namespace mq {

namespace {

// A time format without its seconds, for systems that name no short time format.
std::string withoutSeconds(std::string format) {
    const std::size_t seconds = format.find(":ss");
    if (seconds != std::string::npos) format.erase(seconds, 3);
    return format;
}

#ifdef _WIN32

std::string info(LCTYPE type, const std::string& fallback) {
    char buffer[256];
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : fallback;
}

// Windows pictures ("M/d/yyyy", "h:mm:ss tt") in the formatter's letters, the separator
// written as '/' or ':' as the formatter expects.
std::string fromPicture(const std::string& picture, char separator, char placeholder, bool time) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const char c = picture[i];
        if (c == '\'') quoted = !quoted;
        if (quoted || c == '\'') {
            out += c == '\'' ? '"' : c;
        } else if (c == separator) {
            out += placeholder;
        } else if (time && (c == 'm' || c == 'M')) {
            out += 'n';
        } else if (time && (c == 'H')) {
            out += 'h';
        } else if (time && c == 't') {
            while (i + 1 < picture.size() && picture[i + 1] == 't') ++i;
            out += "ampm";
        } else {
            out += c == 'M' ? 'm' : c;
        }
    }
    return out;
}

LocaleSettings readSettings() {
    LocaleSettings s;
    const std::string date = info(LOCALE_SDATE, "/");
    const std::string time = info(LOCALE_STIME, ":");
    s.dateSeparator = date.empty() ? '/' : date[0];
    s.timeSeparator = time.empty() ? ':' : time[0];
    s.shortDateFormat =
        fromPicture(info(LOCALE_SSHORTDATE, "dd/MM/yyyy"), s.dateSeparator, '/', false);
    s.longDateFormat =
        fromPicture(info(LOCALE_SLONGDATE, "dddd, d MMMM yyyy"), s.dateSeparator, '/', false);
    s.longTimeFormat =
        fromPicture(info(LOCALE_STIMEFORMAT, "HH:mm:ss"), s.timeSeparator, ':', true);
    // Systems before Windows 7 (and Wine) name no short time format.
    const std::string shortTime = info(LOCALE_SSHORTTIME, "");
    s.shortTimeFormat = shortTime.empty() ? withoutSeconds(s.longTimeFormat)
                                          : fromPicture(shortTime, s.timeSeparator, ':', true);
    const std::string decimal = info(LOCALE_SDECIMAL, ".");
    s.decimalSeparator = decimal.empty() ? '.' : decimal[0];
    s.thousandSeparator = info(LOCALE_STHOUSAND, "");
    s.timeAMString = info(LOCALE_S1159, "");
    s.timePMString = info(LOCALE_S2359, "");
    for (int d = 0; d < 7; ++d) {
        // Windows counts Monday first; the settings count Sunday first.
        const int w = (d + 6) % 7;
        s.shortDayNames[d] =
            info(static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + w), s.shortDayNames[d]);
        s.longDayNames[d] = info(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + w), s.longDayNames[d]);
    }
    for (int m = 0; m < 12; ++m) {
        s.shortMonthNames[m] =
            info(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m), s.shortMonthNames[m]);
        s.longMonthNames[m] =
            info(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m), s.longMonthNames[m]);
    }
    return s;
}

#else

// A text of the locale in the ANSI code page.
class LocaleTexts {
public:
    explicit LocaleTexts(locale_t locale) : locale_(locale) {
        const char* codeset = nl_langinfo_l(CODESET, locale);
        const bool utf8 =
            std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0;
        if (!utf8) toUtf8_ = iconv_open("UTF-8", codeset);
    }
    ~LocaleTexts() {
        if (toUtf8_ != kNone) iconv_close(toUtf8_);
    }
    LocaleTexts(const LocaleTexts&) = delete;
    LocaleTexts& operator=(const LocaleTexts&) = delete;

    std::string operator()(nl_item item) const {
        return AnsiCodePage::system().fromUtf8(toUtf8(nl_langinfo_l(item, locale_)));
    }
    std::string toUtf8(std::string text) const {
        return toUtf8_ == kNone ? text : convert(std::move(text));
    }

private:
    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

    std::string convert(std::string text) const {
        std::string out(text.size() * 4 + 4, '\0');
        char* in = text.data();
        std::size_t inLeft = text.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        iconv(toUtf8_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(toUtf8_, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            return {};
        }
        out.resize(out.size() - outLeft);
        return out;
    }

    locale_t locale_;
    iconv_t toUtf8_ = kNone;
};

// The separator a strftime format puts after its first field: '.' of "%d.%m.%Y".
char separatorOf(const std::string& format, char fallback) {
    const std::size_t field = format.find('%');
    if (field == std::string::npos || field + 2 >= format.size()) return fallback;
    std::size_t next = field + 2;
    if (format[field + 1] == 'E' || format[field + 1] == 'O') ++next;
    const char c = next < format.size() ? format[next] : '\0';
    const bool punctuation = c > ' ' && c < 0x7F && c != '%' &&
                             !((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9');
    return punctuation ? c : fallback;
}

// A strftime format in the formatter's letters. Literal text that holds letters is quoted;
// the separator becomes the formatter's placeholder ('/' for dates, ':' for times).
std::string fromStrftime(const std::string& format, char separator, char placeholder,
                         const std::string& ampmFormat, int depth = 0) {
    std::string out;
    std::string literal;
    const auto flush = [&] {
        bool letters = false;
        for (char c : literal) letters = letters || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
        out += letters ? '"' + literal + '"' : literal;
        literal.clear();
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            if (c == separator) {
                flush();
                out += placeholder;
            } else {
                literal += c == '"' ? '\'' : c;
            }
            continue;
        }
        char conversion = format[++i];
        while ((conversion == 'E' || conversion == 'O' || conversion == '-' || conversion == '_' ||
                conversion == '0') &&
               i + 1 < format.size()) {
            conversion = format[++i];
        }
        const char* letters = nullptr;
        switch (conversion) {
            case 'd':
                letters = "dd";
                break;
            case 'e':
                letters = "d";
                break;
            case 'm':
                letters = "mm";
                break;
            case 'y':
                letters = "yy";
                break;
            case 'Y':
                letters = "yyyy";
                break;
            case 'H':
            case 'I':
                letters = "hh";
                break;
            case 'k':
            case 'l':
                letters = "h";
                break;
            case 'M':
                letters = "nn";
                break;
            case 'S':
                letters = "ss";
                break;
            case 'p':
            case 'P':
                letters = "ampm";
                break;
            case 'a':
                letters = "ddd";
                break;
            case 'A':
                letters = "dddd";
                break;
            case 'b':
            case 'h':
                letters = "mmm";
                break;
            case 'B':
                letters = "mmmm";
                break;
            case 'D':
                letters = "mm/dd/yy";
                break;
            case 'T':
                letters = "hh:nn:ss";
                break;
            case 'R':
                letters = "hh:nn";
                break;
            case 'n':
            case 't':
                literal += ' ';
                break;
            case '%':
                literal += '%';
                break;
            case 'r':
                if (depth == 0) {
                    flush();
                    out += fromStrftime(ampmFormat, separator, placeholder, ampmFormat, 1);
                }
                break;
            default:
                break;  // fields the formatter has no letters for are left out
        }
        if (letters) {
            flush();
            out += letters;
        }
    }
    flush();
    return out;
}

// The locale the C library takes for dates when asked for `name` ("" for the user's).
std::string timeLocaleName(const std::string& name) {
    if (!name.empty()) return name;
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return "C";
}

LocaleSettings readSettings(const std::string& name) {
    LocaleSettings s;
    // The C locale's two-digit years help nobody: it gets the fixed settings, as does a
    // locale that is not installed.
    const std::string timeLocale = timeLocaleName(name);
    if (timeLocale == "C" || timeLocale == "POSIX" || timeLocale.starts_with("C.")) return s;
    const locale_t locale = newlocale(LC_ALL_MASK, name.c_str(), nullptr);
    if (!locale) return s;
    {
        const LocaleTexts text(locale);
        const std::string dateFormat = nl_langinfo_l(D_FMT, locale);
        const std::string timeFormat = nl_langinfo_l(T_FMT, locale);
        const std::string ampmFormat = nl_langinfo_l(T_FMT_AMPM, locale);
        s.dateSeparator = separatorOf(dateFormat, '/');
        const std::string effectiveTime = timeFormat == "%r" ? ampmFormat : timeFormat;
        s.timeSeparator = separatorOf(effectiveTime, ':');
        // Literal text of the formats is in the locale's encoding, like its names.
        const AnsiCodePage& page = AnsiCodePage::system();
        s.shortDateFormat =
            page.fromUtf8(text.toUtf8(fromStrftime(dateFormat, s.dateSeparator, '/', ampmFormat)));
        s.longTimeFormat = page.fromUtf8(
            text.toUtf8(fromStrftime(effectiveTime, s.timeSeparator, ':', ampmFormat)));
        s.shortTimeFormat = withoutSeconds(s.longTimeFormat);
        const std::string decimal = text(RADIXCHAR);
        s.decimalSeparator = decimal.size() == 1 ? decimal[0] : '.';
        // The narrow no-break space of some locales is in no ANSI page; Windows uses the
        // no-break space there.
        std::string thousands = nl_langinfo_l(THOUSEP, locale);
        if (thousands == "\u202F") thousands = "\u00A0";
        s.thousandSeparator = AnsiCodePage::system().fromUtf8(text.toUtf8(thousands));
        s.timeAMString = text(AM_STR);
        s.timePMString = text(PM_STR);
        for (int d = 0; d < 7; ++d) {
            s.shortDayNames[d] = text(static_cast<nl_item>(ABDAY_1 + d));
            s.longDayNames[d] = text(static_cast<nl_item>(DAY_1 + d));
        }
        for (int m = 0; m < 12; ++m) {
            s.shortMonthNames[m] = text(static_cast<nl_item>(ABMON_1 + m));
            s.longMonthNames[m] = text(static_cast<nl_item>(MON_1 + m));
        }
    }
    freelocale(locale);
    return s;
}

#endif

}  // namespace

const LocaleSettings& LocaleSettings::user() {
#ifdef _WIN32
    static const LocaleSettings settings = readSettings();
#else
    static const LocaleSettings settings = readSettings("");
#endif
    return settings;
}

#ifndef _WIN32
LocaleSettings LocaleSettings::forLocale(const std::string& name) {
    return readSettings(name);
}
#endif

}  // namespace mq
