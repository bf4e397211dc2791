#pragma once

#include "save/FileWrite.h"
#include "save/SelectedMessages.h"

#include <string>

namespace mq {

class OperationHost;

// Collects the selected messages into one text file at `path` (UTF-8): a line
// holding one blank, then each message's stored text (ending in CR LF) followed by such a
// line. The file is written once at the end, also after a stop or a failed read, with the
// messages added until then. The path is taken by value: the caller's copy (ProgressItem)
// changes during the run. True when the file was written.
bool SaveMessagesToSingleFile(OperationHost& host, const SelectedMessages& messages,
                              std::string path);

// Puts the collected content in place of the file at `path`. A failure at any point of the
// run shows "Error during file save to: " with the path and leaves an existing file as it
// was. True when the file was written.
bool WriteSingleFile(OperationHost& host, const std::string& path, FileReplacement& content);

}  // namespace mq
