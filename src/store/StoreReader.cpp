#include "store/StoreReader.h"

#include "platform/StoreFile.h"
#include "store/StoreError.h"
#include "store/StoreLocation.h"

namespace mq {

namespace {

constexpr char FolderListName[] = "folders.dbx";

// Letter case counts: "Folders.dbx" asked for by name is read as a message folder.
bool isFolderList(const std::string& fileName) {
    return fileName == FolderListName;
}

std::unique_ptr<StoreFile> openStoreFile(const std::string& path) {
    try {
        return StoreFile::open(path);
    } catch (const FileOpenError& e) {
        throw StoreError("Cannot open the store file " + path + ": " + e.what());
    }
}

}  // namespace

std::string StoreReader::storeFilePath(const std::string& fileName) {
    return findFileIgnoringCase(Get_OE_Directory(registry_), fileName);
}

void StoreReader::Read_OE_File(const std::string& fileName, FolderList* list) {
    if (!list || !isFolderList(fileName)) return;
    std::unique_ptr<StoreFile> file = openStoreFile(storeFilePath(fileName));
    dbx::readFolderRecords(*file, *list);
}

void StoreReader::Read_OE_File(const std::string& fileName, MessageInfoList* list) {
    // The folder list holds folder records; read as messages it would give nonsense.
    if (!list || isFolderList(fileName)) return;
    std::unique_ptr<StoreFile> file = openStoreFile(storeFilePath(fileName));
    dbx::readMessageRecords(*file, *list);
}

void StoreReader::Read_OE_Message(const std::string& fileName, std::int32_t position,
                                  std::string& text, MessageReadObserver& observer) {
    if (position <= 0) return;
    std::unique_ptr<StoreFile> file = openStoreFile(storeFilePath(fileName));
    dbx::readMessageText(*file, position, text, observer);
}

}  // namespace mq
