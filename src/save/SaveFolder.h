#pragma once

#include <string>

namespace mq {

// Whether `utf8Path` names an existing folder.
bool isExistingFolder(const std::string& utf8Path);

// The folder that saves go to when `Directory` names none, ending in a separator: the
// user's documents folder, or the home folder when there is no documents folder. Never the
// program's own folder, which is no place for the user's mail even where it may be written.
// Both folders in UTF-8.
std::string defaultSaveFolder(const std::string& documentsFolder, const std::string& homeFolder);

}  // namespace mq
