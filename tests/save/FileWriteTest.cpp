#include "save/FileWrite.h"

#include "SaveTestStore.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
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
    EXPECT_FALSE(writeNewFile(path.string(), content)) << "an existing file is never replaced";
    EXPECT_EQ(readFile(path), "older");
    fs::remove(path);

    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(writeNewFile(path.string(), content));
    }
    EXPECT_FALSE(fs::exists(path)) << "a partly written file is removed";

    EXPECT_TRUE(writeNewFile(path.string(), content));
    EXPECT_EQ(readFile(path), content);
    EXPECT_FALSE(writeNewFile((store.root / "missing" / "m.eml").string(), content));
}

TEST(FileWrite, AReplacedFileSurvivesAFailedWrite) {
    SaveTestStore store({});
    const fs::path path = store.outDir / "all.txt";
    const std::string content(5000, 'y');
    putFile(path, "the user's old file");
    ::chmod(path.c_str(), 0640);

    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(replaceFile(path.string(), content));
    }
    EXPECT_EQ(readFile(path), "the user's old file");
    EXPECT_EQ(namesIn(store.outDir), std::vector<std::string>{"all.txt"}) << "no temporary left";

    EXPECT_TRUE(replaceFile(path.string(), content));
    EXPECT_EQ(readFile(path), content);
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "the replacement keeps the permissions";
    EXPECT_EQ(namesIn(store.outDir), std::vector<std::string>{"all.txt"});

    // A link stays a link; the file it names gets the content.
    const fs::path link = store.outDir / "link.txt";
    fs::create_symlink(path, link);
    EXPECT_TRUE(replaceFile(link.string(), "via link"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(path), "via link");

    // A folder is not a file to replace.
    fs::create_directory(store.outDir / "folder.txt");
    EXPECT_FALSE(replaceFile((store.outDir / "folder.txt").string(), content));
    EXPECT_TRUE(fs::is_directory(store.outDir / "folder.txt"));

    EXPECT_TRUE(replaceFile((store.outDir / "new.txt").string(), "new"));
    EXPECT_EQ(readFile(store.outDir / "new.txt"), "new");

    // Filled piece by piece: the target changes only at the commit, and an abandoned
    // replacement leaves nothing behind.
    {
        FileReplacement growing(path.string());
        growing.append("first ");
        growing.append("second");
        EXPECT_EQ(readFile(path), "via link");
        EXPECT_TRUE(growing.commit());
    }
    EXPECT_EQ(readFile(path), "first second");
    {
        FileReplacement abandoned(path.string());
        abandoned.append("never seen");
    }
    EXPECT_EQ(readFile(path), "first second");
    EXPECT_EQ(namesIn(store.outDir),
              (std::vector<std::string>{"all.txt", "folder.txt", "link.txt", "new.txt"}));
    const ReplaceResult missing = replaceFile((store.root / "missing" / "all.txt").string(), "x");
    EXPECT_FALSE(missing.created);
    EXPECT_EQ(missing.error, ENOENT);
}

// A file named as this program names its temporary files, held open and locked as a run
// writing it would hold it.
class HeldTemporary {
public:
    explicit HeldTemporary(const fs::path& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw std::runtime_error("cannot hold the file");
    }
    ~HeldTemporary() { ::close(fd_); }
    HeldTemporary(const HeldTemporary&) = delete;
    HeldTemporary& operator=(const HeldTemporary&) = delete;

private:
    int fd_;
};

TEST(FileWrite, LeftoversOfKilledRunsGoAndAFolderWithoutRoomIsWrittenInPlace) {
    SaveTestStore store({});
    const fs::path path = store.outDir / "all.txt";
    putFile(path, "old");
    putFile(store.outDir / ".mailquarry-4242-0.tmp", "left by a killed run");
    putFile(store.outDir / ".mailquarry-notes.tmp", "the user's");
    const HeldTemporary writing(store.outDir / ".mailquarry-4243-0.tmp");

    EXPECT_TRUE(replaceFile(path.string(), "new"));
    EXPECT_EQ(
        namesIn(store.outDir),
        (std::vector<std::string>{".mailquarry-4243-0.tmp", ".mailquarry-notes.tmp", "all.txt"}));

    // Every name this run could give its temporary file is taken, as in a folder that takes
    // no new file: the target is overwritten in place, and its hard link sees it.
    const fs::path link = store.root / "hard link.txt";
    fs::create_hard_link(path, link);
    std::vector<std::unique_ptr<HeldTemporary>> taken;
    for (int n = 0; n < 100; ++n)
        taken.push_back(std::make_unique<HeldTemporary>(
            store.outDir /
            (".mailquarry-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".tmp")));
    const std::string longer(100'000, 'z');
    EXPECT_TRUE(replaceFile(path.string(), longer));
    EXPECT_EQ(readFile(path), longer);
    EXPECT_EQ(readFile(link), longer);
    EXPECT_TRUE(replaceFile(path.string(), "short"));
    EXPECT_EQ(readFile(link), "short");
    EXPECT_EQ(namesIn(store.outDir).size(), 103u) << "no other file was made";
}

}  // namespace
}  // namespace mq::test
