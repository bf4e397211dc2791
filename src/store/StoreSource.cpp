#include "store/StoreSource.h"

#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/StoreFile.h"
#include "platform/Unicode.h"
#include "store/StoreLocation.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace mq {

namespace {

namespace fs = std::filesystem;

constexpr char Expected[] =
    "Expected a mail store folder (the folder holding folders.dbx), a folder of .dbx files or "
    "a single .dbx file.";

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw StoreOpenError("Cannot open \"" + path + "\": " + why);
}

// What was found, and what the path should have named instead.
std::string unexpected(const char* found) {
    return std::string(found) + "\n\n" + Expected;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(), text.end() - static_cast<long>(tail.size()),
                      [](char a, char b) {
                          const auto lower = [](char c) {
                              return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
                          };
                          return lower(a) == lower(b);
                      });
}

bool isDbxName(std::string_view name) {
    return name.size() > 4 && endsWithIgnoringCase(name, ".dbx");
}

bool isFolderListName(std::string_view name) {
    return name.size() == 11 && endsWithIgnoringCase(name, "folders.dbx");
}

// The file must open as the reader will open it: a file the mail client holds does not.
void probe(const std::string& shownPath, const std::string& file) {
    try {
        StoreFile::open(file);
    } catch (const FileOpenError& e) {
        refuse(shownPath, std::string(e.what()) + ".");
    }
}

}  // namespace

StoreSource StoreSource::open(const std::string& path) {
    std::error_code error;
    const fs::path given = fs::absolute(nativePath(path), error).lexically_normal();
    // "/old/mail/" names the folder "/old/mail".
    const fs::path whole = given.has_filename() ? given : given.parent_path();
    const fs::file_status status = fs::status(whole, error);
    const std::string shown = path.empty() ? path : utf8(whole);
    if (path.empty() || !fs::exists(status))
        refuse(shown, unexpected("there is no such file or folder."));

    StoreSource source;
    source.path_ = shown;
    if (fs::is_regular_file(status)) {
        const std::string name = utf8(whole.filename());
        if (!isDbxName(name)) refuse(shown, unexpected("it is not a .dbx file."));
        source.folder_ = utf8(whole.parent_path());
        probe(shown, shown);
        if (isFolderListName(name)) {
            // A folder list opens the store it lists.
            source.kind_ = Kind::StoreFolder;
            source.path_ = source.folder_;
            return source;
        }
        source.kind_ = Kind::SingleFile;
        source.files_.push_back({{}, name});
    } else if (fs::is_directory(status)) {
        source.kind_ = Kind::LooseFiles;
        source.folder_ = shown;
        std::string folderList;
        const bool listed = listFiles(shown, [&](const std::string& name) {
            if (isFolderListName(name)) folderList = name;
            if (isDbxName(name)) source.files_.push_back({{}, name});
        });
        if (!listed) refuse(shown, "the folder cannot be read.");
        if (!folderList.empty()) {
            probe(shown, joinPath(shown, folderList));
            source.kind_ = Kind::StoreFolder;
            source.files_.clear();
            return source;
        }
        if (source.files_.empty()) refuse(shown, unexpected("the folder holds no .dbx files."));
    } else {
        refuse(shown, unexpected("it is neither a folder nor a file."));
    }

    const AnsiCodePage& page = AnsiCodePage::system();
    for (LooseFile& file : source.files_) {
        file.record.FileName = page.fromUtf8(file.utf8Name);
        file.record.Name = page.fromUtf8(file.utf8Name.substr(0, file.utf8Name.size() - 4));
    }
    std::sort(source.files_.begin(), source.files_.end(),
              [](const LooseFile& a, const LooseFile& b) {
                  std::u16string wideA;
                  std::u16string wideB;
                  utf8ToUtf16(a.utf8Name, wideA);
                  utf8ToUtf16(b.utf8Name, wideB);
                  const int order = compareIgnoringCase(wideA, wideB);
                  return order != 0 ? order < 0 : a.utf8Name < b.utf8Name;
              });
    return source;
}

StoreSource StoreSource::storeFolder(std::string folder) {
    StoreSource source;
    source.kind_ = Kind::StoreFolder;
    source.path_ = folder;
    source.folder_ = std::move(folder);
    return source;
}

std::string StoreSource::storePath() const {
    if (kind_ != Kind::Registry) return path_;
    return AnsiCodePage::system().toUtf8(Get_OE_Directory(*registry_));
}

std::string StoreSource::filePath(const std::string& fileName) const {
    for (const LooseFile& file : files_)
        if (file.record.FileName == fileName) return joinPath(folder_, file.utf8Name);
    const AnsiCodePage& page = AnsiCodePage::system();
    const std::string folder = kind_ == Kind::Registry ? storePath() : folder_;
    return findFileIgnoringCase(folder, page.toUtf8(fileName));
}

std::vector<Toe5_FolderInfo> StoreSource::looseFolders() const {
    std::vector<Toe5_FolderInfo> folders;
    for (const LooseFile& file : files_) folders.push_back(file.record);
    return folders;
}

}  // namespace mq
