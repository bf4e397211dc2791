#include "message/MessageParts.h"

#include "message/GmimeObjects.h"

namespace mq {

namespace {

// GMime nests parts at most 1,024 deep and leaves the rest as text of the deepest one; the
// walk keeps a bound of its own all the same.
constexpr int MaxDepth = 2048;

bool hasType(GMimeObject* part, const char* type, const char* subtype) {
    return g_mime_content_type_is_type(g_mime_object_get_content_type(part), type, subtype);
}

bool isAlternative(GMimeObject* part) {
    return hasType(part, "multipart", "alternative");
}

bool isReadableText(GMimeObject* part) {
    return GMIME_IS_PART(part) && !g_mime_part_is_attachment(GMIME_PART(part)) &&
           (hasType(part, "text", "plain") || hasType(part, "text", "html") ||
            hasUnreadableType(part));
}

int childCount(GMimeObject* multipart) {
    return g_mime_multipart_get_count(GMIME_MULTIPART(multipart));
}

GMimeObject* child(GMimeObject* multipart, int index) {
    return g_mime_multipart_get_part(GMIME_MULTIPART(multipart), index);
}

GMimeObject* findBody(GMimeObject* part, int depth);

struct Alternative {
    int index = -1;  // -1: no alternative has text
    GMimeObject* body = nullptr;
};

// The alternative whose text is read: plain text before HTML, the first of equals.
Alternative preferredAlternative(GMimeObject* alternatives, int depth) {
    Alternative preferred;
    for (int i = 0; i < childCount(alternatives); ++i) {
        GMimeObject* body = findBody(child(alternatives, i), depth + 1);
        if (body && (!preferred.body || (isHtmlPart(preferred.body) && !isHtmlPart(body)))) {
            preferred = {i, body};
        }
    }
    return preferred;
}

GMimeObject* findBody(GMimeObject* part, int depth) {
    if (depth > MaxDepth) return nullptr;
    if (!GMIME_IS_MULTIPART(part)) return isReadableText(part) ? part : nullptr;
    if (childCount(part) == 0) return part;
    if (isAlternative(part)) return preferredAlternative(part, depth).body;
    for (int i = 0; i < childCount(part); ++i) {
        if (GMimeObject* body = findBody(child(part, i), depth + 1)) return body;
    }
    return nullptr;
}

void collectAttachments(GMimeObject* part, int depth, MessageParts& parts) {
    if (depth > MaxDepth || part == parts.body) return;
    if (!GMIME_IS_MULTIPART(part) || childCount(part) == 0) {
        parts.attachments.push_back(part);
        return;
    }
    const int preferred = isAlternative(part) ? preferredAlternative(part, depth).index : -1;
    for (int i = 0; i < childCount(part); ++i) {
        if (preferred < 0 || i == preferred) collectAttachments(child(part, i), depth + 1, parts);
    }
}

}  // namespace

bool hasUnreadableType(GMimeObject* part) {
    GMimeContentType* type = g_mime_object_get_content_type(part);
    if (!*g_mime_content_type_get_media_type(type) || !*g_mime_content_type_get_media_subtype(type))
        return true;
    if (!g_mime_content_type_is_type(type, "application", "octet-stream")) return false;
    const char* written = g_mime_object_get_header(part, "Content-Type");
    if (!written) return false;
    const GmimeText lower(g_ascii_strdown(written, -1));
    return !g_str_has_prefix(g_strchug(lower.get()), "application/octet-stream");
}

bool isHtmlPart(GMimeObject* part) {
    return GMIME_IS_PART(part) && hasType(part, "text", "html");
}

MessageParts findMessageParts(GMimeObject* root) {
    MessageParts parts;
    if (!root) return parts;
    parts.body = findBody(root, 0);
    collectAttachments(root, 0, parts);
    return parts;
}

}  // namespace mq
