#pragma once

#include "store/StoreReader.h"
#include "support/DbxWriter.h"
#include "support/MemoryByteSource.h"

namespace mq {

inline MessageInfoList readMessages(std::vector<std::byte> bytes) {
    MemoryByteSource file(std::move(bytes));
    MessageInfoList list;
    dbx::readMessageRecords(file, list);
    return list;
}

inline DbxRecord recordOf(std::vector<DbxRecordEntry> entries) {
    DbxRecord r;
    r.entries = std::move(entries);
    return r;
}

}  // namespace mq
