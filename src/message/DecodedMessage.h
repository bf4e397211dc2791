#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

class AnsiCodePage;

// How much body text one decoding converts: a very large message shows its first part at
// once, and a second decoding without the limit gives the rest.
struct DecodeLimits {
    std::size_t bodyBytes = 1024 * 1024;  // of the body's content, transfer encoding undone

    static DecodeLimits unlimited() { return {std::numeric_limits<std::size_t>::max()}; }
};

struct MessageAttachment {
    // UTF-8, as the message names it (encoded words and RFC 2231 undone); may be empty.
    // It comes from the sender: it is no safe file name.
    std::string name;
    std::string contentType;  // "image/png"
    std::uint64_t size = 0;   // bytes of attachmentData
};

// A picture that an HTML body shows from inside the message ("cid:" in its address).
struct MessagePicture {
    std::string contentId;  // as the part's Content-ID gives it, without its angle brackets
    std::string data;       // the picture file
};

// A stored message as a person reads it. All texts are UTF-8; a NUL of the stored text is
// U+FFFD in them.
struct DecodedMessage {
    // The header fields, decoded; empty when the message has none.
    std::string from;
    std::string to;
    std::string cc;
    std::string replyTo;
    std::string subject;
    std::string date;  // as written, e.g. "Tue, 4 Mar 2003 10:00:00 +0100"

    std::string body;  // lines end in LF
    // The body is HTML source. It is shown as text or through a viewer that loads nothing:
    // its references to pictures and pages outside the message are the sender's.
    bool bodyIsHtml = false;
    // The limit cut the body short (after a whole line where one ends nearby).
    bool bodyTruncated = false;
    // Part of the message could not be taken apart as MIME; the body shows that part's
    // text as stored instead of hiding it.
    bool bodyIsRaw = false;

    // The message's parts, then the uuencoded files of a plain body (whose text is then
    // shown without them).
    std::vector<MessageAttachment> attachments;
    // Parts and uuencoded files beyond the most that are listed.
    std::size_t partsLeftOut = 0;

    // For an HTML body: the pictures of the message it can show.
    std::vector<MessagePicture> pictures;
};

// `storedText` is the message as the store holds it; 8-bit header texts that are not UTF-8
// and texts without a declared charset are read in `page`. Never fails: what cannot be
// understood is shown as it stands.
DecodedMessage decodeMessage(std::string_view storedText, const AnsiCodePage& page,
                             const DecodeLimits& limits = {});

// The bytes that saving attachment `index` of decodeMessage's list writes; none when the
// message has no such attachment.
std::optional<std::string> attachmentData(std::string_view storedText, const AnsiCodePage& page,
                                          std::size_t index);

}  // namespace mq
