#pragma once

#include <string>
#include <string_view>

namespace mq {

// The text an HTML page shows (UTF-8 in, UTF-8 out): tags, comments, scripts and style
// sheets left out, the usual character references resolved, a line break for each tag that
// starts a line. What a search looks through, not a rendering.
std::string visibleText(std::string_view html);

}  // namespace mq
