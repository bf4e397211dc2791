#include "recover/RecoveredFolders.h"

namespace mq {

const RecoveredFolder& RecoveredFolders::folder(const std::string& fileName) {
    const auto known = folders_.find(fileName);
    if (known != folders_.end()) return known->second;
    return folders_.emplace(fileName, recoverFolder(reader_, fileName, observer_, page_))
        .first->second;
}

void RecoveredFolders::readMessageRecords(const std::string& fileName, MessageInfoList& list) {
    for (const Toe5_MessageInfo& info : folder(fileName).infos) list.push_back(info);
}

void RecoveredFolders::readFolderMessages(
    const std::string& fileName, MessageInfoList& list, MessageReadObserver& observer,
    const std::function<bool(std::size_t, std::string&)>& visit) {
    const RecoveredFolder& found = folder(fileName);
    const std::size_t first = list.size();
    readMessageRecords(fileName, list);
    reader_.readFile(fileName, [&](ByteSource& file) {
        std::string text;
        for (std::size_t i = 0; i < found.messages.size(); ++i) {
            dbx::readRecoveredText(file, found.messages[i], text, observer);
            if (observer.cancelled() || !visit(first + i, text)) return;
        }
    });
}

}  // namespace mq
