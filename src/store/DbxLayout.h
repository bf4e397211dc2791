#pragma once

#include <cstddef>
#include <cstdint>

// Where things lie in a .dbx file. All numbers are little-endian, all offsets absolute.
namespace mq::dbx {

struct FileHeaderLayout {
    static constexpr std::uint64_t RootNode = 0x30;   // 4 bytes: offset of the root index node
    static constexpr std::uint64_t ItemCount = 0xC4;  // 4 bytes, signed
};

// A 24-byte header followed at once by `count` entries of 12 bytes.
struct NodeLayout {
    static constexpr std::size_t HeaderSize = 24;
    static constexpr std::size_t SelfOffset = 0;
    static constexpr std::size_t SecondLink = 8;
    static constexpr std::size_t FirstLink = 12;
    static constexpr std::size_t EntryCount = 16;  // count in the upper 24 bits
    static constexpr unsigned EntryCountShift = 8;

    static constexpr std::size_t EntrySize = 12;
    static constexpr std::size_t EntryRecord = 0;
    static constexpr std::size_t EntryChild = 4;
};

// A 12-byte header, then `count` 4-byte entries, then the data area; the body length counts
// the entries and the data area.
struct RecordLayout {
    static constexpr std::size_t HeaderSize = 12;
    static constexpr std::size_t SelfOffset = 0;
    static constexpr std::size_t BodyLength = 4;
    static constexpr std::size_t EntryCount = 10;  // 1 byte
    static constexpr std::size_t MaxEntries = 255;

    static constexpr std::size_t EntrySize = 4;
    static constexpr std::uint32_t NumberMask = 0xFF;   // low byte: entry number
    static constexpr unsigned ValueShift = 8;           // upper 24 bits: value or data offset
    static constexpr std::uint32_t FirstDirect = 0x80;  // numbers from here carry the value itself

    // No real record comes near this; a damaged body length is cut here so that one record
    // never costs more than this much memory.
    static constexpr std::size_t MaxBodyLength = 1u << 20;
};

// One data block of a message text chain.
struct BlockLayout {
    static constexpr std::size_t Size = 528;
    static constexpr std::size_t SelfOffset = 0;
    static constexpr std::size_t Capacity = 4;    // 512 in real files; the reader ignores it
    static constexpr std::size_t DataLength = 8;  // signed
    static constexpr std::size_t NextBlock = 12;  // 0 ends the chain
    static constexpr std::size_t Data = 16;
    static constexpr std::size_t DataSize = 512;
};

// Entry numbers of folder records in folders.dbx.
struct FolderEntry {
    static constexpr std::uint32_t Name = 2;
    static constexpr std::uint32_t FileName = 3;
    static constexpr std::uint32_t Kept = 6;  // marks a record kept even without a file name
    static constexpr std::uint32_t Direct80 = 0x80;
    static constexpr std::uint32_t Direct81 = 0x81;
};

// Entry numbers of message records.
struct MessageEntry {
    static constexpr std::uint32_t SentDate = 2;  // 8 bytes
    static constexpr std::uint32_t Position = 4;  // 4 bytes
    static constexpr std::uint32_t MessageId = 7;
    static constexpr std::uint32_t Subject = 8;
    static constexpr std::uint32_t OtherFrom = 9;
    static constexpr std::uint32_t References = 10;
    static constexpr std::uint32_t Newsgroup = 11;
    static constexpr std::uint32_t From = 13;
    static constexpr std::uint32_t ReplyTo = 14;
    static constexpr std::uint32_t ReceivedDate = 18;  // 8 bytes
    static constexpr std::uint32_t To = 19;
    static constexpr std::uint32_t Account = 26;
    static constexpr std::uint32_t AccountId = 27;
    static constexpr std::uint32_t MessageNumber = 0x80;
    static constexpr std::uint32_t MessageStatus = 0x81;
    static constexpr std::uint32_t DirectPosition = 0x84;
    static constexpr std::uint32_t MessageSize = 0x91;
};

}  // namespace mq::dbx
