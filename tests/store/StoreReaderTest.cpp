#include "platform/RegistryFile.h"
#include "platform/TempDir.h"
#include "store/StoreError.h"
#include "store/StoreReader.h"
#include "support/DbxWriter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace mq {
namespace {

class NoStop : public MessageReadObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override {}
};

// A store folder named by a registry file, with a folder list saved as "Folders.dbx" (as
// stores copied from Windows name it) and one message folder.
class StoreReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = dir.path() / "store";
        std::filesystem::create_directories(store);
        test::writeFile(dir.path() / "user.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\r\n"
                        "\"Store Root\"=\"" +
                            store.string() + "\"\r\n");
        DbxWriter folders(DbxWriter::Kind::Folders);
        DbxFolder inboxFolder;
        inboxFolder.name = "Inbox";
        inboxFolder.fileName = "Inbox.dbx";
        folders.addFolder(inboxFolder);
        folders.write(store / "Folders.dbx");
        DbxWriter inbox;
        DbxMessage hello;
        hello.subject = "Hello";
        hello.text = "Subject: Hello\r\n\r\nBody\r\n";
        inbox.addMessage(hello);
        inbox.write(store / "Inbox.dbx");
        position = static_cast<std::int32_t>(inbox.offsetOfBlock(0));
        registry = std::make_unique<RegistryFile>(dir.path() / "user.reg", westernPage);
        reader = std::make_unique<StoreReader>(*registry);
    }

    const AnsiCodePage westernPage{1252};  // the registry keeps a reference
    test::TempDir dir;
    std::filesystem::path store;
    std::int32_t position = 0;
    std::unique_ptr<RegistryFile> registry;
    std::unique_ptr<StoreReader> reader;
};

TEST_F(StoreReaderTest, RecordKindFollowsTheNameAskedFor) {
    FolderList folders;
    reader->Read_OE_File("folders.dbx", &folders);
    reader->Read_OE_File("folders.dbx", &folders);  // appends
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].FileName, "Inbox.dbx");

    // The same file asked for in another case is a message folder; the kinds never mix.
    FolderList none;
    reader->Read_OE_File("Folders.dbx", &none);
    MessageInfoList messages;
    reader->Read_OE_File("folders.dbx", &messages);
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(messages.empty());
    reader->Read_OE_File("inbox.dbx", &messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Subject, "Hello");
    reader->Read_OE_File("Inbox.dbx", static_cast<MessageInfoList*>(nullptr));
}

TEST_F(StoreReaderTest, MessageTextIsReadFromItsFile) {
    NoStop observer;
    std::string text = "previous";
    reader->Read_OE_Message("Inbox.dbx", 0, text, observer);
    reader->Read_OE_Message("Missing.dbx", 0, text, observer);  // position 0: no file opened
    EXPECT_EQ(text, "previous");
    reader->Read_OE_Message("Inbox.dbx", position, text, observer);
    EXPECT_EQ(text, "Subject: Hello\r\n\r\nBody\r\n");
}

TEST_F(StoreReaderTest, FilesThatCannotBeOpenedRaiseNamingThem) {
    NoStop observer;
    MessageInfoList messages;
    std::string text = "previous";
    EXPECT_THROW(
        {
            try {
                reader->Read_OE_File("Deleted Items.dbx", &messages);
            } catch (const StoreError& e) {
                EXPECT_NE(std::string(e.what()).find("Deleted Items.dbx"), std::string::npos);
                throw;
            }
        },
        StoreError);

    // The mail client holding the file: nothing is read, the output stays.
    const int fd = ::open((store / "Inbox.dbx").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_THROW(reader->Read_OE_File("Inbox.dbx", &messages), StoreError);
    EXPECT_THROW(reader->Read_OE_Message("Inbox.dbx", position, text, observer), StoreError);
    ::close(fd);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(text, "previous");
}

}  // namespace
}  // namespace mq
