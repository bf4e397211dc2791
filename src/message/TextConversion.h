#pragma once

#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;

// Text bytes in the charset a message declares for them, as UTF-8. Bytes that are no
// character of that charset become U+FFFD, one each, so that nothing vanishes. Without a
// declared charset (or with ASCII declared over 8-bit bytes, or one no converter knows) the
// bytes are UTF-8 when they are valid UTF-8, else texts in the ANSI page, as store texts are.
std::string textToUtf8(std::string_view bytes, const char* charset, const AnsiCodePage& page);

// The converter's name of the ANSI page.
std::string ansiCharset(const AnsiCodePage& page);

}  // namespace mq
