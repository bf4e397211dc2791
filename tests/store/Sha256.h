#pragma once

#include <string>
#include <string_view>

namespace mq {

// Lower-case hex SHA-256 of `data`, to check a decoded text against a published digest.
std::string sha256Hex(std::string_view data);

}  // namespace mq
