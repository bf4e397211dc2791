#include "store/DataBlock.h"
#include "store/DbxLayout.h"
#include "store/LittleEndian.h"
#include "store/StoreReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

namespace mq::dbx {

namespace {

std::int32_t asSigned(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}

// Positioned reads that either fill the whole buffer from inside the file or fail. The tree
// walk jumps between index nodes and the records they point to, so a few windows of the
// file are kept to spare one system call per small read.
class CachedReader {
public:
    explicit CachedReader(ByteSource& file) : file_(file), size_(file.size()) {}

    std::uint64_t size() const { return size_; }

    bool read(std::uint64_t offset, std::span<std::byte> out) {
        if (offset > size_ || out.size() > size_ - offset) return false;
        if (out.empty()) return true;
        if (out.size() > WindowSize) return file_.readAt(offset, out) == out.size();
        Window* w = find(offset, out.size());
        if (!w) w = load(offset);
        if (!w || offset + out.size() > w->start + w->bytes.size()) return false;
        std::memcpy(out.data(), w->bytes.data() + (offset - w->start), out.size());
        return true;
    }

    // Up to `length` bytes at `offset` as the window that holds them has them, without a
    // copy: fewer when the window ends first, none when the offset is not in the file.
    std::span<const std::byte> peek(std::uint64_t offset, std::uint64_t length) {
        if (offset >= size_) return {};
        Window* w = find(offset, 1);
        if (!w) w = load(offset);
        if (!w) return {};
        const std::size_t from = static_cast<std::size_t>(offset - w->start);
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, w->bytes.size() - from));
        return std::span<const std::byte>(w->bytes).subspan(from, n);
    }

    bool read32(std::uint64_t offset, std::uint32_t& value) {
        std::array<std::byte, 4> b;
        if (!read(offset, b)) return false;
        value = le32(b.data());
        return true;
    }

private:
    static constexpr std::size_t WindowSize = 16 * 1024;
    static constexpr std::size_t WindowCount = 4;

    struct Window {
        std::uint64_t start = 0;
        std::vector<std::byte> bytes;
        std::uint64_t lastUse = 0;
    };

    Window* find(std::uint64_t offset, std::size_t length) {
        for (Window& w : windows_) {
            if (!w.bytes.empty() && offset >= w.start &&
                offset + length <= w.start + w.bytes.size()) {
                w.lastUse = ++clock_;
                return &w;
            }
        }
        return nullptr;
    }

    Window* load(std::uint64_t offset) {
        Window& w = *std::min_element(
            windows_.begin(), windows_.end(),
            [](const Window& a, const Window& b) { return a.lastUse < b.lastUse; });
        w.bytes.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(WindowSize, size_ - offset)));
        const std::size_t got = file_.readAt(offset, w.bytes);
        w.bytes.resize(got);
        w.start = offset;
        w.lastUse = ++clock_;
        return got == 0 ? nullptr : &w;
    }

    ByteSource& file_;
    std::uint64_t size_;
    std::array<Window, WindowCount> windows_;
    std::uint64_t clock_ = 0;
};

// The blocks of one chain taken so far. A chain usually runs forward through the file, and a
// block past every block before it cannot be a repeat, so only a chain that turns back needs
// a set; the usual one costs no allocation per block.
class VisitedBlocks {
public:
    // False when the block was taken before.
    bool insert(std::uint32_t offset) {
        if (!turnedBack_.empty()) return turnedBack_.insert(offset).second;
        if (forward_.empty() || offset > forward_.back()) {
            forward_.push_back(offset);
            return true;
        }
        turnedBack_.insert(forward_.begin(), forward_.end());
        forward_.clear();
        return turnedBack_.insert(offset).second;
    }

    std::size_t size() const { return forward_.size() + turnedBack_.size(); }

private:
    std::vector<std::uint32_t> forward_;  // ascending
    std::unordered_set<std::uint32_t> turnedBack_;
};

// What one walk may take. In a sound file the index entries, the nodes and the texts of
// distinct records each lie in bytes of their own, so none of them can add up to more than
// the file holds. Damage can make them overlap, and a walk that took each at its word would
// then take the same bytes over and over; it stops taking them where the file's size ends.
struct WalkAllowance {
    explicit WalkAllowance(std::uint64_t fileSize)
        : entries(fileSize / NodeLayout::EntrySize),
          nodes(fileSize / NodeLayout::HeaderSize),
          textBytes(fileSize) {}
    std::uint64_t entries;
    std::uint64_t nodes;
    std::uint64_t textBytes;
};

// An indexed record's entry table and where its data area lies, both cut to what the file
// and the body length allow. The data area is read only where an entry points.
struct Record {
    std::vector<std::uint32_t> entries;
    std::uint64_t dataStart = 0;
    std::uint32_t dataLength = 0;

