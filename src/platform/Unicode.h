#pragma once

#include <string>
#include <string_view>

namespace mq {

// UTF-8 <-> UTF-16 conversions and the case folding that every "ignoring case" comparison
// of the platform layer shares.

std::string utf16ToUtf8(std::u16string_view text);
// Decodes UTF-8 into `out`; malformed sequences become U+FFFD and make the result false.
bool utf8ToUtf16(std::string_view text, std::u16string& out);

// The lower-case form of a character of the Latin, Greek and Cyrillic blocks (the ones the
// single-byte ANSI pages cover); every other character is its own fold. Independent of the
// C library's locale so that comparisons give the same order everywhere.
char16_t foldCase(char16_t c);
// Compares code unit by code unit after folding; a text sorts before any longer text that
// starts with it. Negative, zero or positive.
int compareIgnoringCase(std::u16string_view a, std::u16string_view b);

// No byte above 0x7F: the text reads the same in UTF-8 and in every single-byte page.
bool isAscii(std::string_view text);

}  // namespace mq
