#include "platform/AnsiCodePage.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace mq {

namespace {

#ifdef _WIN32

int systemCodePage() {
    return static_cast<int>(GetACP());
}

// Zero when the page leaves the byte undefined (or uses it as a lead byte).
char16_t convertByte(int codePage, unsigned char byte) {
    const char in = static_cast<char>(byte);
    wchar_t out = 0;
    const int n =
        MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, &in, 1, &out, 1);
    return n == 1 ? static_cast<char16_t>(out) : 0;
}

std::u16string widenWhole(int codePage, std::string_view text) {
    if (text.empty()) return {};
    const auto page = static_cast<UINT>(codePage);
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    if (n > 0) {
        MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), size,
                            reinterpret_cast<wchar_t*>(out.data()), n);
        return out;
    }
    // Character by character, so that a byte that starts no character becomes U+FFFD alone
    // rather than the page's default character.
    for (std::size_t i = 0; i < text.size();) {
        const bool lead = IsDBCSLeadByteEx(page, static_cast<BYTE>(text[i])) != 0;
        const int length = lead && i + 1 < text.size() ? 2 : 1;
        wchar_t c[2] = {};
        const int got =
            MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data() + i, length, c, 2);
        if (got <= 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        out.append(reinterpret_cast<const char16_t*>(c), static_cast<std::size_t>(got));
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::string narrowWhole(int codePage, std::u16string_view text) {
    if (text.empty()) return {};
    const auto page = static_cast<UINT>(codePage);
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(page, 0, wide, size, nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(page, 0, wide, size, out.data(), n, "?", nullptr);
    return out;
}

#else

// The locale in force for texts, as the C library picks it.
std::string userLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return {};
}

int systemCodePage() {
    return AnsiCodePage::codePageForLocale(userLocale());
}

// One byte through iconv; zero when the page leaves the byte undefined.
char16_t convertByte(iconv_t cd, unsigned char byte) {
    char in = static_cast<char>(byte);
    char16_t out[4] = {};
    char* inPtr = &in;
    std::size_t inLeft = 1;
    auto* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 0;
    // Pages with combining marks (1258) hold a base letter back until flushed.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    return sizeof out - outLeft == sizeof(char16_t) ? out[0] : 0;
}

std::string iconvName(int codePage) {
    return "CP" + std::to_string(codePage);
}

// Runs the whole input through the converter; where it stops at a sequence it cannot convert,
// `invalid` writes what stands for the `skip` input bytes there, and the conversion goes on
// after them.
template <typename Invalid>
void convertWhole(iconv_t cd, std::string_view in, std::size_t skip, std::string& out,
                  Invalid&& invalid) {
    out.resize(in.size() * 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t used = 0;
    for (;;) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t result = iconv(cd, inLeft ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<std::size_t>(-1) && inLeft == 0) break;
        if (result == static_cast<std::size_t>(-1) && errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (inLeft == 0) break;
        // An invalid or cut-off sequence: its first unit stands alone, the rest goes on.
        const std::size_t n = std::min(skip, inLeft);
        out.resize(std::max(out.size(), used + 8));
        used += invalid(out.data() + used, std::string_view(inPtr, n));
        inPtr += n;
        inLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
}

std::u16string widenWhole(int codePage, std::string_view text) {
    if (text.empty()) return {};
    std::string bytes;
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        bytes.assign(text.size() * 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const char16_t c = byte < 0x80 ? byte : u'\uFFFD';
            std::memcpy(bytes.data() + 2 * i, &c, 2);
        }
    } else {
        convertWhole(cd, text, 1, bytes, [](char* out, std::string_view) {
            const char16_t replacement = u'\uFFFD';
            std::memcpy(out, &replacement, 2);
            return std::size_t{2};
        });
        iconv_close(cd);
    }
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

std::string narrowWhole(int codePage, std::u16string_view text) {
    if (text.empty()) return {};
    std::string out;
    iconv_t cd = iconv_open(iconvName(codePage).c_str(), "UTF-16LE");
    const std::string_view in(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
        return out;
    }
    // One unit at a time where the page has no character: a surrogate pair's second unit
    // then fails too, and the pair gives one '?'.
    bool pairStarted = false;
    convertWhole(cd, in, 2, out, [&pairStarted](char* to, std::string_view unit) {
        char16_t c = 0;
        std::memcpy(&c, unit.data(), std::min<std::size_t>(unit.size(), 2));
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        const bool skipped = low && pairStarted;
        pairStarted = c >= 0xD800 && c <= 0xDBFF;
        if (skipped) return std::size_t{0};
        *to = '?';
        return std::size_t{1};
    });
    iconv_close(cd);
    return out;
}

#endif

bool isDoubleBytePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

AnsiCodePage& storePage() {
    static AnsiCodePage page(AnsiCodePage::system().codePage());
    return page;
}

constexpr AnsiCodePage::Named WindowsPages[] = {
    {1256, "Arabic (1256)"},
    {1257, "Baltic (1257)"},
    {1250, "Central European (1250)"},
    {936, "Chinese Simplified (GBK, 936)"},
    {950, "Chinese Traditional (Big5, 950)"},
    {1251, "Cyrillic (1251)"},
    {1253, "Greek (1253)"},
    {1255, "Hebrew (1255)"},
    {932, "Japanese (Shift-JIS, 932)"},
    {949, "Korean (UHC, 949)"},
    {874, "Thai (874)"},
    {1254, "Turkish (1254)"},
    {1258, "Vietnamese (1258)"},
    {1252, "Western European (1252)"},
};

}  // namespace

const AnsiCodePage& AnsiCodePage::store() {
    return storePage();
}

void AnsiCodePage::setStore(int codePage) {
    if (storePage().codePage() != codePage) storePage() = AnsiCodePage(codePage);
}

std::span<const AnsiCodePage::Named> AnsiCodePage::windowsPages() {
    return WindowsPages;
}

bool AnsiCodePage::isWindowsPage(int codePage) {
    return std::any_of(std::begin(WindowsPages), std::end(WindowsPages),
                       [codePage](const Named& page) { return page.codePage == codePage; });
}

std::string AnsiCodePage::pageName(int codePage) {
    for (const Named& page : WindowsPages)
        if (page.codePage == codePage) return page.name;
    return "Code page " + std::to_string(codePage);
}

const AnsiCodePage& AnsiCodePage::system() {
    static const AnsiCodePage page(systemCodePage());
    return page;
}

int AnsiCodePage::codePageForLocale(std::string_view localeName) {
    const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
    const bool latinScript = localeName.find("@latin") != std::string_view::npos;
    struct Entry {
        const char* language;
        int codePage;
    };
    static const Entry entries[] = {
        {"cs", 1250}, {"hu", 1250}, {"pl", 1250}, {"ro", 1250}, {"sk", 1250}, {"sl", 1250},
        {"hr", 1250}, {"bs", 1250}, {"sq", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251},
        {"bg", 1251}, {"mk", 1251}, {"kk", 1251}, {"ky", 1251}, {"mn", 1251}, {"tt", 1251},
        {"tg", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"uz", 1254}, {"he", 1255},
        {"iw", 1255}, {"yi", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257},
        {"lv", 1257}, {"et", 1257}, {"vi", 1258}, {"th", 874},
    };
    if (language == "sr") return latinScript ? 1250 : 1251;
    if (language == "ja") return 932;
    if (language == "ko") return 949;
    if (language == "zh") {
        const std::string_view region = localeName.substr(language.size()).substr(0, 3);
        return region == "_TW" || region == "_HK" || region == "_MO" ? 950 : 936;
    }
    for (const Entry& entry : entries) {
        if (language == entry.language) return entry.codePage;
    }
    return 1252;  // Western languages
}

AnsiCodePage::AnsiCodePage(int codePage)
    : codePage_(codePage), doubleByte_(isDoubleBytePage(codePage)) {
    if (doubleByte_) {
        // Every ASCII byte is its own character in these pages; a lead byte is never ASCII.
        for (int b = 0; b < 0x80; ++b) table_[b] = static_cast<char16_t>(b);
        asciiIsItself_ = true;
        return;
    }
#ifdef _WIN32
    for (int b = 0; b < 256; ++b) table_[b] = convertByte(codePage, static_cast<unsigned char>(b));
#else
    const std::string name = iconvName(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    for (int b = 0; b < 256; ++b) {
        // Without a converter for the page, bytes are taken as Latin-1.
        table_[b] = cd == reinterpret_cast<iconv_t>(-1)
                        ? static_cast<char16_t>(b)
                        : convertByte(cd, static_cast<unsigned char>(b));
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
#endif
    table_[0] = 0;
    // Undefined bytes take the character of the same value (the C1 controls for 0x80..0x9F),
    // or a private-use character when the page already uses that one, so that every byte
    // converts back to itself.
    for (int b = 1; b < 256; ++b) {
        if (table_[b] != 0) continue;
        const auto same = static_cast<char16_t>(b);
        const bool taken = std::find(table_.begin(), table_.end(), same) != table_.end();
        table_[b] = taken ? static_cast<char16_t>(0xF700 + b) : same;
    }
    for (int b = 0; b < 256; ++b) reverse_[b] = {table_[b], static_cast<unsigned char>(b)};
    std::sort(reverse_.begin(), reverse_.end());
    asciiIsItself_ = true;
    for (int b = 0; b < 256; ++b)
        if ((b < 0x80) != (table_[b] < 0x80) || (b < 0x80 && table_[b] != b))
            asciiIsItself_ = false;
}

std::u16string AnsiCodePage::widen(std::string_view text) const {
    if (doubleByte_ && !isAscii(text)) return widenWhole(codePage_, text);
    std::u16string out(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = table_[static_cast<unsigned char>(text[i])];
    return out;
}

std::string AnsiCodePage::toUtf8(std::string_view text) const {
    if (asciiIsItself_ && isAscii(text)) return std::string(text);
    return utf16ToUtf8(widen(text));
}

std::string AnsiCodePage::fromUtf16(std::u16string_view text) const {
    if (doubleByte_) return narrowWhole(codePage_, text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            ++i;  // one character outside the page: one '?'
            out += '?';
            continue;
        }
        const auto it = std::lower_bound(reverse_.begin(), reverse_.end(),
                                         std::pair<char16_t, unsigned char>{c, 0});
        out += (it != reverse_.end() && it->first == c) ? static_cast<char>(it->second) : '?';
    }
    return out;
}

std::string AnsiCodePage::fromUtf8(std::string_view utf8) const {
    if (asciiIsItself_ && isAscii(utf8)) return std::string(utf8);
    std::u16string wide;
    utf8ToUtf16(utf8, wide);
    for (char16_t& c : wide) {
        if (c == u'\uFFFD') c = u'?';
    }
    return fromUtf16(wide);
}

}  // namespace mq
