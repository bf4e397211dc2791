#pragma once

#include "support/DbxParts.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace mq {

class DbxSink;

// Builds .dbx files of any shape for tests, tools and benchmarks. The file is laid out as
// header, message texts, records, index nodes. Without nodes of its own the writer builds a
// tree whose walk visits the records in the order they were added.
//
//     DbxMessage m;
//     m.subject = "Hi";
//     m.text = "Subject: Hi\r\n\r\nHello\r\n";
//     DbxWriter w;
//     w.addMessage(m);
//     std::vector<std::byte> bytes = w.build();
//
// Damage comes from the overrides in the parts, from raw offsets (DbxRef::offset) and from
// editing the built bytes (putU32, resize); offsetOf* tell where things landed.
class DbxWriter {
public:
    enum class Kind { Messages, Folders };

    explicit DbxWriter(Kind kind = Kind::Messages) : kind_(kind) {}

    // Each returns the index of what it added.
    std::size_t addRecord(DbxRecord record);
    std::size_t addMessage(const DbxMessage& message);
    std::size_t addFolder(const DbxFolder& folder);
    std::size_t addChain(std::vector<DbxBlock> blocks);
    // The text split into full 512-byte blocks (the last one shorter).
    std::size_t addTextChain(std::string_view text);
    // Explicit nodes replace the generated tree; node 0 is the root unless setRoot says else.
    std::size_t addNode(DbxNode node);

    // Entries per node of the generated tree (real files hold up to 51); 1 gives a deep tree.
    void setFanOut(std::size_t entriesPerNode);
    // Item count at offset 196; default: the number of records.
    void setItemCount(std::int32_t count) { itemCount_ = count; }
    // The root link at offset 48.
    void setRoot(DbxRef root) { root_ = root; }
    // Message texts start at this offset (zero-filled before it), for positions past 24 bits.
    void setTextStart(std::uint32_t offset) { textStart_ = offset; }

    std::vector<std::byte> build();
    // Streams the file (texts made by DbxMessage::makeText are made one at a time).
    void write(const std::filesystem::path& path);

    // Where things lie in the last build or write.
    std::uint32_t offsetOfRecord(std::size_t record) const;
    std::uint32_t offsetOfNode(std::size_t node) const;
    std::uint32_t offsetOfBlock(std::size_t chain, std::size_t block = 0) const;
    std::uint64_t fileSize() const { return fileSize_; }
    std::size_t recordCount() const { return records_.size(); }

    static constexpr std::uint32_t headerSize = 0x24BC;
    static constexpr std::uint32_t blockSize = 528;
    static constexpr std::uint32_t blockDataSize = 512;

private:
    struct Chain {
        std::vector<DbxBlock> blocks;
        std::size_t lazySize = 0;  // blocks made at write time from makeText
        std::function<std::string()> makeText;
    };
    void layOut();
    void generateTree();
    std::uint32_t resolve(const DbxRef& ref) const;
    void emit(DbxSink& sink) const;
    void emitHeader(DbxSink& sink) const;
    void emitChain(DbxSink& sink, std::size_t chain) const;
    void emitRecord(DbxSink& sink, std::size_t record) const;
    void emitNode(DbxSink& sink, std::size_t node) const;

    Kind kind_;
    std::vector<DbxRecord> records_;
    std::vector<Chain> chains_;
    std::vector<DbxNode> nodes_;
    std::vector<std::pair<std::size_t, std::size_t>> autoPositions_;  // record, entry
    bool treeGiven_ = false;
    std::size_t fanOut_ = 51;
    std::optional<std::int32_t> itemCount_;
    std::optional<DbxRef> root_;
    std::uint32_t textStart_ = headerSize;

    std::vector<DbxNode> treeNodes_;  // the nodes written: given or generated
    std::vector<std::uint32_t> recordOffsets_, nodeOffsets_;
    std::vector<std::vector<std::uint32_t>> blockOffsets_;
    std::uint64_t fileSize_ = 0;
};

// Little-endian edits of built bytes, for damage the parts cannot express.
void putU32(std::vector<std::byte>& bytes, std::size_t offset, std::uint32_t value);
std::uint32_t getU32(std::span<const std::byte> bytes, std::size_t offset);
std::vector<std::byte> toBytes(std::string_view text);
// Overwrites the bytes with noise, the same for the same seed: a crash's or a disk's damage.
void fillWithNoise(std::span<std::byte> bytes, std::uint64_t seed);

}  // namespace mq
