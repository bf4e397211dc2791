#pragma once

#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;

// Stands in for a NUL wherever text passes through C strings (the MIME parser, the charset
// converters): the ASCII "substitute" code, the same byte in every charset a message uses.
constexpr char NulStandIn = '\x1A';

// `text` (UTF-8) with each stand-in, and so each NUL of the stored text, shown as U+FFFD.
void markNuls(std::string& text);

// Text bytes in the charset a message declares for them, as UTF-8. Bytes that are no
// character of that charset become U+FFFD, one each, so that nothing vanishes. Without a
// declared charset (or with ASCII declared over 8-bit bytes, or one no converter knows) the
// bytes are UTF-8 when they are valid UTF-8, else texts in the ANSI page, as store texts are.
// A NUL becomes U+FFFD. After an invalid sequence the conversion starts afresh, so a
// stateful charset (UTF-7, ISO-2022) loses only that sequence, not what follows.
std::string textToUtf8(std::string_view bytes, const char* charset, const AnsiCodePage& page);
// The same, taking over `bytes` where they are the result already.
std::string textToUtf8(std::string&& bytes, const char* charset, const AnsiCodePage& page);

// The converter's name of the ANSI page.
std::string ansiCharset(const AnsiCodePage& page);

}  // namespace mq
