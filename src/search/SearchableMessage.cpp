#include "search/SearchableMessage.h"

#include "message/DecodedMessage.h"
#include "message/GmimeObjects.h"
#include "message/HeaderFields.h"
#include "message/MessageParts.h"
#include "message/PartContent.h"
#include "message/TextConversion.h"
#include "platform/Unicode.h"
#include "search/FoldedText.h"
#include "search/HtmlText.h"

#include <cstring>
#include <initializer_list>
#include <optional>

namespace mq {

namespace {

void appendFoldedText(std::string& field, std::string_view text) {
    if (text.empty()) return;
    if (!field.empty()) field += ' ';
    appendFolded(field, text);
}

bool isTextPart(GMimeObject* part) {
    if (!GMIME_IS_PART(part) || g_mime_part_is_attachment(GMIME_PART(part))) return false;
    GMimeContentType* type = g_mime_object_get_content_type(part);
    return g_mime_content_type_is_type(type, "text", "plain") ||
           g_mime_content_type_is_type(type, "text", "html");
}

// Charsets in which ASCII bytes are those characters and nothing else: their ASCII texts need
// no conversion. (UTF-7 and ISO-2022 write other characters in ASCII bytes.)
bool keepsAscii(const char* charset) {
    if (!charset || !*charset) return true;
    const char* name = g_mime_charset_canon_name(charset);
    for (const char* prefix : {"us-ascii", "ascii", "utf-8", "iso-8859-", "windows-", "cp", "koi8"})
        if (g_ascii_strncasecmp(name, prefix, std::strlen(prefix)) == 0) return true;
    return false;
}

// The body of a message in the shape nearly every stored mail has: one plain text in an
// identity transfer encoding, which is its own text. Such a message is read without taking
// it apart (what costs the most); any other header of content, or anything unusual in the
// header block, leaves it to GMime. None when the message is not of that shape.
struct PlainBody {
    std::string_view text;
    std::string charset;
};

bool startsWithName(std::string_view line, std::string_view name) {
    return line.size() > name.size() && line[name.size()] == ':' &&
           g_ascii_strncasecmp(line.data(), name.data(), name.size()) == 0;
}

std::optional<PlainBody> plainBody(std::string_view stored, const ParserOptions& options) {
    PlainBody body;
    bool headers = false, typed = false, encoded = false;
    std::size_t at = 0;
    while (true) {
        const std::size_t end = stored.find('\n', at);
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view line = stored.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        if (line.empty()) break;
        if (line.front() == ' ' || line.front() == '\t') {
            if (!headers) return std::nullopt;  // no header block starts with a continuation
            continue;
        }
        headers = true;
        const std::size_t colon = line.find(':');
        if (colon == 0 || colon == std::string_view::npos) return std::nullopt;
        for (const char c : line.substr(0, colon))
            if (c <= ' ' || c >= 127) return std::nullopt;
        if (!(line.size() > 8 && g_ascii_strncasecmp(line.data(), "Content-", 8) == 0)) continue;
        // A folded header of content is left to GMime.
        if (at < stored.size() && (stored[at] == ' ' || stored[at] == '\t')) return std::nullopt;
        const std::string value(line.substr(colon + 1));
        if (startsWithName(line, "Content-Type") && !typed) {
            typed = true;
            GmimePtr<GMimeContentType> type(
                g_mime_content_type_parse(options.get(), value.c_str()));
            if (!type || !g_mime_content_type_is_type(type.get(), "text", "plain"))
                return std::nullopt;
            if (const char* charset = g_mime_content_type_get_parameter(type.get(), "charset"))
                body.charset = charset;
        } else if (startsWithName(line, "Content-Transfer-Encoding") && !encoded) {
            encoded = true;
            const GMimeContentEncoding encoding =
                g_mime_content_encoding_from_string(value.c_str());
            if (encoding != GMIME_CONTENT_ENCODING_7BIT &&
                encoding != GMIME_CONTENT_ENCODING_8BIT &&
                encoding != GMIME_CONTENT_ENCODING_BINARY)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!headers) return std::nullopt;
    body.text = stored.substr(at);
    return body;
}

}  // namespace

SearchableReader::SearchableReader(const AnsiCodePage& page, std::size_t textLimit)
    : page_(page), textLimit_(textLimit), options_(std::make_unique<ParserOptions>(page)) {}

SearchableReader::~SearchableReader() = default;

void SearchableReader::read(std::string_view storedText, bool headers, SearchableMessage& out) {
    for (std::string* field : {&out.subject, &out.people, &out.text, &out.attachments})
        field->clear();
    if (!headers) {
        if (const auto plain = plainBody(storedText, *options_)) {
            const std::string_view text = plain->text.substr(0, textLimit_);
            const char* charset = plain->charset.empty() ? nullptr : plain->charset.c_str();
            if (keepsAscii(charset) && isAscii(text))
                appendFolded(out.text, text);
            else
                appendFolded(out.text, textToUtf8(text, charset, page_));
            return;
        }
    }
    const ParsedMessage message(storedText, *options_);
    if (!message.get()) {
        appendFolded(out.text, textToUtf8(storedText.substr(0, textLimit_), nullptr, page_));
        return;
    }
    // A part's text as a person reads it; its bytes as stored where its content or type
    // cannot be read.
    const auto addText = [this, &out](GMimeObject* part) {
        content_.clear();
        const auto collect = [this](std::string_view chunk) {
            content_.append(chunk.substr(0, textLimit_ - content_.size()));
            return content_.size() < textLimit_;
        };
        bool raw = GMIME_IS_MULTIPART(part) || hasUnreadableType(part);
        if (!readContent(part, true, collect)) {
            content_.clear();
            raw = true;
            readContent(part, false, collect);
        }
        const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
        const bool html = !raw && isHtmlPart(part);
        if (keepsAscii(charset) && isAscii(content_)) {
            appendFoldedText(out.text, html ? visibleText(content_) : content_);
        } else {
            const std::string text = textToUtf8(content_, charset, page_);
            appendFoldedText(out.text, html ? visibleText(text) : text);
        }
    };
    const MessageParts parts = findMessageParts(g_mime_message_get_mime_part(message.get()));
    const char* charset = nullptr;
    if (parts.body) {
        charset = g_mime_object_get_content_type_parameter(parts.body, "charset");
        addText(parts.body);
    }
    for (GMimeObject* part : parts.attachments) {
        if (isTextPart(part)) {
            addText(part);
            continue;
        }
        const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
        if (!name) name = g_mime_object_get_content_type_parameter(part, "name");
        if (name) appendFoldedText(out.attachments, textToUtf8(std::string_view(name), nullptr, page_));
    }
    if (!headers) return;
    DecodedMessage decoded;
    decodeHeaderFields(message.get(), charset, page_, *options_, decoded);
    appendFolded(out.subject, decoded.subject);
    for (const std::string* field : {&decoded.from, &decoded.to, &decoded.cc, &decoded.replyTo})
        appendFoldedText(out.people, *field);
}

}  // namespace mq
