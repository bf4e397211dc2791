#include "store/DataBlock.h"
#include "store/DbxLayout.h"
#include "store/LittleEndian.h"
#include "store/StoreReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
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

// An indexed record as read: its entry table and data area, both cut to what the file and
// the body length allow.
struct Record {
    std::vector<std::uint32_t> entries;
    std::uint64_t dataStart = 0;
    std::vector<std::byte> data;  // empty until readRecordData
    std::size_t dataLength = 0;

    // An indirect text: from `offset` to the first NUL, or to the end of the data area.
    // Empty optional when the offset lies outside the data area.
    std::optional<std::string> text(std::uint32_t offset) const {
        if (offset >= data.size()) return std::nullopt;
        const auto* begin = reinterpret_cast<const char*>(data.data()) + offset;
        const std::size_t available = data.size() - offset;
        const void* nul = std::memchr(begin, 0, available);
        const std::size_t length =
            nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : available;
        return std::string(begin, length);
    }

    std::optional<std::uint32_t> value32(std::uint32_t offset) const {
        if (offset > data.size() || data.size() - offset < 4) return std::nullopt;
        return le32(data.data() + offset);
    }

    std::optional<std::uint64_t> value64(std::uint32_t offset) const {
        if (offset > data.size() || data.size() - offset < 8) return std::nullopt;
        return le64(data.data() + offset);
    }
};

bool hasEntry(const std::vector<std::uint32_t>& entries, std::uint32_t number) {
    return std::any_of(entries.begin(), entries.end(), [number](std::uint32_t e) {
        return (e & RecordLayout::NumberMask) == number;
    });
}

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

    std::vector<std::byte> table(count * RecordLayout::EntrySize);
    if (!in.read(bodyStart, table)) return std::nullopt;
    Record record;
    record.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        record.entries.push_back(le32(table.data() + i * RecordLayout::EntrySize));
    record.dataStart = bodyStart + table.size();
    record.dataLength = static_cast<std::size_t>(bodyLength) - table.size();
    return record;
}

bool readRecordData(CachedReader& in, Record& record) {
    record.data.resize(record.dataLength);
    return in.read(record.dataStart, record.data);
}

void decodeFolder(CachedReader& in, std::uint32_t offset, FolderList& out) {
    std::optional<Record> record = readRecordTable(in, offset);
    if (!record) return;
    if (!hasEntry(record->entries, FolderEntry::FileName) &&
        !hasEntry(record->entries, FolderEntry::Kept))
        return;
    if (!readRecordData(in, *record)) return;

    Toe5_FolderInfo info;
    for (std::uint32_t entry : record->entries) {
        const std::uint32_t value = entry >> RecordLayout::ValueShift;
        switch (entry & RecordLayout::NumberMask) {
            case FolderEntry::Name:
                if (auto t = record->text(value)) info.Name = std::move(*t);
                break;
            case FolderEntry::FileName:
                if (auto t = record->text(value)) info.FileName = std::move(*t);
                break;
            case FolderEntry::Direct80:
                info.Direct80 = value;
                break;
            case FolderEntry::Direct81:
                info.Direct81 = value;
                break;
            default:
                break;
        }
    }
    out.push_back(std::move(info));
}

void setText(const Record& record, std::uint32_t offset, std::string& field) {
    if (auto t = record.text(offset)) field = std::move(*t);
}

