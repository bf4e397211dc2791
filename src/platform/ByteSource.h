#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace mq {

// Something that can be read at absolute offsets: an open store file, or bytes in memory
// for tests and fuzzing. The store parser reads through this and nothing else.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to out.size() bytes at offset; returns how many were read (short at the end).
    virtual std::size_t readAt(std::uint64_t offset, std::span<std::byte> out) = 0;
};

}  // namespace mq
