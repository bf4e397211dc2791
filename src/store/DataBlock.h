#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mq::dbx {

// One data block of a message text chain as decoded from its BlockLayout::Size bytes.
struct DataBlock {
    std::uint32_t selfOffset = 0;
    std::uint32_t capacity = 0;
    std::int32_t dataLength = 0;
    std::uint32_t next = 0;
    // What the block adds to the text: its data up to the first NUL (or, with `keepNuls`,
    // all of it), and of that at most the data length (nothing for 0 or less). Points into
    // the decoded bytes.
    std::string_view text;

    static DataBlock decode(const std::byte* bytes, bool keepNuls = false);
};

}  // namespace mq::dbx
