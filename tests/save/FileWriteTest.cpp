#include "save/FileWrite.h"

#include "SaveTestStore.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace mq::test {
namespace {

namespace fs = std::filesystem;

void putFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

TEST(FileWrite, OnlyAMissingLineEndIsAdded) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\nb\n", "a\nb\n\r\n"},  // lone LFs stay lone
        {"a\r", "a\r\r\n"},
        {"\r\n\r\n", "\r\n\r\n"},
    };
    for (const auto& [text, expected] : cases) {
        std::string completed = text;
        terminateLastLine(completed);
        EXPECT_EQ(completed, expected) << "for " << text.size() << " bytes";
    }
}

TEST(FileWrite, ANewFileIsCompleteOrAbsent) {
    SaveTestStore store({});
    const fs::path path = store.outDir / "m.eml";
    const std::string content(5000, 'x');

    putFile(path, "older");
    EXPECT_FALSE(writeNewFile(toUtf8(path), content)) << "an existing file is never replaced";
    EXPECT_EQ(readFile(path), "older");
    fs::remove(path);

    EXPECT_TRUE(writeNewFile(toUtf8(path), content));
    EXPECT_EQ(readFile(path), content);
    EXPECT_FALSE(writeNewFile(toUtf8(store.root / "missing" / "m.eml"), content));
}

TEST(FileWrite, AWriteThatFailsPartWayLeavesNoPartOfIt) {
    if (!FileSizeLimit::supported) GTEST_SKIP() << FileSizeLimit::unsupportedReason;
    SaveTestStore store({});
    const fs::path path = store.outDir / "m.eml";
    const std::string content(5000, 'x');
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(writeNewFile(toUtf8(path), content));
    }
    EXPECT_FALSE(fs::exists(path)) << "a partly written file is removed";

    putFile(path, "the user's old file");
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(replaceFile(toUtf8(path), content));
    }
    EXPECT_EQ(readFile(path), "the user's old file");
    EXPECT_EQ(namesIn(store.outDir), std::vector<std::string>{"m.eml"}) << "no temporary left";
}

TEST(FileWrite, AReplacedFileChangesOnlyWhenTheNewOneIsComplete) {
    SaveTestStore store({});
    const fs::path path = store.outDir / "all.txt";
    const std::string content(5000, 'y');
    putFile(path, "the user's old file");
#ifndef _WIN32
    ::chmod(path.c_str(), 0640);
#endif

    EXPECT_TRUE(replaceFile(toUtf8(path), content));
    EXPECT_EQ(readFile(path), content);
#ifndef _WIN32
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "the replacement keeps the permissions";
#endif
    EXPECT_EQ(namesIn(store.outDir), std::vector<std::string>{"all.txt"});

    // A folder is not a file to replace.
    fs::create_directory(store.outDir / "folder.txt");
    EXPECT_FALSE(replaceFile(toUtf8(store.outDir / "folder.txt"), content));
    EXPECT_TRUE(fs::is_directory(store.outDir / "folder.txt"));

    EXPECT_TRUE(replaceFile(toUtf8(store.outDir / "new.txt"), "new"));
    EXPECT_EQ(readFile(store.outDir / "new.txt"), "new");

    // Filled piece by piece: the target changes only at the commit, and an abandoned
    // replacement leaves nothing behind.
    {
        FileReplacement growing(toUtf8(path));
        growing.append("first ");
        growing.append("second");
        EXPECT_EQ(readFile(path), content);
        EXPECT_TRUE(growing.commit());
    }
    EXPECT_EQ(readFile(path), "first second");
    {
        FileReplacement abandoned(toUtf8(path));
        abandoned.append("never seen");
    }
    EXPECT_EQ(readFile(path), "first second");
    EXPECT_EQ(namesIn(store.outDir),
              (std::vector<std::string>{"all.txt", "folder.txt", "new.txt"}));
    const ReplaceResult missing = replaceFile(toUtf8(store.root / "missing" / "all.txt"), "x");
    EXPECT_FALSE(missing.created);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST(FileWrite, AReplacementThroughALinkKeepsTheLink) {
#ifdef _WIN32
    GTEST_SKIP() << "links to files are a POSIX habit; Wine cannot make them";
#endif
    SaveTestStore store({});
    const fs::path path = store.outDir / "all.txt";
    const fs::path link = store.outDir / "link.txt";
    putFile(path, "old");
    fs::create_symlink(path, link);
    EXPECT_TRUE(replaceFile(toUtf8(link), "via link"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(path), "via link");
}

TEST(FileWrite, LeftoversOfKilledRunsGoAndAFolderWithoutRoomIsWrittenInPlace) {
    SaveTestStore store({});
    const fs::path path = store.outDir / "all.txt";
    putFile(path, "old");
    putFile(store.outDir / ".mailquarry-4242-0.tmp", "left by a killed run");
    putFile(store.outDir / ".mailquarry-notes.tmp", "the user's");
    putFile(store.outDir / ".mailquarry-4243-0.tmp", "");
    const FileLock writing(store.outDir / ".mailquarry-4243-0.tmp");  // another run's

    EXPECT_TRUE(replaceFile(toUtf8(path), "new"));
    EXPECT_EQ(
        namesIn(store.outDir),
        (std::vector<std::string>{".mailquarry-4243-0.tmp", ".mailquarry-notes.tmp", "all.txt"}));

    // Every name this run could give its temporary file is taken, as in a folder that takes
    // no new file: the target is overwritten in place, and its hard link sees it.
    const fs::path link = store.root / "hard link.txt";
    fs::create_hard_link(path, link);
    std::vector<std::unique_ptr<FileLock>> taken;
    for (int n = 0; n < 100; ++n) {
        const fs::path name = store.outDir / (".mailquarry-" + std::to_string(currentProcessId()) +
                                              "-" + std::to_string(n) + ".tmp");
        putFile(name, "");
        taken.push_back(std::make_unique<FileLock>(name));
    }
    const std::string longer(100'000, 'z');
    EXPECT_TRUE(replaceFile(toUtf8(path), longer));
    EXPECT_EQ(readFile(path), longer);
    EXPECT_EQ(readFile(link), longer);
    EXPECT_TRUE(replaceFile(toUtf8(path), "short"));
    EXPECT_EQ(readFile(link), "short");
    EXPECT_EQ(namesIn(store.outDir).size(), 103u) << "no other file was made";
}

}  // namespace
}  // namespace mq::test
