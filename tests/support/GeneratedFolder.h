#pragma once

#include "support/DbxParts.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace mq {

// Message `index` of a generated folder: fixed headers and dates derived from the index, and
// a text of exactly textSize bytes (CR LF lines, a few addresses in the body) made only when
// the file is written. The same index and size always give the same message.
DbxMessage generatedMessage(std::size_t index, std::size_t textSize);
std::string generatedText(std::size_t index, std::size_t textSize);

// Writes a folder file of `count` generated messages without holding their texts.
void writeGeneratedFolder(const std::filesystem::path& file, std::size_t count,
                          std::size_t textSize);

// dir/store with folders.dbx listing one folder "Generated" (file "Generated.dbx") of
// `count` generated messages, and dir/config/mailquarry/user.reg naming dir/store.
// Set XDG_CONFIG_HOME to dir/config to open it.
struct GeneratedStore {
    std::filesystem::path storeDir;
    std::filesystem::path configHome;
    std::string folderFile;  // "Generated.dbx"
};
GeneratedStore writeGeneratedStore(const std::filesystem::path& dir, std::size_t count,
                                   std::size_t textSize);

}  // namespace mq
