#pragma once

#include "support/DbxParts.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mq {

// A whole store folder: the folder list and one .dbx file per folder.
class StoreBuilder {
public:
    // Returns the folder's id (entry 0x80); parentId 0 is the top level. An empty fileName
    // gives a folder without a file of its own.
    std::uint32_t addFolder(std::string name, std::string fileName,
                            std::vector<DbxMessage> messages = {}, std::uint32_t parentId = 0);
    // Default "folders.dbx"; stores copied from Windows say "Folders.dbx".
    void setFolderListName(std::string name) { folderListName_ = std::move(name); }

    // Creates storeDir if needed and writes every file into it.
    void write(const std::filesystem::path& storeDir) const;

private:
    struct Folder {
        DbxFolder record;
        std::vector<DbxMessage> messages;
    };
    std::vector<Folder> folders_;
    std::string folderListName_ = "folders.dbx";
};

// Where the registry names the store: under the default identity's 5.0 key, as the mail
// client writes it, or directly under Software\Microsoft\Outlook Express.
enum class StoreRootKey { Identity, Global };

// Writes the registry file `file` (a new one, replacing any) whose "Store Root" is storeRoot.
void writeStoreRegistry(const std::filesystem::path& file, const std::string& storeRoot,
                        StoreRootKey where = StoreRootKey::Identity);

// The registry file the program reads when XDG_CONFIG_HOME is configHome.
std::filesystem::path registryFileIn(const std::filesystem::path& configHome);

}  // namespace mq