    bool holds(std::uint32_t offset, std::uint32_t width) const {
        return offset <= dataLength && dataLength - offset >= width;
    }
};

// Reads the record header and entry table at `offset`; nothing when the self offset does not
// match or the header does not lie in the file.
std::optional<Record> readRecordTable(CachedReader& in, std::uint32_t offset) {
    std::array<std::byte, RecordLayout::HeaderSize> header;
    if (!in.read(offset, header)) return std::nullopt;
    if (le32(header.data() + RecordLayout::SelfOffset) != offset) return std::nullopt;

    const std::uint64_t bodyStart = std::uint64_t{offset} + RecordLayout::HeaderSize;
    const std::uint64_t bodyLength = std::min(
        {std::uint64_t{le32(header.data() + RecordLayout::BodyLength)},
         in.size() - std::min(in.size(), bodyStart), std::uint64_t{RecordLayout::MaxBodyLength}});
    const std::size_t count =
        std::min<std::size_t>(std::to_integer<std::size_t>(header[RecordLayout::EntryCount]),
                              static_cast<std::size_t>(bodyLength / RecordLayout::EntrySize));

    std::array<std::byte, RecordLayout::MaxEntries * RecordLayout::EntrySize> table;
    const std::size_t tableSize = count * RecordLayout::EntrySize;
    if (!in.read(bodyStart, std::span(table).first(tableSize))) return std::nullopt;
    Record record;
    record.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        record.entries.push_back(le32(table.data() + i * RecordLayout::EntrySize));
    record.dataStart = bodyStart + tableSize;
    record.dataLength = static_cast<std::uint32_t>(bodyLength - tableSize);
    return record;
}

// An indirect text: from `offset` to the first NUL, or to the end of the data area, and no
// longer than the walk has left for texts. Empty optional when the offset lies outside the
// data area.
std::optional<std::string> readText(CachedReader& in, const Record& record, std::uint32_t offset,
                                    WalkAllowance& allowance) {
    if (!record.holds(offset, 1)) return std::nullopt;
    std::string text;
    std::uint64_t at = record.dataStart + offset;
    std::uint64_t left = std::min<std::uint64_t>(record.dataLength - offset, allowance.textBytes);
    while (left > 0) {
        const std::span<const std::byte> bytes = in.peek(at, left);
        if (bytes.empty()) break;
        const auto* begin = reinterpret_cast<const char*>(bytes.data());
        const void* nul = std::memchr(begin, 0, bytes.size());
        text.append(begin, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin)
                               : bytes.size());
        if (nul) break;
        at += bytes.size();
        left -= bytes.size();
    }
    allowance.textBytes -= text.size();
    return text;
}

