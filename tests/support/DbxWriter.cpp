#include "support/DbxWriter.h"

#include "support/SeededRandom.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace mq {

namespace {

// The class ids that begin every file of the store; the second word tells the two kinds apart.
constexpr std::uint32_t fileMagic = 0xFE12ADCF;
constexpr std::uint32_t messageFileId = 0x6F74FDC5;
constexpr std::uint32_t folderFileId = 0x6F74FDC6;
constexpr std::uint32_t classIdTail[] = {0x11D1E366, 0xC0004E9A};

constexpr std::size_t headerRootOffset = 0x30;
constexpr std::size_t headerFileSize = 0x7C;
constexpr std::size_t headerItemCount = 0xC4;
constexpr std::size_t headerMessageRoot = 0xE4;

constexpr std::uint32_t nodeHeaderSize = 24;
constexpr std::uint32_t nodeEntrySize = 12;
constexpr std::uint32_t recordHeaderSize = 12;

void put(std::byte* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
}

bool isDirect(const DbxRecordEntry& e) {
    return e.number >= 0x80;
}

std::uint32_t dataSize(const DbxRecordEntry& e) {
    if (e.raw || isDirect(e)) {
        return 0;
    }
    return e.position ? 4 : static_cast<std::uint32_t>(e.data.size());
}

std::uint32_t recordSize(const DbxRecord& r) {
    std::uint32_t size = recordHeaderSize + 4 * static_cast<std::uint32_t>(r.entries.size());
    for (const auto& e : r.entries) {
        size += dataSize(e);
    }
    return size;
}

std::size_t blockCountOf(std::size_t textSize) {
    return std::max<std::size_t>(
        1, (textSize + DbxWriter::blockDataSize - 1) / DbxWriter::blockDataSize);
}

}  // namespace

// Bytes go out in offset order; the gaps between objects are zero.
class DbxSink {
public:
    virtual ~DbxSink() = default;
    virtual void append(const std::byte* data, std::size_t size) = 0;

    void padTo(std::uint64_t offset) {
        static const std::byte zeros[4096] = {};
        if (offset < written_) {
            throw std::logic_error("dbx writer: objects overlap");
        }
        while (written_ < offset) {
            const auto n =
                static_cast<std::size_t>(std::min<std::uint64_t>(sizeof zeros, offset - written_));
            write(zeros, n);
        }
    }
    void write(const std::byte* data, std::size_t size) {
        append(data, size);
        written_ += size;
    }
    void write(const std::vector<std::byte>& bytes) { write(bytes.data(), bytes.size()); }

private:
    std::uint64_t written_ = 0;
};

namespace {

class VectorSink : public DbxSink {
public:
    explicit VectorSink(std::vector<std::byte>& out) : out_(out) {}
    void append(const std::byte* data, std::size_t size) override {
        out_.insert(out_.end(), data, data + size);
    }

private:
    std::vector<std::byte>& out_;
};

class FileSink : public DbxSink {
public:
    explicit FileSink(const std::filesystem::path& path)
        : out_(path, std::ios::binary | std::ios::trunc) {
        if (!out_) {
            throw std::runtime_error("cannot create " + path.string());
        }
    }
    void append(const std::byte* data, std::size_t size) override {
        out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out_) {
            throw std::runtime_error("write failed");
        }
    }

private:
    std::ofstream out_;
};

}  // namespace

std::size_t DbxWriter::addRecord(DbxRecord record) {
    records_.push_back(std::move(record));
    return records_.size() - 1;
}

std::size_t DbxWriter::addMessage(const DbxMessage& m) {
    using E = DbxRecordEntry;
    std::optional<std::size_t> chain;
    std::size_t textSize = m.text.size();
    if (m.makeText) {
        chains_.push_back({{}, m.textSize, m.makeText});
        chain = chains_.size() - 1;
        textSize = m.textSize;
    } else if (!m.text.empty()) {
        chain = addTextChain(m.text);
    }

    DbxRecord r;
    auto text = [&r](std::uint8_t number, const std::string& value) {
        if (!value.empty()) {
            r.entries.push_back(E::text(number, value));
        }
    };
    if (m.number != 0) {
        r.entries.push_back(E::direct(0x80, m.number));
    }
    if (m.sent != 0) {
        r.entries.push_back(E::filetime(2, m.sent));
    }
    if (chain && m.positionEntry != DbxMessage::PositionEntry::None) {
        const bool indirect = m.positionEntry == DbxMessage::PositionEntry::Indirect;
        r.entries.push_back(E::offsetOf(indirect ? 4 : 0x84, DbxRef::chain(*chain)));
        if (m.positionEntry == DbxMessage::PositionEntry::Auto) {
            autoPositions_.push_back({records_.size(), r.entries.size() - 1});
        }
    }
    text(7, m.messageId);
    text(8, m.subject);
    text(9, m.otherFrom);
    text(10, m.references);
    text(11, m.newsgroup);
    text(13, m.from);
    text(14, m.replyTo);
    const std::uint32_t size = m.size.value_or(static_cast<std::uint32_t>(textSize));
    if (size != 0) {
        r.entries.push_back(E::direct(0x91, size));
    }
    if (m.received != 0) {
        r.entries.push_back(E::filetime(18, m.received));
    }
    text(19, m.to);
    text(26, m.account);
    text(27, m.accountId);
    if (m.status != 0) {
        r.entries.push_back(E::direct(0x81, m.status));
    }
    return addRecord(std::move(r));
}

