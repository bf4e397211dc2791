#include "support/CraftedDbx.h"

#include "store/DbxLayout.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mq {

namespace {

using dbx::FileHeaderLayout;
using dbx::NodeLayout;
using dbx::RecordLayout;

constexpr std::uint32_t NodeHeaderSize = NodeLayout::HeaderSize;
constexpr std::uint32_t NodeEntrySize = NodeLayout::EntrySize;
constexpr std::uint32_t RecordHeaderSize = RecordLayout::HeaderSize;
constexpr std::uint32_t LargestEntryCount = 0xFFFFFF;
constexpr std::uint32_t LargestBody = RecordLayout::MaxBodyLength;  // what a reader takes

std::uint32_t align4(std::size_t offset) {
    return static_cast<std::uint32_t>((offset + 3) & ~std::size_t{3});
}

// The text entries of each kind: every text field of a message, name and file name of a
// folder (a folder record needs entry 3 to be kept).
std::vector<std::uint8_t> allTexts(DbxWriter::Kind kind) {
    if (kind == DbxWriter::Kind::Folders) return {2, 3};
    return {7, 8, 9, 10, 11, 13, 14, 19, 26, 27};
}

std::vector<std::uint8_t> oneText(DbxWriter::Kind kind) {
    if (kind == DbxWriter::Kind::Folders) return {2, 3};
    return {8};
}

class Layout {
public:
    explicit Layout(std::size_t fileSize) : bytes_(fileSize) {
        if (fileSize < 64 * 1024 || fileSize > UINT32_MAX)
            throw std::invalid_argument("crafted .dbx files are 64 KiB to 4 GiB");
        putU32(bytes_, FileHeaderLayout::ItemCount, 1);
    }

    std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }

    void root(std::uint32_t node) { putU32(bytes_, FileHeaderLayout::RootNode, node); }

    // A record header and entry table at `at`, every entry (number, dataOffset). Returns
    // where its data area begins.
    std::uint32_t record(std::uint32_t at, std::uint32_t bodyLength,
                         const std::vector<std::uint8_t>& numbers, std::uint32_t dataOffset) {
        putU32(bytes_, at, at);
        putU32(bytes_, at + 4, bodyLength);
        bytes_[at + 10] = static_cast<std::byte>(numbers.size());
        std::uint32_t entry = at + RecordHeaderSize;
        for (const std::uint8_t number : numbers) {
            putU32(bytes_, entry, dataOffset << 8 | number);
            entry += 4;
        }
        return entry;
    }

    // A node at `at` whose `count` entries all point at the record `target`.
    void nodeOf(std::uint32_t at, std::uint32_t count, std::uint32_t target) {
        putU32(bytes_, at, at);
        putU32(bytes_, at + 16, count << 8);
        for (std::uint32_t i = 0; i < count; ++i)
            putU32(bytes_, at + NodeHeaderSize + i * NodeEntrySize, target);
    }

    void u32(std::uint32_t at, std::uint32_t value) { putU32(bytes_, at, value); }

    void fill(std::uint32_t from, std::uint32_t to, char c) {
        std::memset(bytes_.data() + from, c, to - from);
    }

    void text(std::uint32_t at, std::string_view s) {
        std::memcpy(bytes_.data() + at, s.data(), s.size());
    }

    std::vector<std::byte> take() { return std::move(bytes_); }

private:
    std::vector<std::byte> bytes_;
};

