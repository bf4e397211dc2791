#pragma once

#include <cstdint>
#include <string>

namespace mq {

// Sets the access and modification time (and the creation time where the platform has
// one) of an existing file to a FILETIME (UTC, 100 ns units since 1601-01-01).
bool setFileTimes(const std::string& utf8Path, std::uint64_t filetime);

}  // namespace mq
