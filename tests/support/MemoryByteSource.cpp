#include "support/MemoryByteSource.h"

#include <algorithm>
#include <cstring>

namespace mq {

std::size_t MemoryByteSource::readAt(std::uint64_t offset, std::span<std::byte> out) {
    ++reads_;
    const std::uint64_t end = std::min<std::uint64_t>(bytes_.size(), limit_);
    if (offset >= end || out.empty()) {
        return 0;
    }
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), end - offset));
    std::memcpy(out.data(), bytes_.data() + offset, n);
    highest_ = std::max(highest_, offset + n);
    bytesRead_ += n;
    return n;
}

}  // namespace mq