std::size_t DbxWriter::addFolder(const DbxFolder& f) {
    using E = DbxRecordEntry;
    DbxRecord r;
    if (f.id != 0) {
        r.entries.push_back(E::direct(0x80, f.id));
    }
    if (f.parentId != 0) {
        r.entries.push_back(E::direct(0x81, f.parentId));
    }
    if (!f.name.empty()) {
        r.entries.push_back(E::text(2, f.name));
    }
    r.entries.push_back(f.fileName.empty() ? E::uint32(6, 0) : E::text(3, f.fileName));
    return addRecord(std::move(r));
}

std::size_t DbxWriter::addChain(std::vector<DbxBlock> blocks) {
    chains_.push_back({std::move(blocks), 0, {}});
    return chains_.size() - 1;
}

std::size_t DbxWriter::addTextChain(std::string_view text) {
    std::vector<DbxBlock> blocks(blockCountOf(text.size()));
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto part = text.substr(std::min(text.size(), i * blockDataSize), blockDataSize);
        blocks[i].data = toBytes(part);
    }
    return addChain(std::move(blocks));
}

std::size_t DbxWriter::addNode(DbxNode node) {
    treeGiven_ = true;
    nodes_.push_back(std::move(node));
    return nodes_.size() - 1;
}

void DbxWriter::setFanOut(std::size_t entriesPerNode) {
    fanOut_ = std::max<std::size_t>(1, entriesPerNode);
}

std::vector<std::byte> DbxWriter::build() {
    layOut();
    std::vector<std::byte> out;
    out.reserve(static_cast<std::size_t>(fileSize_));
    VectorSink sink(out);
    emit(sink);
    return out;
}

void DbxWriter::write(const std::filesystem::path& path) {
    layOut();
    FileSink sink(path);
    emit(sink);
}

std::uint32_t DbxWriter::offsetOfRecord(std::size_t record) const {
    return recordOffsets_.at(record);
}

std::uint32_t DbxWriter::offsetOfNode(std::size_t node) const {
    return nodeOffsets_.at(node);
}

std::uint32_t DbxWriter::offsetOfBlock(std::size_t chain, std::size_t block) const {
    return blockOffsets_.at(chain).at(block);
}

void DbxWriter::layOut() {
    std::uint64_t at = std::max(textStart_, headerSize);
    blockOffsets_.assign(chains_.size(), {});
    for (std::size_t c = 0; c < chains_.size(); ++c) {
        const auto& chain = chains_[c];
        const std::size_t count =
            chain.makeText ? blockCountOf(chain.lazySize) : chain.blocks.size();
        auto& offsets = blockOffsets_[c];
        offsets.reserve(count);
        for (std::size_t b = 0; b < count; ++b) {
            offsets.push_back(static_cast<std::uint32_t>(at));
            at += blockSize;
        }
    }

    // Positions that do not fit a direct entry's 24 bits go indirect, as the mail client does.
    for (const auto& [record, entry] : autoPositions_) {
        auto& e = records_[record].entries[entry];
        e.number = resolve(*e.position) > 0xFFFFFF ? 4 : 0x84;
    }

    recordOffsets_.clear();
    recordOffsets_.reserve(records_.size());
    for (const auto& r : records_) {
        recordOffsets_.push_back(static_cast<std::uint32_t>(at));
        at += (recordSize(r) + 3) & ~3u;
    }

    if (treeGiven_) {
        treeNodes_ = nodes_;
    } else {
        generateTree();
    }
    nodeOffsets_.clear();
    nodeOffsets_.reserve(treeNodes_.size());
    for (const auto& n : treeNodes_) {
        nodeOffsets_.push_back(static_cast<std::uint32_t>(at));
        at += nodeHeaderSize + nodeEntrySize * n.entries.size();
    }
    if (at > UINT32_MAX) {
        throw std::length_error("dbx writer: file larger than 4 GB");
    }
    fileSize_ = at;
}

