#include "platform/RegistryError.h"
#include "platform/RegistryFile.h"
#include "store/StoreError.h"
#include "store/StoreLocation.h"
#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/DbxWriter.h"
#include "support/Environment.h"
#include "support/FileLock.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

const AnsiCodePage westernPage(1252);  // the registry file keeps a reference to it

const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string globalKey = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\r\n";
const std::string identity =
    "[HKEY_CURRENT_USER\\Identities]\r\n\"Default User ID\"=\"{A1B2}\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\{A1B2}\\Software\\Microsoft\\Outlook Express\\5.0]\r\n"
    "\"Store Root\"=\"C:\\\\Identity\"\r\n\r\n";

std::string storeFolderFrom(const std::string& sections) {
    test::TempDir dir;
    test::writeFile(dir.path() / "user.reg", header + sections);
    RegistryFile registry(dir.path() / "user.reg", westernPage);
    return Get_OE_Directory(registry);
}

TEST(StoreLocation, GlobalRootFirstThenTheDefaultIdentityExpanded) {
    EXPECT_EQ(storeFolderFrom(identity), "C:\\Identity");
    EXPECT_EQ(storeFolderFrom(identity + globalKey + "\"Store Root\"=\"D:\\\\G\"\r\n"), "D:\\G");
    EXPECT_EQ(storeFolderFrom(identity + globalKey + "\"Store Root\"=\"\"\r\n"), "C:\\Identity");
    EXPECT_EQ(storeFolderFrom(""), "");
    // Without a default identity the id in the path is empty: "Identities\\Software...".
    EXPECT_EQ(storeFolderFrom(identity.substr(identity.find("\r\n\r\n") + 4)), "");

    test::ScopedEnvironment profile("MQ_STORE_TEST_PROFILE", "/home/ann");
    test::ScopedEnvironment undefined("MQ_STORE_TEST_UNDEFINED", std::nullopt);
    EXPECT_EQ(storeFolderFrom(globalKey + "\"Store Root\"=\"%MQ_STORE_TEST_PROFILE%\\\\Mail "
                                          "%MQ_STORE_TEST_UNDEFINED%\"\r\n"),
              "/home/ann\\Mail %MQ_STORE_TEST_UNDEFINED%");
    // A registry file written by hand may start at the home folder.
    test::ScopedEnvironment home("HOME", "/home/ann/");
    EXPECT_EQ(storeFolderFrom(globalKey + "\"Store Root\"=\"~/old-mail\"\r\n"),
              test::onWindows ? "~/old-mail" : "/home/ann/old-mail");
    try {
        storeFolderFrom(globalKey + "\"Store Root\"=dword:00000001\r\n");
        ADD_FAILURE() << "no error for a number";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Store Root'");
    }
}

// A store folder named by a registry file, with the folder list saved as "Folders.dbx" (as
// stores copied from Windows name it) and one message folder.
class StoreReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(store);
        writeStoreRegistry(dir.path() / "user.reg", store.string(), StoreRootKey::Global);
        DbxWriter folders(DbxWriter::Kind::Folders);
        DbxFolder inbox;
        inbox.name = "Inbox";
        inbox.fileName = "Inbox.dbx";
        folders.addFolder(inbox);
        folders.write(store / "Folders.dbx");
        DbxWriter messages;
        DbxMessage hello;
        hello.subject = "Hello";
        hello.text = "Subject: Hello\r\n\r\nBody\r\n";
        messages.addMessage(hello);
        messages.write(store / "Inbox.dbx");
        position = static_cast<std::int32_t>(messages.offsetOfBlock(0));
        registry = std::make_unique<RegistryFile>(dir.path() / "user.reg", westernPage);
        reader = std::make_unique<StoreReader>(*registry);
    }

    test::TempDir dir;
    std::filesystem::path store = dir.path() / "store";
    std::int32_t position = 0;
    std::unique_ptr<RegistryFile> registry;
    std::unique_ptr<StoreReader> reader;
    test::CountingObserver observer;
};

TEST_F(StoreReaderTest, RecordKindFollowsTheNameAskedFor) {
    FolderList folders;
    reader->Read_OE_File("folders.dbx", &folders);
    reader->Read_OE_File("folders.dbx", &folders);  // appends
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].FileName, "Inbox.dbx");
    // Asked for in another case it is a message folder; the kinds never mix.
    FolderList none;
    reader->Read_OE_File("Folders.dbx", &none);
    MessageInfoList messages;
    reader->Read_OE_File("folders.dbx", &messages);
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(messages.empty());
    reader->Read_OE_File("inbox.dbx", &messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Subject, "Hello");

    std::string text = "previous";
    reader->Read_OE_Message("Missing.dbx", 0, text, observer);  // position 0: no file opened
    EXPECT_EQ(text, "previous");
    reader->Read_OE_Message("Inbox.dbx", position, text, observer);
    EXPECT_EQ(text, "Subject: Hello\r\n\r\nBody\r\n");
}

TEST_F(StoreReaderTest, EightBitFileNamesFindTheirFilesOnDisk) {
    // Folder records name files in the ANSI page; the file system in its own encoding.
    DbxWriter drafts;
    DbxMessage draft;
    draft.subject = "Entwurf";
    drafts.addMessage(draft);
    drafts.write(store / test::utf8Path("Entw\xc3\xbcrfe.dbx"));
    MessageInfoList messages;
    reader->Read_OE_File("Entw\xfcrfe.dbx", &messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Subject, "Entwurf");
}

TEST_F(StoreReaderTest, FilesThatCannotBeOpenedRaiseNamingThem) {
    MessageInfoList messages;
    std::string text = "previous";
    try {
        reader->Read_OE_File("Deleted Items.dbx", &messages);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find("Deleted Items.dbx"), std::string::npos);
    }
    // The mail client holding the file: nothing is read, the output stays.
    {
        const test::FileLock mailClient(store / "Inbox.dbx");
        EXPECT_THROW(reader->Read_OE_File("Inbox.dbx", &messages), StoreError);
        EXPECT_THROW(reader->Read_OE_Message("Inbox.dbx", position, text, observer), StoreError);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(text, "previous");
}

}  // namespace
}  // namespace mq
