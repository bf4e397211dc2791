#include "SaveTestStore.h"

#include "support/StoreBuilder.h"

#include <algorithm>
#include <random>

namespace mq::test {

void RecordingHost::NotifyObservers() {
    notifications.push_back(state);
    if (onNotify) onNotify(*this);
}

namespace {

std::filesystem::path freshFolder() {
    std::random_device seed;
    auto path = std::filesystem::temp_directory_path() /
                ("mq-save-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace

SaveTestStore::SaveTestStore(const std::vector<DbxMessage>& messages)
    : root(freshFolder()), outDir(root / "out") {
    std::filesystem::create_directories(outDir);
    StoreBuilder builder;
    builder.addFolder("Inbox", "Inbox.dbx", messages);
    builder.write(root / "store");
    const auto registryPath = root / "user.reg";
    writeStoreRegistry(registryPath, (root / "store").string());
    registry = std::make_unique<RegistryFile>(registryPath);
    reader = std::make_unique<StoreReader>(*registry);
    reader->Read_OE_File("Inbox.dbx", &infos);
    heads = buildMessageList(infos);

    pref.Directory = outDir.string();
    pref.Default_Extension = ".eml";
    pref.Default_Filename = "No Subject";
    pref.EncloseItems = true;
    pref.FileNameDateFormat = "yyyymmdd";
    pref.FileNameFormat = "From0,To0,Subject1,Date0,Reply_To_Address0";
    parseFileNameFormat(pref.FileNameFormat, items);
}

SaveTestStore::~SaveTestStore() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

SelectedMessages SaveTestStore::all() {
    SelectedMessages selection{*reader, "Inbox.dbx", infos, {}};
    for (const TMessHead& head : heads) selection.rows.push_back(&head);
    return selection;
}

std::filesystem::path SaveTestStore::storeFile() const {
    return root / "store" / "Inbox.dbx";
}

DbxMessage message(std::string subject, std::string text) {
    DbxMessage m;
    m.subject = std::move(subject);
    m.from = "Anne";
    m.text = std::move(text);
    return m;
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(toUtf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace mq::test
