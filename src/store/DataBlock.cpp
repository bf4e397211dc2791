#include "store/DataBlock.h"

#include "store/DbxLayout.h"
#include "store/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace mq::dbx {

DataBlock DataBlock::decode(const std::byte* bytes, bool keepNuls) {
    DataBlock block;
    block.selfOffset = le32(bytes + BlockLayout::SelfOffset);
    block.capacity = le32(bytes + BlockLayout::Capacity);
    block.dataLength = static_cast<std::int32_t>(le32(bytes + BlockLayout::DataLength));
    block.next = le32(bytes + BlockLayout::NextBlock);
    const auto* data = reinterpret_cast<const char*>(bytes + BlockLayout::Data);
    const void* nul = keepNuls ? nullptr : std::memchr(data, 0, BlockLayout::DataSize);
    const std::size_t available =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data)
            : BlockLayout::DataSize;
    const std::size_t length =
        block.dataLength > 0 ? std::min(available, static_cast<std::size_t>(block.dataLength)) : 0;
    block.text = std::string_view(data, length);
    return block;
}

}  // namespace mq::dbx
