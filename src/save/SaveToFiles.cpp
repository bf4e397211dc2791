#include "save/SaveToFiles.h"

#include "platform/FileTimes.h"
#include "platform/StoreFile.h"
#include "save/FileNaming.h"
#include "save/FileWrite.h"
#include "store/DateTime.h"
#include "view/OperationHost.h"

#include <cstdint>

namespace mq {

void SaveMessagesToFiles(OperationHost& host, const SelectedMessages& messages, const TPref& pref,
                         const FileNameItems& items, FileList& fileList,
                         const LocaleSettings& locale) {
    ProgressState& state = host.progress();
    state.begin(messages.rows.size());

    std::string text;
    for (const TMessHead* message : messages.rows) {
        if (state.Cancelled) break;
        const std::string name = ComposeFileName(*message, items, pref, fileList, locale);
        state.ProgressItem = name;
        const double date = message->Received;
        if (!readSelectedMessage(host, messages, *message, text)) break;
        terminateLastLine(text);
        ++state.ProgressDone;
        // Only a file this run wrote gets the message's date.
        if (WriteMessageFile(host, pref, fileList, name, text) && pref.CreationDate)
            SetFileDates(fileSystemPath(pref.Directory, name), date);
    }
}

bool WriteMessageFile(OperationHost& host, const TPref& pref, FileList& fileList,
                      const std::string& name, const std::string& content) {
    const std::string path = fileSystemPath(pref.Directory, name);
    const bool written = writeNewFile(path, content);
    if (written)
        fileList.append(name);
    else
        host.showError("Error during file save to: " + path);
    host.NotifyObservers();
    return written;
}

bool SetFileDates(const std::string& path, double date) {
    std::uint64_t filetime = 0;
    if (!DatetimeToFiletime(LocalToUtc(date), filetime)) return false;
    return setFileTimes(path, filetime);
}

}  // namespace mq
