#include "save/SaveToSingleFile.h"

#include "platform/AnsiCodePage.h"
#include "save/FileWrite.h"
#include "view/OperationHost.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace mq {

namespace {

// Room for the texts as their records give their sizes, so that a big save does not copy
// what it has collected again and again. Sizes are only a hint: damaged records may claim
// anything, so the hint is capped and a refusal of the memory is no failure.
void reserveFor(std::string& content, const SelectedMessages& messages) {
    constexpr std::size_t cap = std::size_t(1) << 30;
    std::size_t expected = content.size();
    for (const TMessHead* message : messages.rows)
        expected += std::size_t(std::max(message->Size, 0)) + 5;
    try {
        content.reserve(std::min(expected, cap));
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

void SaveMessagesToSingleFile(OperationHost& host, const SelectedMessages& messages,
                              std::string path) {
    static constexpr std::string_view separator = " \r\n";
    std::string content(separator);
    reserveFor(content, messages);
    ProgressState& state = host.progress();
    state.begin(messages.rows.size());

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