// A B-tree in which an in-order walk (first link, then each entry's record and child)
// visits the records in the order they were added.
void DbxWriter::generateTree() {
    treeNodes_.clear();
    const std::size_t n = records_.size();
    if (n == 0) {
        return;
    }
    const std::uint64_t f = fanOut_;
    auto capacity = [f](int height) {
        std::uint64_t c = 0;  // f + (f + 1) * capacity(height - 1), saturating
        for (int h = 0; h < height; ++h) {
            c = c > (UINT64_MAX - f) / (f + 1) ? UINT64_MAX : f + (f + 1) * c;
        }
        return c;
    };
    // Each subtree is as shallow as its own count allows, so that no node stays empty.
    auto build = [&](auto& self, std::size_t first, std::size_t count) -> DbxRef {
        if (count == 0) {
            return DbxRef::none();
        }
        int h = 1;
        while (capacity(h) < count) {
            ++h;
        }
        const std::size_t index = treeNodes_.size();
        treeNodes_.emplace_back();
        DbxNode node;
        if (h == 1) {
            for (std::size_t i = 0; i < count; ++i) {
                node.entries.push_back({DbxRef::record(first + i), DbxRef::none()});
            }
        } else {
            const std::uint64_t below = capacity(h - 1);
            const auto children = static_cast<std::size_t>(
                std::min<std::uint64_t>(f + 1, (count + 1 + below) / (below + 1)));
            const std::size_t spread = count - (children - 1);
            std::size_t next = first;
            for (std::size_t c = 0; c < children; ++c) {
                const std::size_t size = spread / children + (c < spread % children ? 1 : 0);
                const DbxRef child = self(self, next, size);
                next += size;
                // The leftmost subtree hangs from the second link (node offset 8), and each
                // link carries the record count of its subtree, as in files the mail client
                // writes: other readers of the format (undbx, which the benchmarks time)
                // skip subtrees otherwise. Our walk visits the records in the same order.
                if (c == 0) {
                    node.secondLink = child;
                    node.secondLinkRecords = static_cast<std::uint32_t>(size);
                } else {
                    node.entries.back().child = child;
                    node.entries.back().childRecords = static_cast<std::uint32_t>(size);
                }
                if (c + 1 < children) {
                    node.entries.push_back({DbxRef::record(next++), DbxRef::none()});
                }
            }
        }
        treeNodes_[index] = std::move(node);
        return DbxRef::node(index);
    };
    build(build, 0, n);
}

std::uint32_t DbxWriter::resolve(const DbxRef& ref) const {
    switch (ref.kind) {
        case DbxRef::Kind::None:
            return 0;
        case DbxRef::Kind::Node:
            return nodeOffsets_.at(ref.index);
        case DbxRef::Kind::Record:
            return recordOffsets_.at(ref.index);
        case DbxRef::Kind::Block:
            return blockOffsets_.at(ref.index).at(ref.block);
        case DbxRef::Kind::Offset:
            return ref.value;
    }
    return 0;
}

void DbxWriter::emit(DbxSink& sink) const {
    emitHeader(sink);
    for (std::size_t c = 0; c < chains_.size(); ++c) {
        emitChain(sink, c);
    }
    for (std::size_t r = 0; r < records_.size(); ++r) {
        emitRecord(sink, r);
    }
    for (std::size_t n = 0; n < treeNodes_.size(); ++n) {
        emitNode(sink, n);
    }
    sink.padTo(fileSize_);
}

void DbxWriter::emitHeader(DbxSink& sink) const {
    std::vector<std::byte> h(headerSize);
    put(&h[0], fileMagic);
    put(&h[4], kind_ == Kind::Messages ? messageFileId : folderFileId);
    put(&h[8], classIdTail[0]);
    put(&h[12], classIdTail[1]);
    const std::uint32_t root =
        root_ ? resolve(*root_) : (treeNodes_.empty() ? 0 : nodeOffsets_.front());
    put(&h[headerRootOffset], root);
    put(&h[headerMessageRoot], root);
    put(&h[headerFileSize], static_cast<std::uint32_t>(fileSize_));
    put(&h[headerItemCount], static_cast<std::uint32_t>(
                                 itemCount_.value_or(static_cast<std::int32_t>(records_.size()))));
    sink.write(h);
}

