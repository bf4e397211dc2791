#include "support/StoreBuilder.h"

#include "platform/RegistryFile.h"
#include "support/DbxWriter.h"

namespace mq {

namespace {

// The identity the mail client would have created on first start.
constexpr const char* identityId = "{3F2B8A40-6C1D-4E5F-9A7B-1C2D3E4F5A6B}";

}  // namespace

std::uint32_t StoreBuilder::addFolder(std::string name, std::string fileName,
                                      std::vector<DbxMessage> messages, std::uint32_t parentId) {
    const auto id = static_cast<std::uint32_t>(folders_.size() + 1);
    folders_.push_back({{id, parentId, std::move(name), std::move(fileName)}, std::move(messages)});
    return id;
}

void StoreBuilder::write(const std::filesystem::path& storeDir) const {
    std::filesystem::create_directories(storeDir);
    DbxWriter list(DbxWriter::Kind::Folders);
    for (const auto& folder : folders_) {
        list.addFolder(folder.record);
        if (folder.record.fileName.empty()) {
            continue;
        }
        DbxWriter file;
        for (const auto& message : folder.messages) {
            file.addMessage(message);
        }
        file.write(storeDir / folder.record.fileName);
    }
    list.write(storeDir / folderListName_);
}

void writeStoreRegistry(const std::filesystem::path& file, const std::string& storeRoot,
                        StoreRootKey where) {
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::remove(file);
    RegistryFile registry(file);
    auto set = [&registry](const std::string& keyPath, const char* name, const std::string& text) {
        auto key = registry.createKey(keyPath);
        registry.setString(*key, name, text);
        registry.closeKey(std::move(key));
    };
    if (where == StoreRootKey::Global) {
        set("Software\\Microsoft\\Outlook Express", "Store Root", storeRoot);
    } else {
        set("Identities", "Default User ID", identityId);
        set(std::string("Identities\\") + identityId +
                "\\Software\\Microsoft\\Outlook Express\\5.0",
            "Store Root", storeRoot);
    }
    registry.flush();
}

std::filesystem::path registryFileIn(const std::filesystem::path& configHome) {
    return configHome / "mailquarry" / "user.reg";
}

}  // namespace mq
