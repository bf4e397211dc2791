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
    bool live = false;  // on a chain that a record of the index starts
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

bool overlap(const FoundBlock& earlier, const FoundBlock& later) {
    return std::uint64_t{later.position} < std::uint64_t{earlier.position} + BlockLayout::Size;
}

// Every 4-byte boundary of the file, where the mail client places all it writes, is a
// possible block start, those inside another block included: an old header the mail client
// left behind may overlap a block written later (chooseBlocks decides). Two headers that
// pass lie at least 16 bytes apart, so the list holds at most a 16th of the file's bytes.
// False when cancelled.
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
        for (; position <= last; position += Alignment) {
            const std::byte* at = part.data() + (position - partStart);
            if (le32(at) != position) continue;
            const DataBlock block = DataBlock::decode(at);
            if (fitsChain(block, position))
                found.push_back({static_cast<std::uint32_t>(position), block.next, NoBlock,
                                 static_cast<std::uint16_t>(block.text.size())});
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
        f.successor = NoBlock;
        if (f.next == 0) continue;
        // Blocks of a text mostly follow one another.
        f.successor = i + 1 < found.size() && found[i + 1].position == f.next
                          ? static_cast<std::uint32_t>(i + 1)
                          : indexOf(found, f.next);
        if (f.successor != NoBlock && found[f.successor].predecessors < 2)
            ++found[f.successor].predecessors;
    }
}

// Marks the first blocks of the index's records, and every block their chains reach: the
// blocks the folder shows now.
void markIndexed(ByteSource& file, std::vector<FoundBlock>& found) {
    MessageInfoList records;
    readMessageRecords(file, records);
    for (const Toe5_MessageInfo& info : records) {
        // What the folder's reader reaches; positions past 2 GB it does not.
        if (info.MessagePosition <= 0) continue;
        std::uint32_t i = indexOf(found, static_cast<std::uint32_t>(info.MessagePosition));
        if (i != NoBlock) found[i].indexed = true;
        for (; i != NoBlock && !found[i].live; i = found[i].successor) found[i].live = true;
    }
}

// Of blocks that overlap, one is real and the others are an old header the mail client
// wrote over, or bytes of a text that look like a header. A block the index reaches now
// wins; otherwise the first, whose text holds the others' headers.
void chooseBlocks(std::vector<FoundBlock>& found) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (kept > 0 && overlap(found[kept - 1], found[i])) {
            if (found[i].live && !found[kept - 1].live) found[kept - 1] = found[i];
            continue;
        }
        found[kept++] = found[i];
    }
    found.resize(kept);
    for (FoundBlock& f : found) f.predecessors = 0;
    link(found);
}

// A loop of blocks that nothing leads into has no first block but the one nearest the start
// of the file, where the text's writing began.
bool startsAChain(const FoundBlock& block) {
    return block.predecessors == 0 || block.indexed;
}

// Gives each chain start the blocks from it up to a block whose next is 0 or not a found
// block, or up to a block that an earlier start took: each block belongs to one message, so
// what all of them hold is never more than the file. The index's messages come first, then
// the rest in file order: of chains that run into one tail, the first gets the tail and the
// others end where it begins.
RecoveredMessageList claimChains(const std::vector<FoundBlock>& found) {
    std::vector<bool> taken(found.size(), false);
    RecoveredMessageList messages;
    const auto claim = [&](std::uint32_t start) {
        RecoveredMessage m{found[start].position, 0, 0, false, found[start].indexed};
        std::uint32_t i = start;
        for (; i != NoBlock && !taken[i]; i = found[i].successor) {
            taken[i] = true;
            ++m.blocks;
            m.length += found[i].textLength;
            if (found[i].next == 0) {
                m.complete = true;
                break;
            }
        }
        if (m.length > 0) messages.push_back(m);
    };
    for (std::uint32_t i = 0; i < found.size(); ++i)
        if (found[i].indexed) claim(i);
    for (std::uint32_t i = 0; i < found.size(); ++i)
        if (!taken[i] && startsAChain(found[i])) claim(i);
    // What is left lies on loops that nothing leads into.
    for (std::uint32_t i = 0; i < found.size(); ++i)
        if (!taken[i]) claim(i);

    std::sort(messages.begin(), messages.end(),
              [](const RecoveredMessage& a, const RecoveredMessage& b) {
                  return a.position < b.position;
              });
    return messages;
}

}  // namespace

RecoveredMessageList recoverMessages(ByteSource& file, RecoveryScanObserver& observer) {
    std::vector<FoundBlock> found;
    if (!findBlocks(file, observer, found)) return {};
    link(found);
    markIndexed(file, found);
    chooseBlocks(found);
    return claimChains(found);
}

void readRecoveredText(ByteSource& file, const RecoveredMessage& message, std::string& text,
                       MessageReadObserver& observer) {
    text.clear();
    readBlockChain(file, message.position, message.blocks, text, observer);
}

}  // namespace mq::dbx
