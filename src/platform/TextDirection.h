#pragma once

#include <string>
#include <string_view>

namespace mq {

// Characters that turn the direction of the text after them (U+200E, U+200F, U+202A to
// U+202E, U+2066 to U+2069), as a sender may put them into a name so that "gpj.exe" reads
// "exe.jpg".

// `utf8` without them.
std::string withoutDirectionControls(std::string_view utf8);

// `utf8` as an isolate of its own direction (between U+2068 and U+2069): what it holds
// cannot turn what is shown after it. An unmatched U+2069 of the text, which would end the
// isolate early, is dropped.
std::string isolatedDirection(std::string_view utf8);

// Whether `utf8` holds one of them.
bool hasDirectionControls(std::string_view utf8);

}  // namespace mq
