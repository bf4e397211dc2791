#pragma once

#include "store/StoreReader.h"
#include "support/DbxWriter.h"
#include "support/MemoryByteSource.h"

#include <vector>

namespace mq {

// Message records of a built file, and whether the reads stayed inside it.
inline MessageInfoList readMessages(MemoryByteSource& file) {
    MessageInfoList list;
    dbx::readMessageRecords(file, list);
    return list;
}

inline MessageInfoList readMessages(std::vector<std::byte> bytes) {
    MemoryByteSource file(std::move(bytes));
    return readMessages(file);
}

// The message numbers (entry 0x80) of the records, in load order.
inline std::vector<std::uint32_t> numbersOf(const MessageInfoList& list) {
    std::vector<std::uint32_t> numbers;
    for (const auto& info : list) numbers.push_back(info.MessageNumber);
    return numbers;
}

inline DbxRecord recordOf(std::vector<DbxRecordEntry> entries) {
    DbxRecord r;
    r.entries = std::move(entries);
    return r;
}

// A record that says only its number.
inline DbxRecord numbered(std::uint32_t number) {
    return recordOf({DbxRecordEntry::direct(0x80, number)});
}

inline DbxNode nodeOf(std::vector<DbxNodeEntry> entries, DbxRef firstLink = {},
                      DbxRef secondLink = {}) {
    DbxNode n;
    n.entries = std::move(entries);
    n.firstLink = firstLink;
    n.secondLink = secondLink;
    return n;
}

}  // namespace mq
