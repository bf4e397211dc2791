#include "message/GmimeObjects.h"

#include "message/TextConversion.h"

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

GmimePtr<GMimeMessage> parseMessage(std::string_view storedText, const ParserOptions& options) {
    GmimePtr<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(storedText.data(), storedText.size()));
    GmimePtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    return GmimePtr<GMimeMessage>(g_mime_parser_construct_message(parser.get(), options.get()));
}

}  // namespace mq
