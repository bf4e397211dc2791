#include "message/GmimeObjects.h"

#include "message/TextConversion.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace mq {

void initGmime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

ParserOptions::ParserOptions(const AnsiCodePage& page) {
    initGmime();
    options_.reset(g_mime_parser_options_new());
    const std::string pageCharset = ansiCharset(page);
    const char* fallback[] = {"UTF-8", pageCharset.c_str(), nullptr};
    g_mime_parser_options_set_fallback_charsets(options_.get(), fallback);
    // Old mailers broke every rule; take what they wrote as far as it can be understood.
    g_mime_parser_options_set_rfc2047_compliance_mode(options_.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_address_compliance_mode(options_.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(options_.get(), GMIME_RFC_COMPLIANCE_LOOSE);
}

ParsedMessage::ParsedMessage(std::string_view storedText, const ParserOptions& options)
    : text_(storedText) {
    const std::string_view text = text_.text();
    // A byte array holds at most 4 GB; a store's message text never comes near that.
    const auto size = static_cast<guint>(std::min<std::size_t>(text.size(), G_MAXUINT));
    auto* data = reinterpret_cast<guint8*>(const_cast<char*>(text.data()));
    bytes_.reset(g_byte_array_new_take(data, size));
    stream_.reset(g_mime_stream_mem_new_with_byte_array(bytes_.get()));
    g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(stream_.get()), FALSE);
    GmimePtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream_.get()));
    message_.reset(g_mime_parser_construct_message(parser.get(), options.get()));
    text_.restoreNuls();
}

}  // namespace mq
