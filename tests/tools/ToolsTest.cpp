#include "platform/RegistryFile.h"
#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/DbxWriter.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace mq {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

// Runs a tool with a fixed locale (code page 1252) and no registry of the user's own.
ToolRun run(const test::TempDir& dir, const std::string& args) {
    const fs::path err = dir.path() / "stderr";
    const std::string command =
        "env LC_ALL=en_US.UTF-8 XDG_CONFIG_HOME=" + quoted((dir.path() / "config").string()) + " " +
        args + " 2>" + quoted(err.string());
    ToolRun result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = slurp(err);
    return result;
}

std::vector<nlohmann::json> jsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(nlohmann::json::parse(out.substr(at, end - at)));
    }
    return lines;
}

// The run command opens the program on this store; what it must hold is what the program
// needs to show every feature.
TEST(SampleStoreTool, WritesAReproducibleStoreThatTheReaderFinds) {
    test::TempDir dir;
    const std::string tool = quoted(MQ_SAMPLE_STORE_TOOL);
    ASSERT_EQ(run(dir, tool + " " + quoted(dir.path().string())).status, 0);
    const std::string inbox = slurp(dir.path() / "store" / "Inbox.dbx");
    ASSERT_EQ(run(dir, tool + " " + quoted(dir.path().string())).status, 0);
    EXPECT_EQ(slurp(dir.path() / "store" / "Inbox.dbx"), inbox);
    EXPECT_TRUE(fs::exists(dir.path() / "store" / "Folders.dbx"));

    RegistryFile registry(registryFileIn(dir.path() / "config"));
    StoreReader reader(registry);
    EXPECT_EQ(fs::path(reader.storeFilePath("folders.dbx")).parent_path(), dir.path() / "store");
    FolderList folders;
    reader.Read_OE_File("folders.dbx", &folders);
    ASSERT_GE(folders.size(), 5u);

    std::size_t messages = 0, emptyFolders = 0, nested = 0, replyTo = 0, eightBit = 0, replies = 0;
    std::uint64_t first = UINT64_MAX, last = 0;
    test::CountingObserver observer;
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder.FileName);
        nested += folder.Direct81 != 0;
        MessageInfoList list;
        reader.Read_OE_File(folder.FileName, &list);
        emptyFolders += list.empty();
        messages += list.size();
        for (const auto& m : list) {
            std::string text;
            reader.Read_OE_Message(folder.FileName, m.MessagePosition, text, observer);
            ASSERT_EQ(text.size(), m.MessageSize);
            // The record keeps an encoded subject decoded; the others as written.
            const bool encoded = text.find("\r\nSubject: =?") != std::string::npos;
            EXPECT_TRUE(encoded ||
                        text.find("\r\nSubject: " + m.Subject + "\r\n") != std::string::npos);
            EXPECT_NE(text.find("\r\n\r\n"), std::string::npos);
            replyTo += !m.ReplyTo.empty();
            replies += m.Subject.starts_with("Re:") || m.Subject.starts_with("RE:");
            eightBit += std::any_of(text.begin(), text.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
            first = std::min(first, m.ReceivedDate);
            last = std::max(last, m.ReceivedDate);
        }
    }
    EXPECT_GE(messages, 300u);
    EXPECT_GE(emptyFolders, 1u);
    EXPECT_GE(nested, 1u);
    EXPECT_GE(replyTo, 10u);
    EXPECT_GE(replies, 10u);
    EXPECT_GE(eightBit, 10u);
    EXPECT_GT(last - first, 3ull * 365 * 86400 * 10'000'000);  // more than three years
}

TEST(SampleStoreTool, RefusesAMissingArgument) {
    test::TempDir dir;
    const ToolRun r = run(dir, quoted(MQ_SAMPLE_STORE_TOOL));
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
}

