#include "message/TextConversion.h"

#include "message/GmimeObjects.h"
#include "platform/AnsiCodePage.h"

#include <cerrno>
#include <initializer_list>
#include <optional>

namespace mq {

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

bool namedAs(const char* charset, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (g_ascii_strcasecmp(charset, name) == 0) return true;
    }
    return false;
}

// None when no converter knows the charset.
std::optional<std::string> convert(std::string_view bytes, const char* charset) {
    const iconv_t cd = g_mime_iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(bytes.size() + 16, '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t result = g_mime_iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || outLeft < ReplacementCharacter.size()) {
            out.resize(out.size() * 2);
            continue;
        }
        // An invalid or cut-off sequence: show its first byte as not convertible, go on.
        out.replace(used, ReplacementCharacter.size(), ReplacementCharacter);
        used += ReplacementCharacter.size();
        ++in;
        --inLeft;
    }
    // Pages with combining marks (1258) hold a last letter back until flushed.
    out.resize(used + 16);
    char* outPtr = out.data() + used;
    std::size_t outLeft = out.size() - used;
    g_mime_iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    g_mime_iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string undeclaredToUtf8(std::string_view bytes, const AnsiCodePage& page) {
    if (g_utf8_validate_len(bytes.data(), bytes.size(), nullptr)) return std::string(bytes);
    // Through the converter rather than the page's own table, which gives bytes the page
    // leaves undefined an invisible control character of the same value.
    if (auto text = convert(bytes, ansiCharset(page).c_str())) return *std::move(text);
    return page.toUtf8(bytes);
}

}  // namespace

std::string textToUtf8(std::string_view bytes, const char* charset, const AnsiCodePage& page) {
    if (bytes.empty()) return {};
    if (!charset || !*charset) return undeclaredToUtf8(bytes, page);
    const char* canonical = g_mime_charset_canon_name(charset);
    if (namedAs(canonical, {"us-ascii", "ascii"})) return undeclaredToUtf8(bytes, page);
    if (namedAs(canonical, {"UTF-8"})) {
        GmimeText valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
        return valid.get();
    }
    // Latin-1 labels cover what Western mailers wrote in windows-1252, which only adds
    // characters in place of control codes.
    if (namedAs(canonical, {"iso-8859-1", "latin1"})) canonical = "CP1252";
    if (auto text = convert(bytes, canonical)) return *std::move(text);
    return undeclaredToUtf8(bytes, page);
}

std::string ansiCharset(const AnsiCodePage& page) {
    return "CP" + std::to_string(page.codePage());
}

}  // namespace mq
