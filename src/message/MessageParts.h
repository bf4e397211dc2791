#pragma once

#include <gmime/gmime.h>

#include <vector>

namespace mq {

// Which part of a parsed message a person reads and which parts are attachments. The
// pointers belong to the message.
struct MessageParts {
    // A text/plain or text/html part; or a part whose type could not be read, or a multipart
    // whose parts could not be found, whose text is then shown as it stands. Null when the message
    // has no text to read.
    GMimeObject* body = nullptr;
    // Every other leaf part and attached message, in the order of the message. Of the
    // alternatives of multipart/alternative only the one read counts.
    std::vector<GMimeObject*> attachments;
};

MessageParts findMessageParts(GMimeObject* root);

bool isHtmlPart(GMimeObject* part);

// GMime takes a Content-Type it cannot read for application/octet-stream; MIME reads such a
// part as plain text, and so does the reader, as the text it could not take apart.
bool hasUnreadableType(GMimeObject* part);

}  // namespace mq
