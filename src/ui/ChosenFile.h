#pragma once

#include <QString>

#include <string_view>

namespace mq {

class UserDialogs;

// Puts `content` into the file at `path` that the user chose in a save dialog, which asked
// before naming an existing file: written beside it and renamed over it once complete, so a
// failed save never destroys the file the user chose to replace. A failure is reported with
// the error box. True when the file holds the content.
bool saveToChosenFile(UserDialogs& dialogs, const QString& path, std::string_view content);

}  // namespace mq