void DbxWriter::emitChain(DbxSink& sink, std::size_t c) const {
    const auto& chain = chains_[c];
    const auto& offsets = blockOffsets_[c];
    std::string made;
    if (chain.makeText) {
        made = chain.makeText();
        if (made.size() != chain.lazySize) {
            throw std::logic_error("dbx writer: generated text of the wrong size");
        }
    }
    std::vector<std::byte> block(blockSize);
    for (std::size_t b = 0; b < offsets.size(); ++b) {
        std::fill(block.begin(), block.end(), std::byte{0});
        const std::uint32_t self = offsets[b];
        std::uint32_t length = 0;
        std::uint32_t next = b + 1 < offsets.size() ? offsets[b + 1] : 0;
        if (chain.makeText) {
            const std::size_t from = b * blockDataSize;
            length = static_cast<std::uint32_t>(
                std::min<std::size_t>(blockDataSize, made.size() - from));
            std::transform(made.begin() + static_cast<std::ptrdiff_t>(from),
                           made.begin() + static_cast<std::ptrdiff_t>(from + length),
                           block.begin() + 16, [](char ch) { return static_cast<std::byte>(ch); });
            put(&block[0], self);
        } else {
            const DbxBlock& wanted = chain.blocks[b];
            const std::size_t n = std::min<std::size_t>(blockDataSize, wanted.data.size());
            std::copy_n(wanted.data.begin(), n, block.begin() + 16);
            length = wanted.length ? static_cast<std::uint32_t>(*wanted.length)
                                   : static_cast<std::uint32_t>(n);
            put(&block[0], wanted.selfOffset.value_or(self));
            if (wanted.next) {
                next = resolve(*wanted.next);
            }
        }
        put(&block[4], blockDataSize);
        put(&block[8], length);
        put(&block[12], next);
        sink.padTo(self);
        sink.write(block);
    }
}

void DbxWriter::emitRecord(DbxSink& sink, std::size_t index) const {
    const DbxRecord& r = records_[index];
    const std::uint32_t self = recordOffsets_[index];
    const std::uint32_t size = recordSize(r);
    std::vector<std::byte> out(size);
    const auto k = static_cast<std::uint32_t>(r.entries.size());
    put(&out[0], r.selfOffset.value_or(self));
    put(&out[4], r.bodyLength.value_or(size - recordHeaderSize));
    out[10] = static_cast<std::byte>(r.entryCount.value_or(static_cast<std::uint8_t>(k & 0xFF)));

    const std::uint32_t dataStart = recordHeaderSize + 4 * k;
    std::uint32_t dataAt = 0;
    for (std::uint32_t i = 0; i < k; ++i) {
        const DbxRecordEntry& e = r.entries[i];
        std::uint32_t value = e.value;
        if (e.raw) {
            // as given
        } else if (e.position) {
            const std::uint32_t target = resolve(*e.position);
            if (isDirect(e)) {
                value = target;
            } else {
                value = dataAt;
                put(&out[dataStart + dataAt], target);
            }
        } else if (!isDirect(e)) {
            value = dataAt;
            std::copy(e.data.begin(), e.data.end(), out.begin() + dataStart + dataAt);
        }
        dataAt += dataSize(e);
        put(&out[recordHeaderSize + 4 * i], (value << 8) | e.number);
    }
    sink.padTo(self);
    sink.write(out);
}

void DbxWriter::emitNode(DbxSink& sink, std::size_t index) const {
    const DbxNode& n = treeNodes_[index];
    const std::uint32_t self = nodeOffsets_[index];
    std::vector<std::byte> out(nodeHeaderSize + nodeEntrySize * n.entries.size());
    put(&out[0], n.selfOffset.value_or(self));
    put(&out[8], resolve(n.secondLink));
    put(&out[12], resolve(n.firstLink));
    put(&out[16], n.countField.value_or(static_cast<std::uint32_t>(n.entries.size()) << 8));
    put(&out[20], n.secondLinkRecords);
    for (std::size_t i = 0; i < n.entries.size(); ++i) {
        std::byte* e = &out[nodeHeaderSize + nodeEntrySize * i];
        put(e, resolve(n.entries[i].record));
        put(e + 4, resolve(n.entries[i].child));
        put(e + 8, n.entries[i].childRecords);
    }
    sink.padTo(self);
    sink.write(out);
}

void putU32(std::vector<std::byte>& bytes, std::size_t offset, std::uint32_t value) {
    if (offset + 4 > bytes.size()) {
        throw std::out_of_range("putU32 past the end");
    }
    put(&bytes[offset], value);
}

std::uint32_t getU32(std::span<const std::byte> bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) {
        throw std::out_of_range("getU32 past the end");
    }
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | std::to_integer<std::uint32_t>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return v;
}

std::vector<std::byte> toBytes(std::string_view text) {
    std::vector<std::byte> out(text.size());
    if (!text.empty()) {
        std::memcpy(out.data(), text.data(), text.size());
    }
    return out;
}

void fillWithNoise(std::span<std::byte> bytes, std::uint64_t seed) {
    SeededRandom random(seed);
    for (std::byte& b : bytes) b = static_cast<std::byte>(random.next());
}

}  // namespace mq
