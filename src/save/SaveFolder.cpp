#include "save/SaveFolder.h"

#include "platform/FileSystem.h"
#include "platform/StoreFile.h"

#include <filesystem>
#include <system_error>

namespace mq {

bool isExistingFolder(const std::string& utf8Path) {
    std::error_code error;
    return std::filesystem::is_directory(nativePath(utf8Path), error);
}

std::string defaultSaveFolder(const std::string& documentsFolder, const std::string& homeFolder) {
    return joinPath(isExistingFolder(documentsFolder) ? documentsFolder : homeFolder,
                    std::string());
}

}  // namespace mq
