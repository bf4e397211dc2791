#include "platform/RegistryFile.h"
#include "store/StoreLocation.h"
#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <filesystem>
#include <stdexcept>

namespace mq {
namespace {

namespace fs = std::filesystem;

// Both places the registry may name the store must lead the reader to it.
TEST(StoreBuilder, RegistryLeadsTheReaderToTheStore) {
    for (StoreRootKey where : {StoreRootKey::Identity, StoreRootKey::Global}) {
        test::TempDir dir;
        DbxMessage hello;
        hello.subject = "Hello";
        hello.text = "Subject: Hello\r\n\r\nHi\r\n";
        StoreBuilder store;
        store.setFolderListName("Folders.dbx");
        const auto parent = store.addFolder("Inbox", "Inbox.dbx", {hello, hello});
        store.addFolder("Local Folders", "");
        store.addFolder("Sub", "Sub.dbx", {}, parent);
        store.write(dir.path() / "store");
        const fs::path reg = registryFileIn(dir.path() / "config");
        writeStoreRegistry(reg, (dir.path() / "store").string(), where);

        RegistryFile registry(reg);
        EXPECT_EQ(Get_OE_Directory(registry), (dir.path() / "store").string());
        StoreReader reader(registry);
        FolderList folders;
        reader.Read_OE_File("folders.dbx", &folders);
        ASSERT_EQ(folders.size(), 3u);
        EXPECT_EQ(folders[1].Name, "Local Folders");
        EXPECT_EQ(folders[1].FileName, "");
        EXPECT_EQ(folders[2].Direct81, folders[0].Direct80);
        MessageInfoList inbox, sub;
        reader.Read_OE_File("Inbox.dbx", &inbox);
        reader.Read_OE_File("Sub.dbx", &sub);
        EXPECT_EQ(inbox.size(), 2u);
        EXPECT_TRUE(sub.empty());
    }
}

// Benchmarks would time an empty folder without noticing; the generated store must hold
// what it was asked for.
TEST(StoreBuilder, GeneratedStoreHoldsEveryMessageAtItsSize) {
    test::TempDir dir;
    const GeneratedStore store = writeGeneratedStore(dir.path(), 120, 3000);
    RegistryFile registry(registryFileIn(store.configHome));
    StoreReader reader(registry);
    FolderList folders;
    reader.Read_OE_File("folders.dbx", &folders);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].FileName, store.folderFile);

    MessageInfoList list;
    reader.Read_OE_File(store.folderFile, &list);
    ASSERT_EQ(list.size(), 120u);
    test::CountingObserver observer;
    std::size_t withReplyTo = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].MessageSize, 3000u);
        EXPECT_EQ(list[i].Subject, "Generated message " + std::to_string(i));
        withReplyTo += !list[i].ReplyTo.empty();
        std::string text;
        reader.Read_OE_Message(store.folderFile, list[i].MessagePosition, text, observer);
        ASSERT_EQ(text, generatedText(i, 3000)) << "message " << i;
    }
    EXPECT_GT(withReplyTo, 0u);
    EXPECT_LT(withReplyTo, list.size());
}

}  // namespace
}  // namespace mq
