#pragma once

#include "recover/RecoveredFolder.h"
#include "store/FolderMessages.h"

#include <map>
#include <string>

namespace mq {

// The recovered messages of a store's folders, as an export reads a folder's messages: each
// folder file is scanned once, when it is first asked for, and each text is read from the
// blocks the scan found.
class RecoveredFolders : public FolderMessages {
public:
    RecoveredFolders(StoreReader& reader, RecoveryScanObserver& observer, const AnsiCodePage& page)
        : reader_(reader), observer_(observer), page_(page) {}

    void readMessageRecords(const std::string& fileName, MessageInfoList& list) override;
    void readFolderMessages(const std::string& fileName, MessageInfoList& list,
                            MessageReadObserver& observer,
                            const std::function<bool(std::size_t, std::string&)>& visit) override;

private:
    const RecoveredFolder& folder(const std::string& fileName);

    StoreReader& reader_;
    RecoveryScanObserver& observer_;
    const AnsiCodePage& page_;
    std::map<std::string, RecoveredFolder> folders_;
};

}  // namespace mq
