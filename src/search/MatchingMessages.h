#pragma once

#include "search/StoreSearch.h"
#include "store/FolderMessages.h"

#include <map>
#include <string>

namespace mq {

// A folder's messages that a query finds, as an export reads a folder's messages: each
// folder is searched once, when it is first asked for, and only the texts of the messages
// found are handed on.
class MatchingMessages : public FolderMessages {
public:
    MatchingMessages(FolderMessages& source, const AnsiCodePage& page, SearchQuery query,
                     MessageReadObserver& observer)
        : source_(source), search_(source, page), query_(std::move(query)), observer_(observer) {}

    void readMessageRecords(const std::string& fileName, MessageInfoList& list) override;
    void readFolderMessages(const std::string& fileName, MessageInfoList& list,
                            MessageReadObserver& observer,
                            const std::function<bool(std::size_t, std::string&)>& visit) override;

private:
    const FolderMatches& found(const std::string& fileName);

    FolderMessages& source_;
    StoreSearch search_;
    SearchQuery query_;
    MessageReadObserver& observer_;
    std::map<std::string, FolderMatches> folders_;
};

}  // namespace mq