TEST(DumpTool, PrintsRecordsAndTextsAsTheReaderSeesThem) {
    test::TempDir dir;
    DbxWriter w;
    const std::string text = "Subject: Caf\xE9\r\n\r\n" + std::string(1500, 'b') + "\r\n";
    DbxMessage m;
    m.number = 7;
    m.sent = 126632025930000000;
    m.subject = "Caf\xE9";
    m.from = "Ann";
    m.replyTo = "ann@example.com";
    m.text = text;
    w.addMessage(m);
    w.addMessage(DbxMessage{});
    const fs::path file = dir.path() / "Inbox.dbx";
    w.write(file);
    const std::string dump = quoted(MQ_DUMP_TOOL);

    const ToolRun records = run(dir, dump + " records " + quoted(file.string()));
    ASSERT_EQ(records.status, 0) << records.err;
    const auto lines = jsonLines(records.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["Subject"], "Caf\xC3\xA9");  // widened from 1252, as UTF-8
    EXPECT_EQ(lines[0]["MessageNumber"], 7);
    EXPECT_EQ(lines[0]["SentDate"], 126632025930000000ull);
    EXPECT_EQ(lines[0]["ReplyTo"], "ann@example.com");
    EXPECT_EQ(lines[0]["MessageSize"], text.size());
    EXPECT_EQ(lines[0]["RecordOffset"], w.offsetOfRecord(0));
    EXPECT_EQ(lines[1]["From"], "");
    EXPECT_EQ(lines[1]["MessagePosition"], 0);

    const std::string position = std::to_string(lines[0]["MessagePosition"].get<int>());
    const ToolRun message = run(dir, dump + " text " + quoted(file.string()) + " " + position);
    EXPECT_EQ(message.status, 0);
    EXPECT_EQ(message.out, text);

    // The same file read as the folder list gives no message records.
    const ToolRun asFolders = run(dir, dump + " records " + quoted(file.string()) + " --folders");
    EXPECT_EQ(asFolders.status, 0);
    EXPECT_EQ(asFolders.out, "");

    const ToolRun header = run(dir, dump + " header " + quoted(file.string()));
    ASSERT_EQ(header.status, 0);
    EXPECT_EQ(jsonLines(header.out).at(0)["ItemCount"], 2);
}

#ifdef MQ_DUMP_SHOWS_MESSAGES
// The sample store's multipart message, as the reader shows it.
TEST(DumpTool, ShowsAMessageDecoded) {
    test::TempDir dir;
    ASSERT_EQ(run(dir, quoted(MQ_SAMPLE_STORE_TOOL) + " " + quoted(dir.path().string())).status, 0);
    const std::string dump = quoted(MQ_DUMP_TOOL);
    const std::string inbox = quoted((dir.path() / "store" / "Inbox.dbx").string());
    const std::string subject = "\xE2\x80\x9CNordlicht\xE2\x80\x9D report \xE2\x80\x93 final";
    int position = 0;
    for (const auto& record : jsonLines(run(dir, dump + " records " + inbox).out)) {
        if (record["Subject"] == subject) position = record["MessagePosition"];
    }
    const ToolRun r = run(dir, dump + " show " + inbox + " " + std::to_string(position));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto shown = jsonLines(r.out).at(0);
    EXPECT_EQ(shown["Subject"], subject);
    EXPECT_EQ(shown["From"],
              "Anna Schr\xC3\xB6"
              "der <anna.schroeder@example.org>");
    EXPECT_TRUE(shown["Body"].get<std::string>().starts_with("Hello Martin,\n\nhere is the final"));
    ASSERT_EQ(shown["Attachments"].size(), 2u);
    EXPECT_EQ(shown["Attachments"][0]["Name"],
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x80\x93 Bericht Nordlicht.pdf");
    EXPECT_EQ(shown["Attachments"][0]["ContentType"], "application/pdf");
    EXPECT_EQ(shown["Attachments"][1]["Size"], 70);
}
#endif

// A message whose record is gone, its Subject folded, in other letter case and 8-bit.
TEST(DumpTool, ListsTheMessagesTheRecoveryScanFinds) {
    test::TempDir dir;
    DbxWriter w;
    const std::string text = "From: ann\r\nsubject:  Caf\xE9\r\n\tau lait \r\n\r\n" +
                             std::string(600, 'x') + "\r\nSubject: no\r\n";
    w.addTextChain(text);
    const fs::path file = dir.path() / "Inbox.dbx";
    w.write(file);

    const ToolRun r = run(dir, quoted(MQ_DUMP_TOOL) + " recover " + quoted(file.string()));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"Offset\":9404,\"Length\":" + std::to_string(text.size()) +
                  ",\"Complete\":true,\"Indexed\":false,\"Subject\":\"Caf\xC3\xA9\\tau lait\"}\n");
}

