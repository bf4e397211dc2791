#include "search/MatchingMessages.h"

#include <algorithm>
#include <utility>

namespace mq {

const FolderMatches& MatchingMessages::found(const std::string& fileName) {
    auto folder = folders_.find(fileName);
    if (folder == folders_.end())
        folder =
            folders_.emplace(fileName, search_.searchFolder(fileName, query_, observer_)).first;
    return folder->second;
}

void MatchingMessages::readMessageRecords(const std::string& fileName, MessageInfoList& list) {
    for (const Toe5_MessageInfo& record : found(fileName).records) list.push_back(record);
}

void MatchingMessages::readFolderMessages(
    const std::string& fileName, MessageInfoList& list, MessageReadObserver& observer,
    const std::function<bool(std::size_t, std::string&)>& visit) {
    const FolderMatches& matches = found(fileName);
    // The folder is read once more, in the same order, and only the texts of the rows found
    // are handed on.
    MessageInfoList all;
    source_.readFolderMessages(fileName, all, observer, [&](std::size_t row, std::string& text) {
        if (!std::binary_search(matches.rows.begin(), matches.rows.end(), row)) return true;
        list.push_back(all[row]);
        return visit(list.size() - 1, text);
    });
}

}  // namespace mq
