#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mq {

// The first header field `name` (letter case ignored) of a stored message text, whose header
// ends at the first empty line. The value is unfolded (a line break before a blank or tab is
// dropped), trimmed of blanks at both ends and otherwise the bytes as stored: no decoding of
// encoded words. Nothing when the header has no such field.
std::optional<std::string> rawHeaderField(std::string_view text, std::string_view name);

}  // namespace mq
