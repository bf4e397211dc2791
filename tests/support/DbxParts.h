#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// Where a link, record entry or message position of a generated .dbx file points. Indexes
// name objects of the same DbxWriter; they become file offsets when the file is laid out.
struct DbxRef {
    enum class Kind { None, Node, Record, Block, Offset };
    Kind kind = Kind::None;
    std::size_t index = 0;    // node, record or chain index
    std::size_t block = 0;    // block index within the chain (Kind::Block)
    std::uint32_t value = 0;  // the raw value (Kind::Offset), written as it stands

    static DbxRef none() { return {}; }
    static DbxRef node(std::size_t i) { return {Kind::Node, i, 0, 0}; }
    static DbxRef record(std::size_t i) { return {Kind::Record, i, 0, 0}; }
    static DbxRef chain(std::size_t i, std::size_t block = 0) { return {Kind::Block, i, block, 0}; }
    static DbxRef offset(std::uint32_t raw) { return {Kind::Offset, 0, 0, raw}; }
};

// One entry of a record's entry table. Build them with the factories.
struct DbxRecordEntry {
    std::uint8_t number = 0;
    std::uint32_t value = 0;         // direct datum, or the table value of a raw entry
    std::vector<std::byte> data;     // indirect datum, placed in the data area
    bool raw = false;                // table value written as given, nothing in the data area
    std::optional<DbxRef> position;  // a file offset resolved at layout (entries 4 and 0x84)

    // Number 0x80 and above: the 24-bit value is the datum.
    static DbxRecordEntry direct(std::uint8_t number, std::uint32_t value);
    // A NUL-terminated text in the data area.
    static DbxRecordEntry text(std::uint8_t number, std::string_view text);
    // Bytes as given (no NUL added) in the data area.
    static DbxRecordEntry bytes(std::uint8_t number, std::vector<std::byte> bytes);
    static DbxRecordEntry uint32(std::uint8_t number, std::uint32_t value);
    static DbxRecordEntry filetime(std::uint8_t number, std::uint64_t filetime);
    // The table value is (value << 8 | number) whatever it means: offsets past the data area.
    static DbxRecordEntry rawValue(std::uint8_t number, std::uint32_t value);
    // The file offset of `target`: a direct value for numbers >= 0x80, else 4 indirect bytes.
    static DbxRecordEntry offsetOf(std::uint8_t number, DbxRef target);
};

// An indexed record: 12-byte header, entry table, data area (data in entry order).
struct DbxRecord {
    std::vector<DbxRecordEntry> entries;
    std::optional<std::uint32_t> selfOffset;  // default: where the record lies
    std::optional<std::uint32_t> bodyLength;  // default: table plus data area
    std::optional<std::uint8_t> entryCount;   // default: entries.size() (mod 256)
};

// One entry of an index node.
struct DbxNodeEntry {
    DbxRef record;
    DbxRef child;
    std::uint32_t childRecords = 0;  // entry offset 8: records under the child link
};

// An index node: 24-byte header and 12-byte entries.
struct DbxNode {
    std::vector<DbxNodeEntry> entries;
    DbxRef firstLink;                         // node offset 12, walked first
    DbxRef secondLink;                        // node offset 8, walked second
    std::optional<std::uint32_t> selfOffset;  // default: where the node lies
    std::optional<std::uint32_t> countField;  // node offset 16; default entries.size() << 8
    std::uint32_t secondLinkRecords = 0;      // node offset 20: records under the second link
};

// One 528-byte data block of a message text.
struct DbxBlock {
    std::vector<std::byte> data;              // at most 512 bytes, zero-padded
    std::optional<std::int32_t> length;       // data length field; default data.size()
    std::optional<std::uint32_t> selfOffset;  // default: where the block lies
    std::optional<DbxRef> next;               // default: the chain's next block, 0 after the last
};

// A message as the mail client would store it: a record and the chain of its text. Texts
// that are empty, and numbers and dates that are 0, get no entry.
struct DbxMessage {
    enum class PositionEntry { Auto, Direct, Indirect, None };

    std::uint32_t number = 0;    // 0x80
    std::uint32_t status = 0;    // 0x81
    std::uint64_t sent = 0;      // 2
    std::string messageId;       // 7
    std::string subject;         // 8
    std::string otherFrom;       // 9
    std::string references;      // 10
    std::string newsgroup;       // 11
    std::string from;            // 13
    std::string replyTo;         // 14
    std::uint64_t received = 0;  // 18
    std::string to;              // 19
    std::string account;         // 26
    std::string accountId;       // 27
    std::string text;            // the stored message, split into 512-byte blocks
    // For big generated folders: the text is made when the file is written, not kept.
    std::size_t textSize = 0;
    std::function<std::string()> makeText;
    // Auto: 0x84 when the position fits in 24 bits, else 4. None: no position entry.
    PositionEntry positionEntry = PositionEntry::Auto;
    std::optional<std::uint32_t> size;  // 0x91; default: the text's length
};

// A folder record of the folder list.
struct DbxFolder {
    std::uint32_t id = 0;        // 0x80
    std::uint32_t parentId = 0;  // 0x81
    std::string name;            // 2
    std::string fileName;        // 3; empty: no entry 3 and an entry 6 instead
};

}  // namespace mq
