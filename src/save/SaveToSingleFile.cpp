#include "save/SaveToSingleFile.h"

#include "platform/AnsiCodePage.h"
#include "save/FileWrite.h"
#include "view/OperationHost.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace mq {

void SaveMessagesToSingleFile(OperationHost& host, const SelectedMessages& messages,
                              std::string path) {
    static constexpr std::string_view separator = " \r\n";
    std::string content(separator);
    ProgressState& state = host.progress();
    state.ProgressTotal = std::int32_t(
        std::min<std::size_t>(messages.rows.size(), std::numeric_limits<std::int32_t>::max()));
    state.ProgressDone = 0;
    state.Cancelled = false;

    std::string text;
    for (const TMessHead* message : messages.rows) {
        if (state.Cancelled) break;
        state.ProgressItem = message->Subject;
        if (!readSelectedMessage(host, messages, *message, text)) break;
        terminateLastLine(text);
        content += text;
        content += separator;
        ++state.ProgressDone;
        host.NotifyObservers();
    }
    WriteSingleFile(host, path, content);
}

bool WriteSingleFile(OperationHost& host, const std::string& path, std::string_view content) {
    if (replaceFile(AnsiCodePage::system().toUtf8(path), content)) return true;
    host.showError("Error during file save to: " + path);
    return false;
}

}  // namespace mq
