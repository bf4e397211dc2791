#pragma once

#include "store/MessageReadObserver.h"
#include "store/RecordList.h"
#include "store/Toe5Records.h"

#include <cstddef>
#include <functional>
#include <string>

namespace mq {

using MessageInfoList = RecordList<Toe5_MessageInfo>;

// Where a folder's messages are taken from, by the name of its file: the folder's index
// (StoreReader), or what a recovery scan finds in the file.
class FolderMessages {
public:
    virtual ~FolderMessages() = default;

    // Appends the folder's message records to `list`.
    virtual void readMessageRecords(const std::string& fileName, MessageInfoList& list) = 0;

    // Appends the folder's records to `list`, then hands `visit` each record's index and
    // text, in list order. A stop request ends the reading before the message being read is
    // visited, and so does `visit` returning false.
    virtual void readFolderMessages(
        const std::string& fileName, MessageInfoList& list, MessageReadObserver& observer,
        const std::function<bool(std::size_t, std::string&)>& visit) = 0;
};

}  // namespace mq
