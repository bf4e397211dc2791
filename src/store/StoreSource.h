#pragma once

#include "platform/Registry.h"
#include "store/Toe5Records.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace mq {

// A path that does not open as a store. The message names the path and says what was
// expected there.
class StoreOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the store's files are, for every operation that reads them: a path the user opened,
// else the registry's Store Root, looked up afresh for every file as the mail client's own
// lookup does. Paths are UTF-8; file names asked for are the store's 8-bit texts.
class StoreSource {
public:
    enum class Kind {
        Registry,     // the registry's Store Root
        StoreFolder,  // a folder holding folders.dbx (any letter case)
        LooseFiles,   // a folder of .dbx files without folders.dbx
        SingleFile,   // one folder's .dbx file alone
    };

    explicit StoreSource(Registry& registry) : registry_(&registry) {}

    // The store at `path`: a store folder, a folder of .dbx files, a folders.dbx (its folder)
    // or any other .dbx file (that file alone). The file the store is read from first must
    // open: a file the mail client holds is refused here. Throws StoreOpenError.
    static StoreSource open(const std::string& path);
    // The store folder `folder` taken as it is: nothing is looked at before a file is read.
    static StoreSource storeFolder(std::string folder);

    Kind kind() const { return kind_; }
    // The path that names the store: the folder or file opened (absolute), else the store
    // folder the registry names now. Empty for a registry that names none. Throws
    // RegistryError as Get_OE_Directory does.
    std::string storePath() const;
    // The full path of the store file `fileName`, found ignoring letter case.
    std::string filePath(const std::string& fileName) const;

    // Whether the folder list is read from folders.dbx; else it is looseFolders().
    bool hasFolderList() const { return kind_ == Kind::Registry || kind_ == Kind::StoreFolder; }
    // One folder row per file, named after the file without ".dbx", in name order; the
    // record fields that only folders.dbx knows are zero.
    std::vector<Toe5_FolderInfo> looseFolders() const;

private:
    struct LooseFile {
        Toe5_FolderInfo record;
        std::string utf8Name;  // as the file system names it
    };

    StoreSource() = default;

    Kind kind_ = Kind::Registry;
    Registry* registry_ = nullptr;
    std::string path_;    // as opened, absolute
    std::string folder_;  // the folder holding the files
    std::vector<LooseFile> files_;
};

}  // namespace mq
