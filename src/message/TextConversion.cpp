#include "message/TextConversion.h"

#include "message/GmimeObjects.h"
#include "platform/AnsiCodePage.h"

#include <algorithm>
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
    const char* lastInvalid = nullptr;
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
        // An invalid or cut-off sequence: show it as not convertible and try the same byte
        // again in the converter's first state (UTF-7 then reads it as plain text); only
        // a byte that fails there too is passed over.
        if (in != lastInvalid) {
            out.replace(used, ReplacementCharacter.size(), ReplacementCharacter);
            used += ReplacementCharacter.size();
            g_mime_iconv(cd, nullptr, nullptr, nullptr, nullptr);
            lastInvalid = in;
            continue;
        }
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

std::string convertText(std::string_view bytes, const char* charset, const AnsiCodePage& page) {
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

}  // namespace

void markNuls(std::string& text) {
    if (text.find(NulStandIn) == std::string::npos) return;
    std::string marked;
    marked.reserve(text.size());
    for (const char c : text) {
        if (c == NulStandIn)
            marked += ReplacementCharacter;
        else
            marked += c;
    }
    text = std::move(marked);
}

std::string textToUtf8(std::string_view bytes, const char* charset, const AnsiCodePage& page) {
    if (bytes.empty()) return {};
    std::string text;
    if (bytes.find('\0') == std::string_view::npos) {
        text = convertText(bytes, charset, page);
    } else {
        std::string standIns(bytes);
        std::replace(standIns.begin(), standIns.end(), '\0', NulStandIn);
        text = convertText(standIns, charset, page);
    }
    markNuls(text);
    return text;
}

std::string textToUtf8(std::string&& bytes, const char* charset, const AnsiCodePage& page) {
    const bool utf8Declared =
        charset && namedAs(g_mime_charset_canon_name(charset), {"UTF-8", "us-ascii", "ascii"});
    // Most texts are UTF-8 (or ASCII) already: no second copy of a long one.
    if ((!charset || !*charset || utf8Declared) && bytes.find('\0') == std::string::npos &&
        bytes.find(NulStandIn) == std::string::npos &&
        g_utf8_validate_len(bytes.data(), bytes.size(), nullptr)) {
        return std::move(bytes);
    }
    return textToUtf8(std::string_view(bytes), charset, page);
}

std::string ansiCharset(const AnsiCodePage& page) {
    return "CP" + std::to_string(page.codePage());
}

}  // namespace mq
