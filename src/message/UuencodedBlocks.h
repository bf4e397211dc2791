#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// A file that a mail program of the uuencode era put into the text itself: the lines from
// "begin 644 name" to "end".
struct UuencodedBlock {
    std::size_t start = 0;  // of the "begin" line in the text
    std::size_t end = 0;    // after the "end" line
    std::string name;       // as the "begin" line gives it
};

// The complete blocks of `text`, in order; at most `maxBlocks`, and `leftOut` counts the
// others.
std::vector<UuencodedBlock> findUuencodedBlocks(std::string_view text, std::size_t maxBlocks,
                                                std::size_t& leftOut);

// The file a block holds.
std::string uudecode(std::string_view block);

// `text` without the blocks.
std::string withoutBlocks(std::string_view text, const std::vector<UuencodedBlock>& blocks);

}  // namespace mq
