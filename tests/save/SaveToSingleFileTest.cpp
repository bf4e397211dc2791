#include "save/SaveToSingleFile.h"

#include "SaveTestStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace mq::test {
namespace {

namespace fs = std::filesystem;

TEST(SaveToSingleFile, MessagesInDisplayOrderBetweenBlankLines) {
    std::string big = "Subject: big\r\n\r\n";
    big.resize(1100, '\xf6');
    SaveTestStore store(
        {message("Re: One", "one\r\n"), message("Two", "two\nlone"), message("Big", big)});
    auto selection = store.all();
    std::swap(selection.rows[0], selection.rows[1]);
    const std::string path = (store.outDir / "all.txt").string();
    RecordingHost host;

    SaveMessagesToSingleFile(host, selection, path);

    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(readFile(path), " \r\ntwo\nlone\r\n \r\none\r\n \r\n" + big + "\r\n \r\n");
    EXPECT_EQ(host.state.ProgressDone, 3);
    EXPECT_EQ(host.notifications.back().ProgressItem, "Big");
}

TEST(SaveToSingleFile, AStopStillWritesWhatWasAdded) {
    std::vector<DbxMessage> messages;
    for (char c = '1'; c <= '5'; ++c)
        messages.push_back(message(std::string("m") + c, std::string(1200, c) + "\r\n"));
    SaveTestStore store(messages);
    const std::string path = (store.outDir / "all.txt").string();
    RecordingHost host;
    host.onNotify = [](RecordingHost& h) {
        if (h.state.ProgressItem == "m3") h.state.Cancelled = true;
    };

    SaveMessagesToSingleFile(host, store.all(), path);

    EXPECT_EQ(readFile(path), " \r\n" + std::string(1200, '1') + "\r\n \r\n" +
                                  std::string(1200, '2') + "\r\n \r\n");

    // A store the mail client holds: one box, and a file with the first line only.
    FileLock mailClient(store.storeFile());
    host.onNotify = nullptr;
    SaveMessagesToSingleFile(host, store.all(), path);
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(readFile(path), " \r\n");
}

TEST(SaveToSingleFile, AFailedWriteLeavesTheChosenFileAsItWas) {
    SaveTestStore store({message("a", std::string(3000, 'a'))});
    RecordingHost host;

    const std::string missing = (store.root / "missing" / "all.txt").string();
    SaveMessagesToSingleFile(host, store.all(), missing);
    EXPECT_EQ(host.errors, std::vector<std::string>{"Error during file save to: " + missing});
    EXPECT_FALSE(fs::exists(store.root / "missing"));
}

TEST(SaveToSingleFile, AWriteCutShortLeavesTheChosenFileAsItWas) {
    if (!FileSizeLimit::supported) GTEST_SKIP() << FileSizeLimit::unsupportedReason;
    SaveTestStore store({message("a", std::string(3000, 'a'))});
    RecordingHost host;
    const fs::path chosen = store.outDir / "all.txt";
    std::ofstream(chosen, std::ios::binary) << "kept";
    {
        FileSizeLimit limit(1000);
        SaveMessagesToSingleFile(host, store.all(), chosen.string());
    }
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(readFile(chosen), "kept");
    EXPECT_EQ(namesIn(store.outDir), std::vector<std::string>{"all.txt"});
}

}  // namespace
}  // namespace mq::test