TEST(DumpTool, ListsTheStoreTheRegistryNames) {
    test::TempDir dir;
    StoreBuilder store;
    store.addFolder("Inbox", "Inbox.dbx");
    store.addFolder(
        "Gr\xFC\xDF"
        "e",
        "Gruesse.dbx");
    store.write(dir.path() / "store");
    writeStoreRegistry(registryFileIn(dir.path() / "config"), (dir.path() / "store").string());

    const ToolRun r = run(dir, quoted(MQ_DUMP_TOOL) + " store");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto json = jsonLines(r.out).at(0);
    EXPECT_EQ(json["StoreFolder"], (dir.path() / "store").string());
    ASSERT_EQ(json["Folders"].size(), 2u);
    EXPECT_EQ(json["Folders"][1]["Name"],
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(json["Folders"][1]["FileName"], "Gruesse.dbx");
}

// Bad input ends with one line on standard error and status 1; damage is no crash.
TEST(DumpTool, FailsCleanlyOnBadArgumentsAndSurvivesDamage) {
    test::TempDir dir;
    DbxWriter w;
    for (std::uint32_t i = 1; i <= 20; ++i) {
        DbxMessage m;
        m.number = i;
        m.text = std::string(900, 'x');
        w.addMessage(m);
    }
    w.setFanOut(2);
    const auto bytes = w.build();
    const fs::path file = dir.path() / "Folder.dbx";
    const std::string dump = quoted(MQ_DUMP_TOOL);

    for (const std::string& args : std::vector<std::string>{
             "", "records", "bogus x", "text " + quoted(file.string()) + " 12x",
             "text " + quoted(file.string()) + " 99999999999",
             "records " + quoted(file.string()) + " --both",
             "records " + quoted((dir.path() / "missing.dbx").string()),
             "recover " + quoted((dir.path() / "missing.dbx").string())}) {
        SCOPED_TRACE(args);
        const ToolRun r = run(dir, dump + " " + args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }

    for (std::size_t cut : {std::size_t{0}, std::size_t{100}, bytes.size() / 2, bytes.size() - 5}) {
        SCOPED_TRACE(cut);
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(cut));
        EXPECT_EQ(run(dir, dump + " records " + quoted(file.string())).status, 0);
        EXPECT_EQ(run(dir, dump + " header " + quoted(file.string())).status, 0);
        EXPECT_EQ(run(dir, dump + " text " + quoted(file.string()) + " 9404").status, 0);
        EXPECT_EQ(run(dir, dump + " recover " + quoted(file.string())).status, 0);
        EXPECT_NE(run(dir, dump + " node " + quoted(file.string()) + " 4294967295").status, -1);
    }
}

// The whole sample store, found as the window finds it; then a folder the mail client holds,
// which is reported while the rest is exported.
TEST(ExportTool, ExportsAStoreAndSaysWhatItCouldNot) {
    test::TempDir dir;
    ASSERT_EQ(run(dir, quoted(MQ_SAMPLE_STORE_TOOL) + " " + quoted(dir.path().string())).status, 0);
    const std::string tool = quoted(MQ_EXPORT_TOOL);
    const fs::path mbox = dir.path() / "mbox";
    const ToolRun all = run(dir, tool + " " + quoted(mbox.string()));
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(all.out.starts_with("443 messages of 8 folders exported to " + mbox.string()));
    EXPECT_NE(all.err.find("Exporting Projects/Nordlicht: "), std::string::npos);
    EXPECT_GT(fs::file_size(mbox / "Projects.sbd" / "Nordlicht"), 0u);

    const fs::path store = dir.path() / "store";
    const int lock = ::open((store / "Inbox.dbx").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const fs::path eml = dir.path() / "eml";
    const ToolRun some = run(dir, tool + " --store " + quoted(store.string()) +
                                      " --format eml --folder Inbox --folder Projects/Nordlicht " +
                                      quoted(eml.string()));
    ::close(lock);
    EXPECT_EQ(some.status, 2);
    EXPECT_NE(some.out.find("\nInbox: DBX File Inbox.dbx cannot be accessed"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(eml / "Projects" / "Nordlicht"), {}), 25);

    EXPECT_EQ(run(dir, tool + " --help").status, 0);
    for (const std::string args :
         {"", "--format tar x", "--folder Nowhere x", "--bogus x", "a b"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(run(dir, tool + " " + args).status, 1);
    }
}

#ifdef MQ_EXPORT_RECOVERS
// A folder whose index is gone: its messages come back, each as it was stored, and an mbox
// reader of its own finds them there.
TEST(ExportTool, RecoversWhatAFolderNoLongerLists) {
    test::TempDir dir;
    constexpr std::size_t Count = 40;
    const GeneratedStore store = writeGeneratedStore(dir.path(), Count, 1400);
    const fs::path folder = store.storeDir / store.folderFile;
    std::fstream(folder, std::ios::binary | std::ios::in | std::ios::out)
        .seekp(48)
        .write("\0\0\0\0", 4);
    const fs::path expected = dir.path() / "expected";
    fs::create_directory(expected);
    for (std::size_t i = 0; i < Count; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "%03zu", i);
        std::ofstream(expected / name, std::ios::binary) << generatedText(i, 1400);
    }

    const fs::path out = dir.path() / "out";
    const ToolRun recovered = run(dir, quoted(MQ_EXPORT_TOOL) + " --recover --store " +
                                           quoted(store.storeDir.string()) + " " +
                                           quoted(out.string()));
    EXPECT_EQ(recovered.status, 0) << recovered.err;
    EXPECT_TRUE(recovered.out.starts_with("40 messages of 1 folder exported"));
    EXPECT_EQ(std::system((std::string(MQ_PYTHON) + " " MQ_READ_MBOX " " +
                           quoted((out / "Generated").string()) + " " + quoted(expected.string()))
                              .c_str()),
              0);
}
#endif

}  // namespace
}  // namespace mq
