#include "recover/EncodedWords.h"

#include "message/GmimeObjects.h"
#include "platform/AnsiCodePage.h"

namespace mq {

std::string decodeEncodedWords(std::string_view value, const AnsiCodePage& page) {
    if (value.find("=?") == std::string_view::npos) return std::string(value);
    const ParserOptions options(page);
    // Through the page's characters, so that the bytes around the words come back unchanged.
    const std::string utf8 = page.toUtf8(value);
    const GmimeText decoded(g_mime_utils_header_decode_text(options.get(), utf8.c_str()));
    return decoded ? page.fromUtf8(decoded.get()) : std::string(value);
}

}  // namespace mq
