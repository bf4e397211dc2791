#pragma once

#include "platform/ByteSource.h"
#include "platform/Registry.h"
#include "store/MessageReadObserver.h"
#include "store/RecordList.h"
#include "store/Toe5Records.h"

#include <cstdint>
#include <string>

namespace mq {

using FolderList = RecordList<Toe5_FolderInfo>;
using MessageInfoList = RecordList<Toe5_MessageInfo>;

// Reads .dbx files of the store folder. Each call resolves the store folder afresh, opens
// the file with no sharing, reads it and closes it on every path. Failures to open or read
// the file raise StoreError naming it; damage inside a file never raises: what lies outside
// the file or the record is ignored. A failure to look up the store folder raises
// RegistryError.
class StoreReader {
public:
    explicit StoreReader(Registry& registry) : registry_(registry) {}

    // The record kind follows the name: exactly "folders.dbx" gives folder records, any
    // other name message records. Appends to the list, never clears it. A list of the other
    // kind than the name selects gets nothing, so the two kinds never mix.
    void Read_OE_File(const std::string& fileName, FolderList* list);
    void Read_OE_File(const std::string& fileName, MessageInfoList* list);

    // The message text at `position`, the stored bytes of its block chain. Position 0 or
    // less: returns at once, `text` untouched. Otherwise `text` is cleared after the open.
    void Read_OE_Message(const std::string& fileName, std::int32_t position, std::string& text,
                         MessageReadObserver& observer);

    // The full path of a store file as the reader would open it.
    std::string storeFilePath(const std::string& fileName);

private:
    Registry& registry_;
};

// The parser behind the reader, on any byte source (no files, no registry).
namespace dbx {
Toe5_FileHeader readFileHeader(ByteSource& file);
void readFolderRecords(ByteSource& file, FolderList& out);
void readMessageRecords(ByteSource& file, MessageInfoList& out);
void readMessageText(ByteSource& file, std::int32_t position, std::string& text,
                     MessageReadObserver& observer);
}  // namespace dbx

}  // namespace mq
