#include "save/SaveToSingleFile.h"

#include "save/FileWrite.h"
#include "view/OperationHost.h"

namespace mq {

bool SaveMessagesToSingleFile(OperationHost& host, const SelectedMessages& messages,
                              std::string path) {
    // The content goes straight into the file that replaces the target at the end, so a big
    // folder is never held in memory as a whole.
    static constexpr std::string_view separator = " \r\n";
    FileReplacement content(path);
    content.append(separator);
    forEachMessageText(host, messages, [&content](const TMessHead&, std::string& text) {
        terminateLastLine(text);
        content.append(text);
        content.append(separator);
    });
    return WriteSingleFile(host, path, content);
}

bool WriteSingleFile(OperationHost& host, const std::string& path, FileReplacement& content) {
    if (content.commit()) return true;
    host.showError(saveErrorText(path));
    return false;
}

}  // namespace mq
