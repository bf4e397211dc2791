#include "search/SearchableMessage.h"

#include "message/DecodedMessage.h"
#include "message/GmimeObjects.h"
#include "message/HeaderFields.h"
#include "message/MessageParts.h"
#include "message/PartContent.h"
#include "message/TextConversion.h"
#include "search/HtmlText.h"

namespace mq {

namespace {

void appendLine(std::string& field, std::string_view text) {
    if (text.empty()) return;
    if (!field.empty()) field += '\n';
    field += text;
}

bool isTextPart(GMimeObject* part) {
    if (!GMIME_IS_PART(part) || g_mime_part_is_attachment(GMIME_PART(part))) return false;
    GMimeContentType* type = g_mime_object_get_content_type(part);
    return g_mime_content_type_is_type(type, "text", "plain") ||
           g_mime_content_type_is_type(type, "text", "html");
}

// A part's text as a person reads it; its bytes as stored where its content or type cannot
// be read.
std::string partText(GMimeObject* part, const AnsiCodePage& page, std::size_t limit) {
    std::string bytes;
    const auto collect = [&bytes, limit](std::string_view chunk) {
        bytes.append(chunk.substr(0, limit - bytes.size()));
        return bytes.size() < limit;
    };
    bool raw = GMIME_IS_MULTIPART(part) || hasUnreadableType(part);
    if (!readContent(part, true, collect)) {
        bytes.clear();
        raw = true;
        readContent(part, false, collect);
    }
    const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
    std::string text = textToUtf8(bytes, charset, page);
    return !raw && isHtmlPart(part) ? visibleText(text) : text;
}

std::string attachmentName(GMimeObject* part, const AnsiCodePage& page) {
    const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
    if (!name) name = g_mime_object_get_content_type_parameter(part, "name");
    return name ? textToUtf8(name, nullptr, page) : std::string();
}

}  // namespace

SearchableMessage searchableMessage(std::string_view storedText, const AnsiCodePage& page,
                                    std::size_t textLimit) {
    SearchableMessage out;
    const ParserOptions options(page);
    const ParsedMessage message(storedText, options);
    if (!message.get()) {
        out.text = textToUtf8(storedText.substr(0, textLimit), nullptr, page);
        return out;
    }
    const MessageParts parts = findMessageParts(g_mime_message_get_mime_part(message.get()));
    const char* charset = nullptr;
    if (parts.body) {
        charset = g_mime_object_get_content_type_parameter(parts.body, "charset");
        out.text = partText(parts.body, page, textLimit);
    }
    for (GMimeObject* part : parts.attachments) {
        if (isTextPart(part))
            appendLine(out.text, partText(part, page, textLimit));
        else
            appendLine(out.attachments, attachmentName(part, page));
    }
    DecodedMessage headers;
    decodeHeaderFields(message.get(), charset, page, options, headers);
    out.subject = std::move(headers.subject);
    for (const std::string* field : {&headers.from, &headers.to, &headers.cc, &headers.replyTo})
        appendLine(out.people, *field);
    return out;
}

}  // namespace mq
