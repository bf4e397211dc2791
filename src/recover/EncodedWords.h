#pragma once

#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;

// A header value as stored (unfolded, 8-bit in `page`) with its encoded words
// ("=?koi8-r?B?...?=") decoded, as a text in `page` again: the list shows and sorts it and
// names files after it like any store text. Characters the page cannot hold become '?'; the
// rest of the value keeps its bytes.
std::string decodeEncodedWords(std::string_view value, const AnsiCodePage& page);

}  // namespace mq