// Shared by SharedRecord and LargeRecord: the record at the start, its data area, then a
// node filling the rest of the file with references to it.
std::vector<std::byte> referencedRecord(Layout& file, bool textWithoutEnd, DbxWriter::Kind kind) {
    const std::uint32_t at = DbxWriter::headerSize;
    const std::uint32_t data = std::min(LargestBody, (file.size() - at) / 2);
    const std::vector<std::uint8_t> numbers = textWithoutEnd ? allTexts(kind) : oneText(kind);
    const std::uint32_t tableSize = 4 * static_cast<std::uint32_t>(numbers.size());
    // A body length past the file makes the data area run to the end of the file.
    const std::uint32_t dataStart =
        file.record(at, textWithoutEnd ? 0xFFFFFFF0u : tableSize + data, numbers, 0);
    if (textWithoutEnd)
        file.fill(dataStart, dataStart + data, 'x');
    else
        file.text(dataStart, "large");

    const std::uint32_t node = align4(dataStart + data);
    const std::uint32_t count =
        std::min(LargestEntryCount, (file.size() - node - NodeHeaderSize) / NodeEntrySize);
    file.nodeOf(node, count, at);
    file.root(node);
    return file.take();
}

std::vector<std::byte> packedNodes(Layout& file, DbxWriter::Kind kind) {
    const std::uint32_t record = DbxWriter::headerSize;
    const std::vector<std::uint8_t> numbers = oneText(kind);
    const auto tableSize = 4 * static_cast<std::uint32_t>(numbers.size());
    constexpr std::string_view name = "crafted";
    const auto dataSize = static_cast<std::uint32_t>(name.size()) + 1;
    file.text(file.record(record, tableSize + dataSize, numbers, 0), name);

    constexpr std::uint32_t stride = NodeHeaderSize + NodeEntrySize;
    const std::uint32_t first = align4(record + RecordHeaderSize + tableSize + dataSize);
    for (std::uint32_t at = first; at + stride <= file.size(); at += stride) {
        file.nodeOf(at, 1, record);
        // Read as two entries of an earlier node, this header points at itself as a record
        // and as a child; its first link (0) and its count field (negative) lead nowhere.
        file.u32(at + 4, at);
        file.u32(at + 16, LargestEntryCount << 8);
    }
    file.root(first);
    return file.take();
}

std::vector<std::byte> overlappingRecords(Layout& file, DbxWriter::Kind kind) {
    const std::vector<std::uint8_t> numbers = oneText(kind);
    const std::uint32_t stride =
        align4(RecordHeaderSize + 4 * static_cast<std::uint32_t>(numbers.size()));
    // The records lie within one data area's reach of the texts, so that every record's
    // data area holds them; node and records take about half of a small file.
    const std::uint32_t node = DbxWriter::headerSize;
    const std::uint32_t count =
        std::min((file.size() - node) / 2 / (stride + NodeEntrySize), LargestBody / 2 / stride);
    file.nodeOf(node, count, 0);
    const std::uint32_t first = align4(node + NodeHeaderSize + count * NodeEntrySize);
    const std::uint32_t texts = first + count * stride;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t at = first + i * stride;
        file.u32(node + NodeHeaderSize + i * NodeEntrySize, at);
        const std::uint32_t dataStart = at + stride;
        file.record(at, 0xFFFFFFF0u, numbers, texts - dataStart);
    }
    file.fill(texts, file.size(), 'x');
    file.root(node);
    return file.take();
}

}  // namespace

std::string_view nameOf(CraftedShape shape) {
    switch (shape) {
        case CraftedShape::SharedRecord:
            return "SharedRecord";
        case CraftedShape::PackedNodes:
            return "PackedNodes";
        case CraftedShape::LargeRecord:
            return "LargeRecord";
        case CraftedShape::OverlappingRecords:
            return "OverlappingRecords";
    }
    return {};
}

std::vector<std::byte> craftDbx(CraftedShape shape, std::size_t fileSize, DbxWriter::Kind kind) {
    Layout file(fileSize);
    switch (shape) {
        case CraftedShape::SharedRecord:
            return referencedRecord(file, true, kind);
        case CraftedShape::PackedNodes:
            return packedNodes(file, kind);
        case CraftedShape::LargeRecord:
            return referencedRecord(file, false, kind);
        case CraftedShape::OverlappingRecords:
            return overlappingRecords(file, kind);
    }
    return file.take();
}

}  // namespace mq
