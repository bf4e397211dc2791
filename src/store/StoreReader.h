#pragma once

#include "platform/ByteSource.h"
#include "platform/Registry.h"
#include "store/FolderMessages.h"
#include "store/MessageReadObserver.h"
#include "store/RecordList.h"
#include "store/RecoveryScan.h"
#include "store/StoreSource.h"
#include "store/Toe5Records.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace mq {

using FolderList = RecordList<Toe5_FolderInfo>;

// Whether a folder record's file name names a file in the store folder: not empty, no path
// separator, drive or stream colon, and not "." or "..". Any other name leads elsewhere, and
// its folder has no file of this store.
bool isStoreFileName(const std::string& fileName);

// Reads .dbx files of the store. Each call asks the store source for the file, opens it with
// no sharing, reads it and closes it on every path. Failures to open or read the file raise
// StoreError naming it; damage inside a file never raises: what lies outside the file or the
// record is ignored. A failure to look up the store folder raises RegistryError.
class StoreReader : public FolderMessages {
public:
    // The store folder the registry names, looked up for every file.
    explicit StoreReader(Registry& registry) : source_(registry) {}
    explicit StoreReader(StoreSource source) : source_(std::move(source)) {}
    // The store folder `folder` (UTF-8), whatever the registry says.
    explicit StoreReader(std::string folder)
        : source_(StoreSource::storeFolder(std::move(folder))) {}

    const StoreSource& source() const { return source_; }
    void setSource(StoreSource source) { source_ = std::move(source); }

    // The record kind follows the name: exactly "folders.dbx" gives folder records, any
    // other name message records. A store without folders.dbx lists its files as folders.
    // Appends to the list, never clears it. A list of the other kind than the name selects
    // gets nothing, so the two kinds never mix.
    void Read_OE_File(const std::string& fileName, FolderList* list);
    void Read_OE_File(const std::string& fileName, MessageInfoList* list);

    // The message text at `position`, the stored bytes of its block chain. Position 0 or
    // less: returns at once, `text` untouched. Otherwise `text` is cleared after the open.
    void Read_OE_Message(const std::string& fileName, std::int32_t position, std::string& text,
                         MessageReadObserver& observer);

    // Read_OE_File for a folder's messages.
    void readMessageRecords(const std::string& fileName, MessageInfoList& list) override;

    // A whole folder from one open of its file, each text as Read_OE_Message reads it (empty
    // without a position). The folder list's own name gives nothing.
    void readFolderMessages(const std::string& fileName, MessageInfoList& list,
                            MessageReadObserver& observer,
                            const std::function<bool(std::size_t, std::string&)>& visit) override;

    // The text of a message the recovery scan found in the file, as dbx::readRecoveredText
    // reads it. Its position is unsigned: recovered texts lie past 2 GB too.
    void readRecoveredMessage(const std::string& fileName, const RecoveredMessage& message,
                              std::string& text, MessageReadObserver& observer);

    // Opens the file, hands it to `read` and closes it on every path, for readers beside
    // this one.
    void readFile(const std::string& fileName, const std::function<void(ByteSource&)>& read);

    // The full path of a store file as the reader would open it. A name that is no store file
    // name raises StoreError: nothing outside the store folder is ever opened.
    std::string storeFilePath(const std::string& fileName);

private:
    StoreSource source_;
};

// The parser behind the reader, on any byte source (no files, no registry).
namespace dbx {
Toe5_FileHeader readFileHeader(ByteSource& file);
void readFolderRecords(ByteSource& file, FolderList& out);
void readMessageRecords(ByteSource& file, MessageInfoList& out);
void readMessageText(ByteSource& file, std::int32_t position, std::string& text,
                     MessageReadObserver& observer);
// The chain behind readMessageText: appends the text of at most `maxBlocks` blocks from the
// block at `first`, whatever the item count says.
void readBlockChain(ByteSource& file, std::uint32_t first, std::uint64_t maxBlocks,
                    std::string& text, MessageReadObserver& observer);
}  // namespace dbx

}  // namespace mq
