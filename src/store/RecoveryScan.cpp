#include "store/RecoveryScan.h"

#include "store/DataBlock.h"
#include "store/DbxLayout.h"
#include "store/LittleEndian.h"
#include "store/StoreReader.h"

#include <algorithm>
#include <vector>

namespace mq::dbx {

namespace {

constexpr std::size_t PartSize = 1 << 20;
constexpr std::uint64_t Alignment = 4;
constexpr std::uint32_t NoBlock = UINT32_MAX;

// A block whose header fits a message text chain.
struct FoundBlock {
    std::uint32_t position = 0;
    std::uint32_t next = 0;             // as stored
    std::uint32_t successor = NoBlock;  // index of the found block at `next`
    std::uint16_t textLength = 0;
    std::uint8_t predecessors = 0;  // found blocks whose next is this one, counted up to 2
    bool indexed = false;
};

// What reading a chain from one of its blocks gives.
struct ChainFrom {
    std::uint64_t length = 0;
    std::uint32_t blocks = 0;
    bool complete = false;
    // The first block of a loop that no block outside it leads into, which then has no other
    // start: the one nearest the start of the file, where the text's writing began.
    bool opensLoop = false;
};

// Real blocks hold 512 data bytes, never more text than that, and a next block apart from
// themselves. Index nodes and records that happen to begin with their own offset fail on the
// capacity or the data length, as do blocks the mail client has freed.
bool fitsChain(const DataBlock& block, std::uint64_t position) {
    if (block.selfOffset != position || block.capacity != BlockLayout::DataSize ||
        block.dataLength < 0 || block.dataLength > std::int32_t{BlockLayout::DataSize})
        return false;
    // A next block past the end is where a file cut short lost the rest of the text.
    const std::uint64_t next = block.next;
    return next == 0 || next >= position + BlockLayout::Size ||
           next + BlockLayout::Size <= position;
}

// Every 4-byte boundary of the file, where the mail client places all it writes, is a
// possible block start, except inside a block already taken: real blocks never overlap, and a
// text that quotes a block header cannot pass for one. False when cancelled.
bool findBlocks(ByteSource& file, RecoveryScanObserver& observer, std::vector<FoundBlock>& found) {
    const std::uint64_t size = file.size();
    // Offsets are 32-bit, so no block starts past 4 GB; 0 ends a chain and starts none.
    const std::uint64_t lastStart =
        size < BlockLayout::Size ? 0
                                 : std::min<std::uint64_t>(size - BlockLayout::Size, UINT32_MAX);
    std::vector<std::byte> part(
        static_cast<std::size_t>(std::min<std::uint64_t>(PartSize + BlockLayout::Size, size)));
    std::uint64_t position = Alignment;
    while (position <= lastStart) {
        if (observer.cancelled()) return false;
        observer.scanned(position, size);
        const std::uint64_t partStart = position;
        const std::size_t got = file.readAt(partStart, part);
        if (got < BlockLayout::Size) break;
        const std::uint64_t last = std::min(partStart + got - BlockLayout::Size, lastStart);
        while (position <= last) {
            const std::byte* at = part.data() + (position - partStart);
            if (le32(at) == position) {
                const DataBlock block = DataBlock::decode(at);
                if (fitsChain(block, position)) {
                    found.push_back({static_cast<std::uint32_t>(position), block.next, NoBlock,
                                     static_cast<std::uint16_t>(block.text.size())});
                    position += BlockLayout::Size;
                    continue;
                }
            }
            position += Alignment;
        }
    }
    observer.scanned(size, size);
    return true;
}

std::uint32_t indexOf(const std::vector<FoundBlock>& found, std::uint32_t position) {
    const auto at =
        std::lower_bound(found.begin(), found.end(), position,
                         [](const FoundBlock& f, std::uint32_t p) { return f.position < p; });
    return at != found.end() && at->position == position
               ? static_cast<std::uint32_t>(at - found.begin())
               : NoBlock;
}

void link(std::vector<FoundBlock>& found) {
    for (std::size_t i = 0; i < found.size(); ++i) {
        FoundBlock& f = found[i];
        if (f.next == 0) continue;
        // Blocks of a text mostly follow one another.
        f.successor = i + 1 < found.size() && found[i + 1].position == f.next
                          ? static_cast<std::uint32_t>(i + 1)
                          : indexOf(found, f.next);
        if (f.successor != NoBlock && found[f.successor].predecessors < 2)
            ++found[f.successor].predecessors;
    }
}

void markIndexed(ByteSource& file, std::vector<FoundBlock>& found) {
    MessageInfoList records;
    readMessageRecords(file, records);
    for (const Toe5_MessageInfo& info : records) {
        // What the folder's reader reaches; positions past 2 GB it does not.
        if (info.MessagePosition <= 0) continue;
        const std::uint32_t i = indexOf(found, static_cast<std::uint32_t>(info.MessagePosition));
        if (i != NoBlock) found[i].indexed = true;
    }
}

// What each found block's chain gives, read as the text reader would: up to a block whose
// next is 0 or not a found block, or up to the first block met again. Each block is worked
// out once, from the end of its chain backwards, so chains that run together or loop cost no
// more than their blocks.
std::vector<ChainFrom> followChains(const std::vector<FoundBlock>& found) {
    enum : std::uint8_t { Unvisited, OnPath, Done };
    std::vector<ChainFrom> from(found.size());
    std::vector<std::uint8_t> state(found.size(), Unvisited);
    std::vector<std::uint32_t> path;
    for (std::uint32_t start = 0; start < found.size(); ++start) {
        path.clear();
        std::uint32_t i = start;
        for (; i != NoBlock && state[i] == Unvisited; i = found[i].successor) {
            state[i] = OnPath;
            path.push_back(i);
        }
        std::size_t end = path.size();
        if (i != NoBlock && state[i] == OnPath) {
            // A loop: read from any of its blocks, the text holds each of them once.
            end = static_cast<std::size_t>(std::find(path.begin(), path.end(), i) - path.begin());
            ChainFrom loop;
            bool entered = false;
            for (std::size_t k = end; k < path.size(); ++k) {
                loop.length += found[path[k]].textLength;
                ++loop.blocks;
                entered = entered || found[path[k]].predecessors > 1;
            }
            for (std::size_t k = end; k < path.size(); ++k) {
                from[path[k]] = loop;
                state[path[k]] = Done;
            }
            if (!entered) from[*std::min_element(path.begin() + end, path.end())].opensLoop = true;
        }
        while (end > 0) {
            const std::uint32_t b = path[--end];
            const std::uint32_t s = found[b].successor;
            ChainFrom& c = from[b];
            c.length = found[b].textLength;
            c.blocks = 1;
            c.complete = found[b].next == 0;
            if (s != NoBlock) {
                c.length += from[s].length;
                c.blocks += from[s].blocks;
                c.complete = from[s].complete && found[s].predecessors < 2;
            }
            state[b] = Done;
        }
    }
    return from;
}

}  // namespace

RecoveredMessageList recoverMessages(ByteSource& file, RecoveryScanObserver& observer) {
    std::vector<FoundBlock> found;
    if (!findBlocks(file, observer, found)) return {};
    link(found);
    markIndexed(file, found);
    const std::vector<ChainFrom> from = followChains(found);

    RecoveredMessageList messages;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const FoundBlock& f = found[i];
        // A chain another block runs into is the tail of that one, unless the index starts a
        // message there.
        const bool starts = f.predecessors == 0 || f.indexed || from[i].opensLoop;
        if (!starts || from[i].length == 0) continue;
        messages.push_back(
            {f.position, from[i].blocks, from[i].length, from[i].complete, f.indexed});
    }
    return messages;
}

void readRecoveredText(ByteSource& file, const RecoveredMessage& message, std::string& text,
                       MessageReadObserver& observer) {
    text.clear();
    readBlockChain(file, message.position, message.blocks, text, observer);
}

}  // namespace mq::dbx