std::optional<std::uint32_t> readValue32(CachedReader& in, const Record& record,
                                         std::uint32_t offset) {
    std::uint32_t value = 0;
    if (!record.holds(offset, 4) || !in.read32(record.dataStart + offset, value))
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> readValue64(CachedReader& in, const Record& record,
                                         std::uint32_t offset) {
    std::array<std::byte, 8> b;
    if (!record.holds(offset, 8) || !in.read(record.dataStart + offset, b)) return std::nullopt;
    return le64(b.data());
}

template <typename Info>
using TextField = std::pair<std::uint32_t, std::string Info::*>;

// Each text field from the last entry of its number that points inside the data area: of
// several entries that fill one field the later wins, so only that one is read.
template <typename Info, std::size_t N>
void readTexts(CachedReader& in, const Record& record, const std::array<TextField<Info>, N>& fields,
               WalkAllowance& allowance, Info& info) {
    for (const auto& [number, field] : fields) {
        for (auto e = record.entries.rbegin(); e != record.entries.rend(); ++e) {
            if ((*e & RecordLayout::NumberMask) != number) continue;
            if (auto text = readText(in, record, *e >> RecordLayout::ValueShift, allowance)) {
                info.*field = std::move(*text);
                break;
            }
        }
    }
}

bool hasEntry(const std::vector<std::uint32_t>& entries, std::uint32_t number) {
    return std::any_of(entries.begin(), entries.end(), [number](std::uint32_t e) {
        return (e & RecordLayout::NumberMask) == number;
    });
}

const std::array<TextField<Toe5_FolderInfo>, 2> FolderTexts{{
    {FolderEntry::Name, &Toe5_FolderInfo::Name},
    {FolderEntry::FileName, &Toe5_FolderInfo::FileName},
}};

std::optional<Toe5_FolderInfo> decodeFolder(CachedReader& in, std::uint32_t offset,
                                            WalkAllowance& allowance) {
    std::optional<Record> record = readRecordTable(in, offset);
    if (!record) return std::nullopt;
    if (!hasEntry(record->entries, FolderEntry::FileName) &&
        !hasEntry(record->entries, FolderEntry::Kept))
        return std::nullopt;

    Toe5_FolderInfo info;
    for (std::uint32_t entry : record->entries) {
        const std::uint32_t value = entry >> RecordLayout::ValueShift;
        const std::uint32_t number = entry & RecordLayout::NumberMask;
        if (number == FolderEntry::Direct80) info.Direct80 = value;
        if (number == FolderEntry::Direct81) info.Direct81 = value;
    }
    readTexts(in, *record, FolderTexts, allowance, info);
    return info;
}

const std::array<TextField<Toe5_MessageInfo>, 10> MessageTexts{{
    {MessageEntry::AccountId, &Toe5_MessageInfo::AccountId},
    {MessageEntry::Account, &Toe5_MessageInfo::Account},
    {MessageEntry::MessageId, &Toe5_MessageInfo::MessageId},
    {MessageEntry::Subject, &Toe5_MessageInfo::Subject},
    {MessageEntry::From, &Toe5_MessageInfo::From},
    {MessageEntry::OtherFrom, &Toe5_MessageInfo::OtherFrom},
    {MessageEntry::To, &Toe5_MessageInfo::To},
    {MessageEntry::ReplyTo, &Toe5_MessageInfo::ReplyTo},
    {MessageEntry::References, &Toe5_MessageInfo::References},
    {MessageEntry::Newsgroup, &Toe5_MessageInfo::Newsgroup},
}};

std::optional<Toe5_MessageInfo> decodeMessage(CachedReader& in, std::uint32_t offset,
                                              WalkAllowance& allowance) {
    std::optional<Record> record = readRecordTable(in, offset);
    if (!record) return std::nullopt;

    Toe5_MessageInfo info;
    info.RecordOffset = asSigned(offset);
    for (std::uint32_t entry : record->entries) {
        const std::uint32_t value = entry >> RecordLayout::ValueShift;
        switch (entry & RecordLayout::NumberMask) {
            case MessageEntry::MessageNumber:
                info.MessageNumber = value;
                break;
            case MessageEntry::MessageStatus:
                info.MessageStatus = value;
                break;
            case MessageEntry::MessageSize:
                info.MessageSize = value;
                break;
            case MessageEntry::DirectPosition:
                info.MessagePosition = asSigned(value);
                break;
            case MessageEntry::Position:
                if (auto v = readValue32(in, *record, value)) info.MessagePosition = asSigned(*v);
                break;
            case MessageEntry::SentDate:
                if (auto v = readValue64(in, *record, value)) info.SentDate = *v;
                break;
            case MessageEntry::ReceivedDate:
                if (auto v = readValue64(in, *record, value)) info.ReceivedDate = *v;
                break;
            default:
                break;
        }
    }
    readTexts(in, *record, MessageTexts, allowance, info);
    return info;
}

// What a walk of the index tree found: the record offset of every entry that has one, in
// visiting order, and the nodes it entered.
struct Walk {
    std::vector<std::uint32_t> records;
    std::unordered_set<std::uint32_t> VisitedNodes;
};

// Visits every index node reachable from the root once (VisitedNodes) and notes each record
// offset, in the order: first link's subtree, second link's subtree, then per entry its
// record and its child's subtree. The walk keeps its own stack, so a degenerate tree as deep
// as the file allows cannot exhaust the call stack.
Walk walkTree(CachedReader& in, std::uint32_t root, WalkAllowance& allowance) {
    struct Frame {
        std::uint32_t node;
        std::int32_t firstLink;
        std::int32_t secondLink;
        std::uint32_t count;
        std::uint32_t next = 0;  // next entry to take
        int stage = 0;           // 0: first link, 1: second link, 2: entries
    };
    Walk walk;
    std::vector<Frame> stack;

    auto enter = [&](std::int32_t link) {
        if (link <= 0 || allowance.nodes == 0) return;
        const auto node = static_cast<std::uint32_t>(link);
        if (walk.VisitedNodes.contains(node)) return;
        std::array<std::byte, NodeLayout::HeaderSize> h;
        if (!in.read(node, h) || le32(h.data() + NodeLayout::SelfOffset) != node) return;
        walk.VisitedNodes.insert(node);
        --allowance.nodes;
        // Entries past the end of the file are cut off.
        const std::uint64_t room = in.size() - (std::uint64_t{node} + NodeLayout::HeaderSize);
        const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            le32(h.data() + NodeLayout::EntryCount) >> NodeLayout::EntryCountShift,
            room / NodeLayout::EntrySize));
        stack.push_back({node, asSigned(le32(h.data() + NodeLayout::FirstLink)),
                         asSigned(le32(h.data() + NodeLayout::SecondLink)), count});
    };

    enter(asSigned(root));
    while (!stack.empty() && allowance.entries > 0) {
        Frame& f = stack.back();
        if (f.stage == 0) {
            f.stage = 1;
            enter(f.firstLink);
            continue;
        }
        if (f.stage == 1) {
            f.stage = 2;
            enter(f.secondLink);
            continue;
        }
        if (f.next >= f.count) {
            stack.pop_back();
            continue;
        }
        const std::uint64_t at = std::uint64_t{f.node} + NodeLayout::HeaderSize +
                                 std::uint64_t{f.next} * NodeLayout::EntrySize;
        ++f.next;
        --allowance.entries;
        std::array<std::byte, NodeLayout::EntrySize> e;
        if (!in.read(at, e)) continue;
        const std::int32_t record = asSigned(le32(e.data() + NodeLayout::EntryRecord));
        if (record > 0) walk.records.push_back(static_cast<std::uint32_t>(record));
        enter(asSigned(le32(e.data() + NodeLayout::EntryChild)));  // may move `f`
    }
    return walk;
}

