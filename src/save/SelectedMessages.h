#pragma once

#include "store/RecoveryScan.h"
#include "store/StoreReader.h"
#include "store/TMessHead.h"

#include <functional>
#include <string>
#include <vector>

namespace mq {

class OperationHost;

// The messages a long operation visits: the selected rows from the top of the list down,
// and where their texts lie.
struct SelectedMessages {
    StoreReader& reader;
    std::string CurrentFile;  // bare name of the folder's .dbx file
    const MessageInfoList& infos;
    std::vector<const TMessHead*> rows;
    // Set when the rows are recovered messages: record i of `infos` describes message i.
    const RecoveredMessageList* recovered = nullptr;
    // Set when the rows come from several folders: the file of record i's message.
    const std::vector<std::string>* files = nullptr;
};

// The bare name of the .dbx file that holds `message`.
const std::string& fileOf(const SelectedMessages& messages, const TMessHead& message);

// The stored text of `message` into `text`: empty for a row whose record is gone or holds no
// text. Throws what the store reader throws.
void readMessageText(const SelectedMessages& messages, const TMessHead& message, std::string& text,
                     MessageReadObserver& observer);

// The stored text of one selected message into `text`, through the host's notifications and
// stop request. A store that cannot be opened is reported with the "DBX File " box and sets
// Cancelled. Returns false when the operation has to stop (Cancelled set either way), so the
// text is not to be used.
bool readSelectedMessage(OperationHost& host, const SelectedMessages& messages,
                         const TMessHead& message, std::string& text);

// The run of the single-file save and the body scan: starts the progress over the selected
// rows, then for each row, while no stop is requested, shows its subject, reads its text and
// hands both to `process`, counts it done and notifies the observers. A stop or a failed
// read ends the run before that message is processed.
void forEachMessageText(OperationHost& host, const SelectedMessages& messages,
                        const std::function<void(const TMessHead&, std::string&)>& process);

}  // namespace mq
