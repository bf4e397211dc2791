#include "store/StoreReader.h"

#include "platform/StoreFile.h"
#include "store/DbxLayout.h"
#include "store/StoreError.h"

namespace mq {

namespace {

constexpr char FolderListName[] = "folders.dbx";

// Letter case counts: "Folders.dbx" asked for by name is read as a message folder.
bool isFolderList(const std::string& fileName) {
    return fileName == FolderListName;
}

// Opens the file, lets `read` parse it and closes it on every path. The platform reports
// open and read failures alike; both become a StoreError naming the file.
template <typename Read>
void readStoreFile(const std::string& path, Read&& read) {
    std::unique_ptr<StoreFile> file;
    try {
        file = StoreFile::open(path);
    } catch (const FileOpenError& e) {
        throw StoreError("Cannot open the store file " + path + ": " + e.what());
    }
    try {
        read(*file);
    } catch (const FileOpenError& e) {
        throw StoreError("Cannot read the store file " + path + ": " + e.what());
    }
}

}  // namespace

bool isStoreFileName(const std::string& fileName) {
    return !fileName.empty() && fileName != "." && fileName != ".." &&
           fileName.find_first_of("/\\:") == std::string::npos;
}

std::string StoreReader::storeFilePath(const std::string& fileName) {
    if (!isStoreFileName(fileName))
        throw StoreError("The file name " + fileName + " is not a file of the store folder");
    return source_.filePath(fileName);
}

void StoreReader::Read_OE_File(const std::string& fileName, FolderList* list) {
    if (!list || !isFolderList(fileName)) return;
    if (!source_.hasFolderList()) {
        for (Toe5_FolderInfo& folder : source_.looseFolders()) list->push_back(std::move(folder));
        return;
    }
    const std::string path = storeFilePath(fileName);
    readStoreFile(path, [&](ByteSource& file) {
        // A folder list cut short before its item count is a damaged store, not an empty
        // one: the user is told rather than shown a window without folders.
        if (file.size() < dbx::FileHeaderLayout::ItemCount + 4)
            throw StoreError("The store file " + path + " is too short to hold its header");
        dbx::readFolderRecords(file, *list);
    });
}

void StoreReader::Read_OE_File(const std::string& fileName, MessageInfoList* list) {
    // The folder list holds folder records; read as messages it would give nonsense.
    if (!list || isFolderList(fileName)) return;
    readStoreFile(storeFilePath(fileName),
                  [list](ByteSource& file) { dbx::readMessageRecords(file, *list); });
}

void StoreReader::readMessageRecords(const std::string& fileName, MessageInfoList& list) {
    Read_OE_File(fileName, &list);
}

void StoreReader::readFolderMessages(const std::string& fileName, MessageInfoList& list,
                                     MessageReadObserver& observer,
                                     const std::function<bool(std::size_t, std::string&)>& visit) {
    if (isFolderList(fileName)) return;
    readStoreFile(storeFilePath(fileName), [&](ByteSource& file) {
        const std::size_t first = list.size();
        dbx::readMessageRecords(file, list);
        std::string text;
        for (std::size_t i = first; i < list.size(); ++i) {
            text.clear();
            dbx::readMessageText(file, list[i].MessagePosition, text, observer);
            if (observer.cancelled() || !visit(i, text)) return;
        }
    });
}

void StoreReader::Read_OE_Message(const std::string& fileName, std::int32_t position,
                                  std::string& text, MessageReadObserver& observer) {
    if (position <= 0) return;
    readStoreFile(storeFilePath(fileName),
                  [&](ByteSource& file) { dbx::readMessageText(file, position, text, observer); });
}

void StoreReader::readRecoveredMessage(const std::string& fileName, const RecoveredMessage& message,
                                       std::string& text, MessageReadObserver& observer) {
    readStoreFile(storeFilePath(fileName),
                  [&](ByteSource& file) { dbx::readRecoveredText(file, message, text, observer); });
}

void StoreReader::readFile(const std::string& fileName,
                           const std::function<void(ByteSource&)>& read) {
    readStoreFile(storeFilePath(fileName), read);
}

}  // namespace mq
