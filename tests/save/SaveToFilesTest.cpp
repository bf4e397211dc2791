#include "save/SaveToFiles.h"

#include "SaveTestStore.h"
#include "platform/AnsiCodePage.h"
#include "platform/StoreFile.h"
#include "save/SaveFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <new>

namespace mq::test {
namespace {

namespace fs = std::filesystem;

const std::string DbxError =
    "DBX File Inbox.dbx cannot be accessed, make sure that Outlook Express is not running";

std::string longText(char fill, std::size_t size) {
    std::string text = "Subject: long\r\n\r\n";
    text.resize(size, fill);
    return text + "\r\n";
}

TEST(SaveToFiles, EachFileHoldsTheStoredBytesUnderItsComposedName) {
    // One text ends in CR LF, one has lone LFs and no line end, one is 8-bit and spans
    // three blocks, one is empty.
    const std::string first = "Subject: One\r\n\r\nHello\r\n";
    const std::string second = "Subject: Two\nlone\nline ends";
    std::string third = "Subject: Tr\xe9s\r\n\r\n";
    third.resize(1300, '\xe9');
    SaveTestStore store({message("One", first), message("Two: part?", second),
                         message("Tr\xe9s", third), message("", "")});
    RecordingHost host;

    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

    EXPECT_TRUE(host.errors.empty());
    // On disk the name is the subject converted from the store's page.
    const std::string eightBit = AnsiCodePage::store().toUtf8("[Tr\xe9s].eml");
    EXPECT_EQ(namesIn(store.outDir),
              (std::vector<std::string>{"[One].eml", eightBit, "[Two  part ].eml", "[].eml"}));
    EXPECT_EQ(readFile(store.outDir / "[One].eml"), first);
    EXPECT_EQ(readFile(store.outDir / "[Two  part ].eml"), second + "\r\n");
    EXPECT_EQ(readFile(store.outDir / utf8Path(eightBit)), third + "\r\n");
    EXPECT_EQ(readFile(store.outDir / "[].eml"), "\r\n");
    EXPECT_EQ(store.fileList.size(), 4u);

    // The write's notification comes after the count: one per message, counting up.
    std::vector<int> doneAtWrites;
    for (const ProgressState& seen : host.notifications)
        if (seen.ProgressDone > (doneAtWrites.empty() ? 0 : doneAtWrites.back()))
            doneAtWrites.push_back(seen.ProgressDone);
    EXPECT_EQ(doneAtWrites, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(host.notifications.back().ProgressTotal, 4);
    EXPECT_EQ(host.notifications.back().ProgressItem, "[].eml");
}

TEST(SaveToFiles, RowsAreSavedInDisplayOrderAndEqualNamesAreNumbered) {
    SaveTestStore store({message("Same", "older\r\n"), message("Same", "newer\r\n"),
                         message("Same", "newest\r\n")});
    auto selection = store.all();
    std::swap(selection.rows[0], selection.rows[2]);  // the list shows the newest first
    RecordingHost host;

    SaveMessagesToFiles(host, selection, store.pref, store.items, store.fileList);

    EXPECT_EQ(readFile(store.outDir / "[Same].eml"), "newest\r\n");
    EXPECT_EQ(readFile(store.outDir / "[Same](2).eml"), "newer\r\n");
    EXPECT_EQ(readFile(store.outDir / "[Same](3).eml"), "older\r\n");
}

TEST(SaveToFiles, CancelDuringAMessageKeepsOnlyTheMessagesBefore) {
    std::vector<DbxMessage> messages;
    for (char c = '1'; c <= '5'; ++c)
        messages.push_back(message(std::string("m") + c, longText(c, 1500)));
    SaveTestStore store(messages);
    RecordingHost host;
    int blocksOfThird = 0;
    host.onNotify = [&](RecordingHost& h) {
        if (h.state.ProgressItem == "[m3].eml" && ++blocksOfThird == 2)
            h.state.Cancelled = true;  // the Cancel button, seen inside a notification
    };

    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

    EXPECT_EQ(namesIn(store.outDir), (std::vector<std::string>{"[m1].eml", "[m2].eml"}));
    EXPECT_EQ(blocksOfThird, 2) << "reading stops after the block that saw the stop";
    EXPECT_EQ(host.state.ProgressDone, 2);
    EXPECT_TRUE(host.errors.empty());

    // The next run starts afresh.
    host.onNotify = nullptr;
    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);
    EXPECT_EQ(host.state.ProgressDone, 5);
    EXPECT_EQ(namesIn(store.outDir).size(), 7u);
}

TEST(SaveToFiles, ALockedStoreGivesOneBoxAndNoFile) {
    SaveTestStore store({message("a", "a\r\n"), message("b", "b\r\n"), message("c", "c\r\n")});
    FileLock mailClient(store.storeFile());
    RecordingHost host;

    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

    EXPECT_EQ(host.errors, std::vector<std::string>{DbxError});
    EXPECT_TRUE(host.state.Cancelled);
    EXPECT_EQ(host.state.ProgressDone, 0);
    EXPECT_TRUE(namesIn(store.outDir).empty());
}

TEST(SaveToFiles, ATextTooBigForTheMemoryEndsTheRunAsAnUnreadableStore) {
    SaveTestStore store({message("a", "a\r\n"), message("b", "b\r\n")});
    RecordingHost host;
    host.onNotify = [](RecordingHost&) { throw std::bad_alloc(); };

    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

    EXPECT_EQ(host.errors, std::vector<std::string>{DbxError});
    EXPECT_TRUE(host.state.Cancelled);
    EXPECT_TRUE(namesIn(store.outDir).empty());
}

TEST(SaveToFiles, FailedWritesAreReportedPerMessageAndLeaveNothing) {
    SaveTestStore store({message("a", "a\r\n"), message("b", "b\r\n"), message("c", "c\r\n")});
    store.pref.Directory = (store.root / "missing").string();
    RecordingHost host;

    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

    const std::string prefix = "Error during file save to: " + store.pref.Directory;
    EXPECT_EQ(host.errors, (std::vector<std::string>{prefix + pathSeparator() + "[a].eml",
                                                     prefix + pathSeparator() + "[b].eml",
                                                     prefix + pathSeparator() + "[c].eml"}));
    EXPECT_EQ(host.state.ProgressDone, 3) << "a failed write does not stop the run";
    EXPECT_EQ(host.notifications.back().ProgressDone, 3);
    EXPECT_FALSE(fs::exists(store.root / "missing"));
    EXPECT_EQ(store.fileList.size(), 0u);
}

TEST(SaveToFiles, AFileCutShortIsRemovedAndTheNextMessageIsTried) {
    if (!FileSizeLimit::supported) GTEST_SKIP() << FileSizeLimit::unsupportedReason;
    SaveTestStore store({message("big", longText('x', 4000)), message("small", "s\r\n")});
    RecordingHost host;
    {
        FileSizeLimit limit(1000);  // the disk is full
        SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);
    }
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(namesIn(store.outDir), std::vector<std::string>{"[small].eml"});
}

TEST(SaveToFiles, AFullOrReadOnlyDiskGivesOneBoxAndEndsTheRun) {
    std::vector<DbxMessage> messages;
    for (int i = 10; i < 30; ++i)
        messages.push_back(message("m" + std::to_string(i), longText('x', 10'000)));
    for (const bool readOnly : {false, true}) {
        SaveTestStore store(messages);
        SmallFileSystem disk(store.outDir, 64 * 1024, readOnly);
        if (!disk.mounted()) GTEST_SKIP() << disk.whyNotMounted();
        RecordingHost host;

        SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

        const std::vector<std::string> saved = namesIn(store.outDir);
        EXPECT_EQ(saved.empty(), readOnly);
        EXPECT_LT(saved.size(), messages.size());
        for (const std::string& name : saved)
            EXPECT_TRUE(readFile(store.outDir / name) == longText('x', 10'000)) << name;
        ASSERT_EQ(host.errors.size(), 1u);
        EXPECT_TRUE(
            host.errors[0].ends_with("The disk is full or read-only. Saving stopped after " +
                                     std::to_string(saved.size()) + " of 20 messages."))
            << host.errors[0];
        EXPECT_TRUE(host.state.Cancelled);
        EXPECT_EQ(host.state.ProgressDone, std::int32_t(saved.size() + 1));
    }
}

TEST(SaveFolder, TheDocumentsFolderStandsInAndTheHomeFolderWithoutOne) {
    SaveTestStore store({});
    const std::string documents = store.outDir.string();
    const std::string home = store.root.string();
    EXPECT_EQ(defaultSaveFolder(documents, home), documents + pathSeparator());
    EXPECT_EQ(defaultSaveFolder(documents + "-gone", home), home + pathSeparator());
}

#ifdef _WIN32
// A folder whose path is past the 260 characters of the plain form: files are written,
// listed and dated there all the same.
TEST(SaveToFiles, AFolderPastThePlainPathLimitIsWrittenInTheLongForm) {
    const std::string text = "Subject: deep\r\n\r\nbody\r\n";
    SaveTestStore store({message("deep", text), message("deep", text)});
    // The C++ library takes such paths only in the long form, and cannot list them.
    std::vector<std::wstring> levels{L"\\\\?\\" + store.outDir.wstring()};
    while (levels.back().size() < 300)
        levels.push_back(levels.back() + L"\\" + std::wstring(40, L'd'));
    const fs::path deep = levels.back();
    fs::create_directories(deep);
    store.pref.Directory = toUtf8(fs::path(deep.wstring().substr(4)));
    store.pref.CreationDate = true;
    RecordingHost host;

    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);

    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(readFile(deep / "[deep].eml"), text);
    EXPECT_EQ(readFile(deep / "[deep](2).eml"), text);
    fs::remove(deep / "[deep].eml");
    fs::remove(deep / "[deep](2).eml");
    while (levels.size() > 1) {
        fs::remove(levels.back());
        levels.pop_back();
    }
}
#endif

TEST(SaveToFiles, AnExistingFileIsNeverOverwritten) {
    SaveTestStore store({});
    std::ofstream(store.outDir / "[x].eml") << "someone else's";
    RecordingHost host;

    EXPECT_EQ(WriteMessageFile(host, store.pref, store.fileList, "[x].eml", "mine\r\n"),
              WriteOutcome::Failed);

    EXPECT_EQ(readFile(store.outDir / "[x].eml"), "someone else's");
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.notifications.size(), 1u) << "a failed write still notifies";
}

}  // namespace
}  // namespace mq::test
