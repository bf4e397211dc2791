#pragma once

#include <string>

namespace mq {

// Whether `utf8Path` names an existing folder.
bool isExistingFolder(const std::string& utf8Path);

// The folder that saves go to when `Directory` names none, ending in a separator: the
// program's own folder, or the user's home folder where the program's folder may not be
// written, as an installed program's may not. Both folders in UTF-8.
std::string defaultSaveFolder(const std::string& programFolder, const std::string& homeFolder);

}  // namespace mq
