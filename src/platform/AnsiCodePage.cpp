#include "platform/AnsiCodePage.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <cstdlib>
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

#endif

}  // namespace

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
    for (const Entry& entry : entries) {
        if (language == entry.language) return entry.codePage;
    }
    return 1252;  // Western languages, and the Asian ones whose pages are multi-byte
}

AnsiCodePage::AnsiCodePage(int codePage) : codePage_(codePage) {
#ifdef _WIN32
    for (int b = 0; b < 256; ++b) table_[b] = convertByte(codePage, static_cast<unsigned char>(b));
#else
    const std::string name = "CP" + std::to_string(codePage);
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
