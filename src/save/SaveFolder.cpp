#include "save/SaveFolder.h"

#include "platform/FileSystem.h"
#include "platform/StoreFile.h"
#include "platform/WriteAccess.h"

#include <filesystem>
#include <system_error>

namespace mq {

bool isExistingFolder(const std::string& utf8Path) {
    std::error_code error;
    return std::filesystem::is_directory(nativePath(utf8Path), error);
}

std::string defaultSaveFolder(const std::string& programFolder, const std::string& homeFolder) {
    // Every message of a save into a folder nobody may write to would fail with its own box.
    return joinPath(isWritableFolder(programFolder) ? programFolder : homeFolder, std::string());
}

}  // namespace mq
