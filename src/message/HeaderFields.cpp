#include "message/HeaderFields.h"

#include "message/DecodedMessage.h"
#include "message/TextConversion.h"
#include "platform/TextDirection.h"

#include <cstring>

namespace mq {

namespace {

// A body declared UTF-8 says nothing about header bytes that are not UTF-8.
const char* charsetForHeaders(const char* bodyCharset) {
    const bool utf8 =
        bodyCharset && g_ascii_strcasecmp(g_mime_charset_canon_name(bodyCharset), "UTF-8") == 0;
    return utf8 ? nullptr : bodyCharset;
}

class HeaderDecoder {
public:
    HeaderDecoder(GMimeMessage* message, const char* bodyCharset, const AnsiCodePage& page,
                  const ParserOptions& options)
        : headers_(g_mime_object_get_header_list(GMIME_OBJECT(message))),
          charset_(charsetForHeaders(bodyCharset)),
          page_(page),
          options_(options) {}

    // Unstructured text: encoded words decoded, folding undone.
    std::string text(const char* name) const {
        const std::string value = unfolded(name);
        if (value.empty()) return value;
        GmimeText decoded(g_mime_utils_header_decode_text(options_.get(), value.c_str()));
        return decoded ? decoded.get() : value;
    }

    // An address list in its usual written form; as text when it holds no address, or
    // when what the parser took for an address is an encoded word (a name written alone).
    std::string addresses(const char* name) const {
        const std::string value = unfolded(name);
        if (value.empty()) return value;
        GmimePtr<InternetAddressList> list(
            internet_address_list_parse(options_.get(), value.c_str()));
        if (list) isolateNames(list.get());
        GmimeText written(list ? internet_address_list_to_string(list.get(), nullptr, FALSE)
                               : nullptr);
        const bool readable = written && *written && !std::strstr(written.get(), "=?");
        return readable ? written.get() : text(name);
    }

private:
    // A name that turns the direction of text would turn the address after it too.
    static void isolateNames(InternetAddressList* list) {
        for (int i = 0; i < internet_address_list_length(list); ++i) {
            InternetAddress* address = internet_address_list_get_address(list, i);
            const char* name = internet_address_get_name(address);
            if (name && hasDirectionControls(name))
                internet_address_set_name(address, isolatedDirection(name).c_str());
            if (INTERNET_ADDRESS_IS_GROUP(address))
                isolateNames(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)));
        }
    }

    std::string unfolded(const char* name) const {
        GMimeHeader* header = g_mime_header_list_get_header(headers_, name);
        const char* raw = header ? g_mime_header_get_raw_value(header) : nullptr;
        if (!raw) return {};
        const std::string_view bytes(raw);
        const std::string utf8 = g_utf8_validate_len(bytes.data(), bytes.size(), nullptr)
                                     ? std::string(bytes)
                                     : textToUtf8(bytes, charset_, page_);
        GmimeText value(g_mime_utils_header_unfold(utf8.c_str()));
        return value ? value.get() : std::string();
    }

    GMimeHeaderList* headers_;
    const char* charset_;
    const AnsiCodePage& page_;
    const ParserOptions& options_;
};

}  // namespace

void decodeHeaderFields(GMimeMessage* message, const char* bodyCharset, const AnsiCodePage& page,
                        const ParserOptions& options, DecodedMessage& out) {
    const HeaderDecoder header(message, bodyCharset, page, options);
    out.from = header.addresses("From");
    out.to = header.addresses("To");
    out.cc = header.addresses("Cc");
    out.replyTo = header.addresses("Reply-To");
    out.subject = header.text("Subject");
    out.date = header.text("Date");
    for (std::string* field : {&out.from, &out.to, &out.cc, &out.replyTo, &out.subject, &out.date})
        markNuls(*field);
}

}  // namespace mq
