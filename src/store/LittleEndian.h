#pragma once

#include <cstddef>
#include <cstdint>

namespace mq::dbx {

// The .dbx files store every number little-endian, whatever the machine.
inline std::uint32_t le32(const std::byte* p) {
    return std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16 | std::to_integer<std::uint32_t>(p[3]) << 24;
}

inline std::uint64_t le64(const std::byte* p) {
    return std::uint64_t{le32(p)} | std::uint64_t{le32(p + 4)} << 32;
}

}  // namespace mq::dbx
