#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mq {

// Replaces %NAME% references by the variable's value, as ExpandEnvironmentStringsA does:
// a name that is not defined stays as written, "%%" and an unmatched "%" stay as they are.
// Empty when the expanded text (with its terminating NUL) does not fit into `capacity`
// characters, so the caller can fall back to the unexpanded text.
std::optional<std::string> expandEnvironmentStrings(std::string_view text,
                                                    std::size_t capacity = 1024);

// Where there is no registry, a store root is written by hand in a file: "~/" at its start
// stands for the user's home folder there. Windows has no such shorthand: the text is
// returned as it is, as it is when the home folder is unknown.
std::string expandHomeFolder(std::string_view text);

}  // namespace mq
