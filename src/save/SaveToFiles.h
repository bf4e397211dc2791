#pragma once

#include "platform/LocaleSettings.h"
#include "save/FileList.h"
#include "save/FileNameItems.h"
#include "save/SelectedMessages.h"
#include "save/TPref.h"

#include <string>

namespace mq {

class OperationHost;

// Saves each selected message into a file of its own in pref.Directory, named by
// ComposeFileName, holding the stored text byte for byte (plus CR LF when it does not end in
// one). A store that cannot be read ends the run; a file that cannot be written is reported
// and the run goes on. Runs inside the progress dialog: the host's state counts the messages.
void SaveMessagesToFiles(OperationHost& host, const SelectedMessages& messages, const TPref& pref,
                         const FileNameItems& items, FileList& fileList,
                         const LocaleSettings& locale = LocaleSettings::user());

// Writes `content` as the new file `name` in pref.Directory, adds the name to `fileList`, and
// notifies the observers whatever happened. A failure shows "Error during file save to: "
// with the path and leaves no file behind. True when the file was written.
bool WriteMessageFile(OperationHost& host, const TPref& pref, FileList& fileList,
                      const std::string& name, const std::string& content);

// Gives the existing file at `path` (UTF-8) the local date-time `date` as its access and
// modification time (and creation time where there is one), converted to UTC by the zone in
// force now. False when the times could not be set.
bool SetFileDates(const std::string& path, double date);

}  // namespace mq
