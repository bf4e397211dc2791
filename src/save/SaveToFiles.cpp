#include "save/SaveToFiles.h"

#include "platform/FileTimes.h"
#include "platform/StoreFile.h"
#include "platform/WriteAccess.h"
#include "save/FileNaming.h"
#include "save/FileWrite.h"
#include "store/DateTime.h"
#include "view/OperationHost.h"

#include <cstdint>

namespace mq {

std::int32_t SaveMessagesToFiles(OperationHost& host, const SelectedMessages& messages,
                                 const TPref& pref, const FileNameItems& items, FileList& fileList,
                                 const LocaleSettings& locale) {
    ProgressState& state = host.progress();
    state.begin(messages.rows.size());

    std::string text;
    std::int32_t saved = 0;
    for (const TMessHead* message : messages.rows) {
        if (state.Cancelled) break;
        const std::string name = ComposeFileName(*message, items, pref, fileList, locale);
        state.ProgressItem = name;
        const double date = message->Received;
        if (!readSelectedMessage(host, messages, *message, text)) break;
        terminateLastLine(text);
        ++state.ProgressDone;
        switch (WriteMessageFile(host, pref, fileList, name, text)) {
            case WriteOutcome::Written:
                ++saved;
                // Only a file this run wrote gets the message's date.
                if (pref.CreationDate) SetFileDates(fileSystemPath(pref.Directory, name), date);
                break;
            case WriteOutcome::NoRoom:
                host.showError(
                    saveErrorText(fileSystemPath(pref.Directory, name)) +
                    "\n\nThe disk is full or read-only. Saving stopped after " +
                    std::to_string(saved) + " of " + std::to_string(state.ProgressTotal) +
                    " messages.");
                state.Cancelled = true;
                break;
            case WriteOutcome::Failed:
                break;
        }
    }
    return saved;
}

WriteOutcome WriteMessageFile(OperationHost& host, const TPref& pref, FileList& fileList,
                              const std::string& name, const std::string& content) {
    const std::string path = fileSystemPath(pref.Directory, name);
    int error = 0;
    WriteOutcome outcome = WriteOutcome::Written;
    if (writeNewFile(path, content, &error)) {
        fileList.append(name);
    } else if (isNoRoomError(error)) {
        outcome = WriteOutcome::NoRoom;
    } else {
        outcome = WriteOutcome::Failed;
        host.showError(saveErrorText(path));
    }
    host.NotifyObservers();
    return outcome;
}

bool SetFileDates(const std::string& path, double date) {
    std::uint64_t filetime = 0;
    if (!DatetimeToFiletime(LocalToUtc(date), filetime)) return false;
    return setFileTimes(path, filetime);
}

}  // namespace mq
