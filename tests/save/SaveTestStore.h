#pragma once

#include "platform/RegistryFile.h"
#include "save/FileList.h"
#include "save/FileNameItems.h"
#include "save/SelectedMessages.h"
#include "save/TPref.h"
#include "store/StoreReader.h"
#include "store/TMessHead.h"
#include "support/DbxParts.h"
#include "support/FileLock.h"
#include "support/FullDisk.h"
#include "support/TempDir.h"
#include "view/OperationHost.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mq::test {

// An operation host that records what the operation shows and lets a test act inside a
// notification, as the Cancel button would.
class RecordingHost : public OperationHost {
public:
    ProgressState state;
    std::vector<std::string> errors;
    std::vector<ProgressState> notifications;  // the state at each notification
    std::function<void(RecordingHost&)> onNotify;

    ProgressState& progress() override { return state; }
    bool cancelled() const override { return state.Cancelled; }
    void NotifyObservers() override;
    void showError(const std::string& text) override { errors.push_back(text); }
};

// A store with one message folder "Inbox.dbx" in a fresh temporary folder, read as the main
// window would read it, and preferences that save into the folder's "out" subfolder.
class SaveTestStore {
public:
    explicit SaveTestStore(const std::vector<DbxMessage>& messages);
    ~SaveTestStore();

    // All messages of the folder, in load order.
    SelectedMessages all();
    std::filesystem::path storeFile() const;

    std::filesystem::path root;
    std::filesystem::path outDir;
    std::unique_ptr<RegistryFile> registry;
    std::unique_ptr<StoreReader> reader;
    MessageInfoList infos;
    std::vector<TMessHead> heads;
    TPref pref;
    FileNameItems items;
    FileList fileList;
};

DbxMessage message(std::string subject, std::string text);
// The names in the folder, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

}  // namespace mq::test
