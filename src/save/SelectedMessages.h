#pragma once

#include "store/StoreReader.h"
#include "store/TMessHead.h"

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
};

// The stored text of one selected message into `text`, through the host's notifications and
// stop request. A store that cannot be opened is reported with the "DBX File " box and sets
// Cancelled. Returns false when the operation has to stop (Cancelled set either way), so the
// text is not to be used.
bool readSelectedMessage(OperationHost& host, const SelectedMessages& messages,
                         const TMessHead& message, std::string& text);

}  // namespace mq