// Walks the tree, then decodes each record offset once and gives every entry that points at
// it a row. An offset the walk entered as an index node is a node, whatever else its bytes
// might pass for.
template <typename Info, typename Decode>
void readRecords(ByteSource& file, RecordList<Info>& out, Decode&& decode) {
    if (readFileHeader(file).ItemCount <= 0) return;
    CachedReader in(file);
    std::uint32_t root = 0;
    if (!in.read32(FileHeaderLayout::RootNode, root)) return;
    WalkAllowance allowance(in.size());
    Walk walk = walkTree(in, root, allowance);

    // The offsets that hold a record, each once: known before decoding, so that the list
    // takes its memory at once rather than moving every record as it grows.
    std::vector<std::uint32_t> offsets = walk.records;
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    std::erase_if(offsets, [&](std::uint32_t offset) {
        std::uint32_t self = 0;
        return walk.VisitedNodes.contains(offset) || !in.read32(offset, self) || self != offset;
    });
    walk.VisitedNodes = {};
    out.reserve(offsets.size(), walk.records.size());

    constexpr std::uint32_t NotARecord = UINT32_MAX;
    std::vector<std::uint32_t> indexes(offsets.size(), NotARecord);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (std::optional<Info> info = decode(in, offsets[i], allowance))
            indexes[i] = out.addRecord(std::move(*info));
    }
    for (const std::uint32_t offset : walk.records) {
        const auto at = std::lower_bound(offsets.begin(), offsets.end(), offset);
        if (at == offsets.end() || *at != offset) continue;
        const std::uint32_t index = indexes[static_cast<std::size_t>(at - offsets.begin())];
        if (index != NotARecord) out.addRow(index);
    }
}

}  // namespace

Toe5_FileHeader readFileHeader(ByteSource& file) {
    Toe5_FileHeader header;
    std::array<std::byte, 4> b;
    // A file too short to hold the count is as empty as one whose count is 0.
    if (file.size() >= FileHeaderLayout::ItemCount + b.size() &&
        file.readAt(FileHeaderLayout::ItemCount, b) == b.size())
        header.ItemCount = asSigned(le32(b.data()));
    return header;
}

void readFolderRecords(ByteSource& file, FolderList& out) {
    readRecords(file, out, decodeFolder);
}

void readMessageRecords(ByteSource& file, MessageInfoList& out) {
    readRecords(file, out, decodeMessage);
}

void readMessageText(ByteSource& file, std::int32_t position, std::string& text,
                     MessageReadObserver& observer) {
    if (position <= 0) return;
    text.clear();
    if (readFileHeader(file).ItemCount <= 0) return;
    readBlockChain(file, static_cast<std::uint32_t>(position), UINT64_MAX, text, observer);
}

void readBlockChain(ByteSource& file, std::uint32_t first, std::uint64_t maxBlocks,
                    std::string& text, MessageReadObserver& observer) {
    CachedReader in(file);
    // Blocks that do not overlap: a longer chain must reuse bytes, so it is damage.
    maxBlocks = std::min(maxBlocks, in.size() / BlockLayout::Size);
    VisitedBlocks seen;
    std::array<std::byte, BlockLayout::Size> bytes;
    std::uint32_t current = first;
    while (seen.size() < maxBlocks && seen.insert(current)) {
        if (!in.read(current, bytes)) break;
        const DataBlock block = DataBlock::decode(bytes.data(), observer.keepsNuls());
        if (block.selfOffset != current) break;
        text.append(block.text);

        if (observer.cancelled()) break;
        observer.blockRead();
        current = block.next;
        if (current == 0) break;
    }
}

}  // namespace mq::dbx
