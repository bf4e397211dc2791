#include "message/DecodedMessage.h"

#include "message/GmimeObjects.h"
#include "message/HeaderFields.h"
#include "message/MessageParts.h"
#include "message/PartContent.h"
#include "message/TextConversion.h"
#include "message/UuencodedBlocks.h"

namespace mq {

namespace {

// How far back from the limit a line end is looked for, so that a cut falls between lines.
constexpr std::size_t LineSearch = 4096;

// Cuts `bytes` to at most `limit`, after the last line end close before it if there is one,
// which also keeps multi-byte characters whole. True when it cut.
bool cutToLimit(std::string& bytes, std::size_t limit) {
    if (bytes.size() <= limit) return false;
    const std::size_t lineEnd = limit == 0 ? std::string::npos : bytes.rfind('\n', limit - 1);
    const bool nearby = lineEnd != std::string::npos && limit - lineEnd <= LineSearch;
    bytes.resize(nearby ? lineEnd + 1 : limit);
    return true;
}

// Text for the window: UTF-8 with LF line ends.
std::string displayText(std::string bytes, const char* charset, const AnsiCodePage& page) {
    std::string text = textToUtf8(std::move(bytes), charset, page);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') text[kept++] = text[i];
    }
    text.resize(kept);
    return text;
}

struct BodyBytes {
    std::string bytes;
    bool truncated = false;
    bool raw = false;
};

BodyBytes readBody(GMimeObject* body, std::size_t limit) {
    BodyBytes out;
    // Room for the text at once: growing by doubling would hold up to twice a long one.
    out.bytes.reserve(std::min(storedContentSize(body), limit) + 1);
    // A multipart whose parts could not be found has only its text as stored.
    out.raw = GMIME_IS_MULTIPART(body) || hasUnreadableType(body);
    readData(
        body,
        [&out, limit](std::string_view chunk) {
            out.bytes += chunk;
            return out.bytes.size() <= limit;
        },
        [&out] {
            // Base64 that is no base64 would decode to noise: what is there is shown instead.
            out.bytes.clear();
            out.raw = true;
        });
    out.truncated = cutToLimit(out.bytes, limit);
    return out;
}

// The uuencoded files of a plain body that is shown as decoded.
std::vector<UuencodedBlock> bodyFiles(GMimeObject* body, const BodyBytes& bytes,
                                      std::size_t& leftOut) {
    leftOut = 0;
    if (bytes.raw || isHtmlPart(body)) return {};
    return findUuencodedBlocks(bytes.bytes, ParseableText::MaxParts, leftOut);
}

std::vector<MessagePicture> pictures(const std::vector<GMimeObject*>& parts) {
    std::vector<MessagePicture> found;
    for (GMimeObject* part : parts) {
        const char* id = g_mime_object_get_content_id(part);
        GMimeContentType* type = g_mime_object_get_content_type(part);
        if (id && *id && g_mime_content_type_is_type(type, "image", "*"))
            found.push_back({id, partData(part)});
    }
    return found;
}

MessageAttachment describeAttachment(GMimeObject* part, const AnsiCodePage& page) {
    MessageAttachment attachment;
    const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
    if (!name) name = g_mime_object_get_content_type_parameter(part, "name");
    if (name) attachment.name = textToUtf8(std::string_view(name), nullptr, page);
    GmimeText type(g_mime_content_type_get_mime_type(g_mime_object_get_content_type(part)));
    attachment.contentType = type.get();
    attachment.size = partDataSize(part);
    return attachment;
}

}  // namespace

DecodedMessage decodeMessage(std::string_view storedText, const AnsiCodePage& page,
                             const DecodeLimits& limits) {
    const ParserOptions options(page);
    const ParsedMessage message(storedText, options);
    DecodedMessage out;
    if (!message.get()) {
        // No header block to start from: all of it is text.
        std::string text(storedText.substr(0, std::min(storedText.size(), limits.bodyBytes) + 1));
        out.bodyTruncated = cutToLimit(text, limits.bodyBytes);
        out.body = displayText(std::move(text), nullptr, page);
        out.bodyIsRaw = true;
        return out;
    }
    const MessageParts parts = findMessageParts(g_mime_message_get_mime_part(message.get()));
    const char* charset = nullptr;
    std::vector<UuencodedBlock> files;
    std::string filesText;
    if (parts.body) {
        charset = g_mime_object_get_content_type_parameter(parts.body, "charset");
        BodyBytes body = readBody(parts.body, limits.bodyBytes);
        files = bodyFiles(parts.body, body, out.partsLeftOut);
        if (!files.empty()) {
            filesText = std::move(body.bytes);
            body.bytes = withoutBlocks(filesText, files);
        }
        out.body = displayText(std::move(body.bytes), charset, page);
        out.bodyIsHtml = isHtmlPart(parts.body) && !body.raw;
        out.bodyTruncated = body.truncated;
        out.bodyIsRaw = body.raw;
    }
    decodeHeaderFields(message.get(), charset, page, options, out);
    for (GMimeObject* part : parts.attachments) {
        out.attachments.push_back(describeAttachment(part, page));
    }
    for (const UuencodedBlock& file : files) {
        const std::string_view block(filesText.data() + file.start, file.end - file.start);
        out.attachments.push_back({textToUtf8(file.name, charset, page),
                                   "application/octet-stream", uudecode(block).size()});
    }
    out.partsLeftOut += message.partsLeftOut();
    if (out.bodyIsHtml) out.pictures = pictures(parts.attachments);
    return out;
}

std::optional<std::string> attachmentData(std::string_view storedText, const AnsiCodePage& page,
                                          std::size_t index) {
    const ParserOptions options(page);
    const ParsedMessage message(storedText, options);
    if (!message.get()) return std::nullopt;
    const MessageParts parts = findMessageParts(g_mime_message_get_mime_part(message.get()));
    if (index < parts.attachments.size()) return partData(parts.attachments[index]);
    if (!parts.body) return std::nullopt;
    const BodyBytes body = readBody(parts.body, DecodeLimits::unlimited().bodyBytes);
    std::size_t leftOut = 0;
    const std::vector<UuencodedBlock> files = bodyFiles(parts.body, body, leftOut);
    index -= parts.attachments.size();
    if (index >= files.size()) return std::nullopt;
    return uudecode(std::string_view(body.bytes).substr(files[index].start,
                                                        files[index].end - files[index].start));
}

}  // namespace mq
