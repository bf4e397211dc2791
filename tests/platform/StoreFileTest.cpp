#include "platform/StoreFile.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

using test::TempDir;
using test::writeFile;

std::string readAll(ByteSource& source, std::uint64_t offset, std::size_t count) {
    std::string out(count, '\0');
    const std::size_t n =
        source.readAt(offset, std::as_writable_bytes(std::span<char>(out.data(), out.size())));
    out.resize(n);
    return out;
}

TEST(StoreFile, ReadsAtOffsetsAndStopsAtTheEnd) {
    TempDir dir;
    const std::string path = (dir.path() / "Inbox.dbx").string();
    writeFile(path, "0123456789");
    const std::unique_ptr<StoreFile> file = StoreFile::open(path);
    EXPECT_EQ(file->size(), 10u);
    EXPECT_EQ(readAll(*file, 2, 3), "234");
    EXPECT_EQ(readAll(*file, 8, 5), "89");
    EXPECT_EQ(readAll(*file, 10, 1), "");
    EXPECT_EQ(readAll(*file, ~std::uint64_t{0} - 1, 4), "");
    EXPECT_THROW(StoreFile::open((dir.path() / "missing.dbx").string()), FileOpenError);
    EXPECT_THROW(StoreFile::open(dir.path().string()), FileOpenError);  // a folder
}

TEST(StoreFile, AFileHeldOpenDoesNotOpenAgain) {
    TempDir dir;
    const std::string path = (dir.path() / "folders.dbx").string();
    writeFile(path, "data");

    // Another process holds the file: it does not open until that process lets go.
    {
        test::ChildProcess holder(MQ_HOLD_FILE_TOOL, {path});
        ASSERT_TRUE(holder.readLine().starts_with("held"));
        try {
            StoreFile::open(path);
            ADD_FAILURE() << "opened a file another process holds";
        } catch (const FileOpenError& error) {
            EXPECT_STREQ(error.what(), "the file is in use by another program");
        }
        EXPECT_EQ(holder.finish().status, 0);
    }
    EXPECT_NO_THROW(StoreFile::open(path));

    // Within this process too, as with no sharing on Windows; a closed file opens again.
    {
        const std::unique_ptr<StoreFile> first = StoreFile::open(path);
        EXPECT_THROW(StoreFile::open(path), FileOpenError);
    }
    EXPECT_NO_THROW(StoreFile::open(path));
}

TEST(StorePaths, JoinNeverDoublesTheSeparator) {
    const std::string s(1, pathSeparator());
    EXPECT_EQ(joinPath(s + "store", "folders.dbx"), s + "store" + s + "folders.dbx");
    EXPECT_EQ(joinPath(s + "store" + s, "folders.dbx"), s + "store" + s + "folders.dbx");
    EXPECT_EQ(joinPath(s + "store" + s, s + "folders.dbx"), s + "store" + s + "folders.dbx");
    EXPECT_EQ(joinPath(s + "store", s + "folders.dbx"), s + "store" + s + "folders.dbx");
    EXPECT_EQ(joinPath("", "folders.dbx"), s + "folders.dbx");
    EXPECT_EQ(joinPath(s, "folders.dbx"), s + "folders.dbx");
    // A slash separates on Windows too.
    EXPECT_EQ(joinPath("/store/", "/folders.dbx"), "/store/folders.dbx");
}

TEST(StorePaths, NamesInAnotherLetterCaseOpen) {
    TempDir dir;
    const std::string store = dir.path().string();
    writeFile(dir.path() / "Folders.dbx", "");
    writeFile(dir.path() / "Sent Items.dbx", "");
    writeFile(dir.path() / test::utf8Path("\xC3\x89l\xC3\xA9ments.dbx"), "");
    // The reader passes names in UTF-8 on every system.
    const std::string elements = "\xC3\x89L\xC3\x89MENTS.DBX";
    for (const std::string& name :
         {std::string("folders.dbx"), std::string("SENT ITEMS.dbx"), elements}) {
        EXPECT_NO_THROW(StoreFile::open(findFileIgnoringCase(store, name))) << name;
    }
}

TEST(StorePaths, TheOneSpellingThatMatchesIsLookedUp) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows finds file names ignoring letter case itself; no lookup happens";
#endif
    TempDir dir;
    const std::string store = dir.path().string();
    writeFile(dir.path() / "Folders.dbx", "");
    writeFile(dir.path() / "Sent Items.dbx", "");
    writeFile(dir.path() / "\xC3\x89l\xC3\xA9ments.dbx", "");
    writeFile(dir.path() / "Drafts.dbx", "");
    writeFile(dir.path() / "drafts.dbx", "");
    writeFile(dir.path() / "Inbox.dbx", "");
    writeFile(dir.path() / "INBOX.DBX", "");

    EXPECT_EQ(findFileIgnoringCase(store, "folders.dbx"), store + "/Folders.dbx");
    EXPECT_EQ(findFileIgnoringCase(store + "/", "SENT ITEMS.dbx"), store + "/Sent Items.dbx");
    EXPECT_EQ(findFileIgnoringCase(store, "\xC3\xA9L\xC3\x89MENTS.DBX"),
              store + "/\xC3\x89l\xC3\xA9ments.dbx");
    // The exact name wins over another spelling.
    EXPECT_EQ(findFileIgnoringCase(store, "drafts.dbx"), store + "/drafts.dbx");
    // No match, or two spellings and neither exact: the exact join, which then fails to open.
    EXPECT_EQ(findFileIgnoringCase(store, "Outbox.dbx"), store + "/Outbox.dbx");
    EXPECT_EQ(findFileIgnoringCase(store, "inbox.dbx"), store + "/inbox.dbx");
    EXPECT_EQ(findFileIgnoringCase(store + "/missing", "Inbox.dbx"), store + "/missing/Inbox.dbx");
}

}  // namespace
}  // namespace mq
