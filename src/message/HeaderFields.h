#pragma once

#include "message/GmimeObjects.h"

namespace mq {

class AnsiCodePage;
struct DecodedMessage;

// Fills the header fields of `out`. 8-bit bytes written straight into a header are UTF-8
// when they are, else in `bodyCharset` (the charset the message declares for its text,
// null for none), else in the ANSI page.
void decodeHeaderFields(GMimeMessage* message, const char* bodyCharset, const AnsiCodePage& page,
                        const ParserOptions& options, DecodedMessage& out);

}  // namespace mq
