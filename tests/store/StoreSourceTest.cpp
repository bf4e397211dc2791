#include "store/StoreReader.h"
#include "store/StoreSource.h"
#include "support/Environment.h"
#include "support/FileLock.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

namespace fs = std::filesystem;

DbxMessage message(std::string subject) {
    DbxMessage m;
    m.text = "Subject: " + subject + "\r\n\r\nBody\r\n";
    m.subject = std::move(subject);
    return m;
}

struct Row {
    std::string name;
    std::string fileName;
    std::uint32_t direct80;
    bool operator==(const Row&) const = default;
};

std::vector<Row> folderRows(StoreReader& reader) {
    FolderList folders;
    reader.Read_OE_File("folders.dbx", &folders);
    std::vector<Row> rows;
    for (const Toe5_FolderInfo& f : folders) rows.push_back({f.Name, f.FileName, f.Direct80});
    return rows;
}

std::vector<std::string> subjects(StoreReader& reader, const std::string& fileName) {
    MessageInfoList messages;
    reader.Read_OE_File(fileName, &messages);
    std::vector<std::string> found;
    for (const Toe5_MessageInfo& m : messages) found.push_back(m.Subject);
    return found;
}

// A store copied from Windows ("Folders.dbx"), and its message files copied again into a
// folder of their own, under a name the ANSI page has no character for.
class StoreSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        StoreBuilder builder;
        builder.setFolderListName("Folders.dbx");
        builder.addFolder("Inbox", "Inbox.dbx", {message("One"), message("Two")});
        builder.addFolder("Sent Items", "Sent Items.dbx", {message("Three")});
        builder.write(store);
        fs::create_directories(loose);
        fs::copy_file(store / "Inbox.dbx", loose / "Inbox.dbx");
        fs::copy_file(store / "Sent Items.dbx", loose / "ARCHIVE.DBX");
        test::writeFile(loose / "notes.txt", "not a store file");
    }

    test::TempDir dir;
    fs::path store = dir.path() / "store";
    fs::path loose = dir.path() / test::utf8Path("backup \xe2\x98\x83");
};

TEST_F(StoreSourceTest, EachKindOfPathListsItsFoldersAndReadsThem) {
    // The store folder, named by the folder or by its folder list, reads as designed.
    for (const fs::path& path : {store, store / "Folders.dbx"}) {
        StoreReader reader(test::toUtf8(path));
        EXPECT_EQ(reader.source().kind(), StoreSource::Kind::StoreFolder);
        EXPECT_EQ(reader.source().storePath(), test::toUtf8(store));
        EXPECT_EQ(folderRows(reader), (std::vector<Row>{{"Inbox", "Inbox.dbx", 1},
                                                         {"Sent Items", "Sent Items.dbx", 2}}));
        EXPECT_EQ(subjects(reader, "Sent Items.dbx"), std::vector<std::string>{"Three"});
    }

    // Loose files: a row per file in name order, what only folders.dbx knows left zero.
    StoreReader folder(test::toUtf8(loose) + "/");
    EXPECT_EQ(folder.source().kind(), StoreSource::Kind::LooseFiles);
    EXPECT_EQ(folder.source().storePath(), test::toUtf8(loose));
    EXPECT_EQ(folderRows(folder), (std::vector<Row>{{"ARCHIVE", "ARCHIVE.DBX", 0},
                                                     {"Inbox", "Inbox.dbx", 0}}));
    EXPECT_EQ(subjects(folder, "ARCHIVE.DBX"), std::vector<std::string>{"Three"});

    // One message file alone, whatever else lies beside it.
    StoreReader single(test::toUtf8(loose / "Inbox.dbx"));
    EXPECT_EQ(single.source().kind(), StoreSource::Kind::SingleFile);
    EXPECT_EQ(single.source().storePath(), test::toUtf8(loose / "Inbox.dbx"));
    EXPECT_EQ(folderRows(single), (std::vector<Row>{{"Inbox", "Inbox.dbx", 0}}));
    EXPECT_EQ(subjects(single, "Inbox.dbx"), (std::vector<std::string>{"One", "Two"}));
}

TEST_F(StoreSourceTest, PathsThatAreNoStoreSayWhatWasExpected) {
    fs::create_directories(dir.path() / "empty");
    const auto refusal = [](const fs::path& path) -> std::string {
        try {
            StoreSource::open(test::toUtf8(path));
        } catch (const StoreOpenError& e) {
            return e.what();
        }
        return "opened";
    };
    const std::string expected = "Expected a mail store folder";
    for (const fs::path& path :
         {dir.path() / "missing", loose / "notes.txt", dir.path() / "empty"}) {
        const std::string why = refusal(path);
        EXPECT_NE(why.find("\"" + test::toUtf8(path) + "\""), std::string::npos) << why;
        EXPECT_NE(why.find(expected), std::string::npos) << why;
    }
    EXPECT_NE(refusal(dir.path() / "empty").find("holds no .dbx files"), std::string::npos);
    {
        // The mail client holding the file: refused before anything else changes.
        const test::FileLock mailClient(loose / "Inbox.dbx");
        EXPECT_NE(refusal(loose / "Inbox.dbx").find("in use by another program"),
                  std::string::npos);
    }
    if (!test::onWindows) {
        fs::permissions(loose, fs::perms::owner_exec);
        std::error_code denied;  // none for a user whom permissions do not stop
        fs::directory_iterator listing(loose, denied);
        const std::string why = refusal(loose);
        fs::permissions(loose, fs::perms::owner_all);
        if (denied) {
            EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
        }
    }
}

}  // namespace
}  // namespace mq
