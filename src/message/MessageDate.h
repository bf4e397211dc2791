#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mq {

// A Date header value ("Tue, 4 Mar 2003 10:00:00 +0100", or the looser forms old mailers
// wrote) as a UTC FILETIME, as the store keeps its dates. None when it names no date or one
// before 1601.
std::optional<std::uint64_t> parseMessageDate(std::string_view value);

}  // namespace mq
