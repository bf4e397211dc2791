#include "store/StoreReader.h"
#include "support/FileLock.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

namespace fs = std::filesystem;

// Each folder row as "Name|FileName|Direct80", then the subjects of `file`.
std::string listing(const fs::path& path, const std::string& file) {
    StoreReader reader(StoreSource::open(test::toUtf8(path)));
    FolderList folders;
    MessageInfoList messages;
    reader.Read_OE_File("folders.dbx", &folders);
    reader.Read_OE_File(file, &messages);
    std::string text;
    for (const Toe5_FolderInfo& f : folders)
        text += f.Name + "|" + f.FileName + "|" + std::to_string(f.Direct80) + " ";
    for (const Toe5_MessageInfo& m : messages) text += m.Subject + " ";
    return text;
}

std::string refusal(const fs::path& path) {
    try {
        StoreSource::open(test::toUtf8(path));
    } catch (const StoreOpenError& e) {
        return e.what();
    }
    return "opened";
}

TEST(StoreSource, EachKindOfPathListsItsFoldersAndReadsThem) {
    test::TempDir dir;
    const fs::path store = dir.path() / "store";
    const fs::path loose = dir.path() / test::utf8Path("backup \xe2\x98\x83");  // not in 1252
    StoreBuilder builder;
    builder.setFolderListName("Folders.dbx");
    DbxMessage one;
    one.subject = "One";
    builder.addFolder("Inbox", "Inbox.dbx", {one});
    builder.addFolder("Sent Items", "Sent Items.dbx");
    builder.write(store);
    fs::create_directories(loose);
    fs::copy_file(store / "Inbox.dbx", loose / "Inbox.dbx");
    fs::copy_file(store / "Sent Items.dbx", loose / "ARCHIVE.DBX");
    test::writeFile(loose / "notes.txt", "not a store file");

    // The store folder, by itself or by its folder list; loose files in name order, what
    // only folders.dbx knows left zero; one file alone.
    const std::string designed = "Inbox|Inbox.dbx|1 Sent Items|Sent Items.dbx|2 One ";
    EXPECT_EQ(listing(store, "Inbox.dbx"), designed);
    EXPECT_EQ(listing(store / "Folders.dbx", "Inbox.dbx"), designed);
    EXPECT_EQ(listing(loose, "Inbox.dbx"), "ARCHIVE|ARCHIVE.DBX|0 Inbox|Inbox.dbx|0 One ");
    EXPECT_EQ(listing(loose / "Inbox.dbx", "Inbox.dbx"), "Inbox|Inbox.dbx|0 One ");
    EXPECT_EQ(StoreSource::open(test::toUtf8(loose) + "/").storePath(), test::toUtf8(loose));

    // Paths that are no store: named, with what was expected there.
    fs::create_directories(dir.path() / "empty");
    for (const fs::path& path :
         {dir.path() / "missing", loose / "notes.txt", dir.path() / "empty"}) {
        const std::string why = refusal(path);
        EXPECT_NE(why.find("\"" + test::toUtf8(path) + "\""), std::string::npos) << why;
        EXPECT_NE(why.find("Expected a mail store folder"), std::string::npos) << why;
    }
    const test::FileLock mailClient(loose / "Inbox.dbx");
    EXPECT_NE(refusal(loose / "Inbox.dbx").find("in use by another program"), std::string::npos);
}

}  // namespace
}  // namespace mq
