#pragma once

#include "platform/LocaleSettings.h"
#include "save/FileList.h"
#include "save/FileNameItems.h"
#include "save/SelectedMessages.h"
#include "save/TPref.h"

#include <cstdint>
#include <string>

namespace mq {

class OperationHost;

// Saves each selected message into a file of its own in pref.Directory, named by
// ComposeFileName, holding the stored text byte for byte (plus CR LF when it does not end in
// one). A store that cannot be read ends the run; a file that cannot be written is reported
// and the run goes on, unless the disk is full or read-only: every later file would fail
// the same way, so one box says so with the number of messages saved, and the run ends as
// a Cancel ends it. Runs inside the progress dialog: the host's state counts the messages.
// Returns the number of files written.
std::int32_t SaveMessagesToFiles(OperationHost& host, const SelectedMessages& messages,
                                 const TPref& pref, const FileNameItems& items, FileList& fileList,
                                 const LocaleSettings& locale = LocaleSettings::user());

enum class WriteOutcome { Written, Failed, NoRoom };

// Writes `content` as the new file `name` in pref.Directory, adds the name to `fileList`, and
// notifies the observers whatever happened. A failure leaves no file behind and shows
// "Error during file save to: " with the path, except for a full or read-only disk
// (NoRoom), which the run reports once.
WriteOutcome WriteMessageFile(OperationHost& host, const TPref& pref, FileList& fileList,
                              const std::string& name, const std::string& content);

// Gives the existing file at `path` (UTF-8) the local date-time `date` as its access and
// modification time (and creation time where there is one), converted to UTC by the zone in
// force now. False when the times could not be set.
bool SetFileDates(const std::string& path, double date);

}  // namespace mq
