#pragma once

#include "platform/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace mq {

// Bytes in memory read as a store file. `failAfter` makes every read past that offset come
// back short, as a file whose disk fails there.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::vector<std::byte> bytes) : bytes_(std::move(bytes)) {}

    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> out) override;

    void failAfter(std::uint64_t offset) { limit_ = offset; }
    // How many reads were made, how many bytes they gave, and the end of the furthest one.
    std::size_t reads() const { return reads_; }
    std::uint64_t bytesRead() const { return bytesRead_; }
    std::uint64_t highestOffsetRead() const { return highest_; }

private:
    std::vector<std::byte> bytes_;
    std::uint64_t limit_ = UINT64_MAX;
    std::size_t reads_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t highest_ = 0;
};

}  // namespace mq