void decodeMessage(CachedReader& in, std::uint32_t offset, MessageInfoList& out) {
    std::optional<Record> record = readRecordTable(in, offset);
    if (!record || !readRecordData(in, *record)) return;

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
                if (auto v = record->value32(value)) info.MessagePosition = asSigned(*v);
                break;
            case MessageEntry::SentDate:
                if (auto v = record->value64(value)) info.SentDate = *v;
                break;
            case MessageEntry::ReceivedDate:
                if (auto v = record->value64(value)) info.ReceivedDate = *v;
                break;
            case MessageEntry::AccountId:
                setText(*record, value, info.AccountId);
                break;
            case MessageEntry::Account:
                setText(*record, value, info.Account);
                break;
            case MessageEntry::MessageId:
                setText(*record, value, info.MessageId);
                break;
            case MessageEntry::Subject:
                setText(*record, value, info.Subject);
                break;
            case MessageEntry::From:
                setText(*record, value, info.From);
                break;
            case MessageEntry::OtherFrom:
                setText(*record, value, info.OtherFrom);
                break;
            case MessageEntry::To:
                setText(*record, value, info.To);
                break;
            case MessageEntry::ReplyTo:
                setText(*record, value, info.ReplyTo);
                break;
            case MessageEntry::References:
                setText(*record, value, info.References);
                break;
            case MessageEntry::Newsgroup:
                setText(*record, value, info.Newsgroup);
                break;
            default:
                break;
        }
    }
    out.push_back(std::move(info));
}

// Visits every index node reachable from the root once (VisitedNodes) and hands each record
// offset to `decode`, in the order: first link's subtree, second link's subtree, then per
// entry its record and its child's subtree. The walk keeps its own stack, so a degenerate
// tree as deep as the file allows cannot exhaust the call stack.
template <typename Decode>
void walkTree(CachedReader& in, std::uint32_t root, Decode&& decode) {
    struct Frame {
        std::uint32_t node;
        std::int32_t firstLink;
        std::int32_t secondLink;
        std::uint32_t count;
        std::uint32_t next = 0;  // next entry to take
        int stage = 0;           // 0: first link, 1: second link, 2: entries
    };
    std::unordered_set<std::uint32_t> VisitedNodes;
    std::vector<Frame> stack;

    auto enter = [&](std::int32_t link) {
        if (link <= 0) return;
        const auto node = static_cast<std::uint32_t>(link);
        if (VisitedNodes.contains(node)) return;
        std::array<std::byte, NodeLayout::HeaderSize> h;
        if (!in.read(node, h) || le32(h.data() + NodeLayout::SelfOffset) != node) return;
        VisitedNodes.insert(node);
        // Entries past the end of the file are cut off.
        const std::uint64_t room = in.size() - (std::uint64_t{node} + NodeLayout::HeaderSize);
        const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            le32(h.data() + NodeLayout::EntryCount) >> NodeLayout::EntryCountShift,
            room / NodeLayout::EntrySize));
        stack.push_back({node, asSigned(le32(h.data() + NodeLayout::FirstLink)),
                         asSigned(le32(h.data() + NodeLayout::SecondLink)), count});
    };

    enter(asSigned(root));
    while (!stack.empty()) {
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
        std::array<std::byte, NodeLayout::EntrySize> e;
        if (!in.read(at, e)) continue;
        const std::int32_t record = asSigned(le32(e.data() + NodeLayout::EntryRecord));
        if (record > 0) decode(static_cast<std::uint32_t>(record));
        enter(asSigned(le32(e.data() + NodeLayout::EntryChild)));  // may move `f`
    }
}

template <typename Decode>
void readRecords(ByteSource& file, Decode&& decode) {
    if (readFileHeader(file).ItemCount <= 0) return;
    CachedReader in(file);
    std::uint32_t root = 0;
    if (!in.read32(FileHeaderLayout::RootNode, root)) return;
    walkTree(in, root, [&](std::uint32_t offset) { decode(in, offset); });
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
    readRecords(file,
                [&](CachedReader& in, std::uint32_t offset) { decodeFolder(in, offset, out); });
}

void readMessageRecords(ByteSource& file, MessageInfoList& out) {
    readRecords(file,
                [&](CachedReader& in, std::uint32_t offset) { decodeMessage(in, offset, out); });
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
        const DataBlock block = DataBlock::decode(bytes.data());
        if (block.selfOffset != current) break;
        text.append(block.text);

        if (observer.cancelled()) break;
        observer.blockRead();
        current = block.next;
        if (current == 0) break;
    }
}

}  // namespace mq::dbx
