#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/RegistryFile.h"
#include "store/StoreReader.h"
#include "support/ChildProcess.h"
#include "support/CountingObserver.h"
#include "support/DbxWriter.h"
#include "support/Environment.h"
#include "support/FileLock.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"
#include "support/UserRegistry.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace mq {
namespace {

namespace fs = std::filesystem;

using ToolRun = test::ChildProcess::Result;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs a tool with a fixed locale (code page 1252) and no registry of the user's own.
ToolRun run(const test::TempDir& dir, const char* tool, const std::vector<std::string>& args = {}) {
    return test::ChildProcess::run(
        tool, args,
        {"LC_ALL=en_US.UTF-8", "XDG_CONFIG_HOME=" + test::toUtf8(dir.path() / "config")});
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
    ASSERT_EQ(run(dir, MQ_SAMPLE_STORE_TOOL, {test::toUtf8(dir.path())}).status, 0);
    const std::string inbox = slurp(dir.path() / "store" / "Inbox.dbx");
    const ToolRun again = run(dir, MQ_SAMPLE_STORE_TOOL, {test::toUtf8(dir.path())});
    ASSERT_EQ(again.status, 0);
    EXPECT_EQ(slurp(dir.path() / "store" / "Inbox.dbx"), inbox);
    EXPECT_TRUE(fs::exists(dir.path() / "store" / "Folders.dbx"));

#ifdef _WIN32
    // A file to import into the real registry, as the registry editor exports them.
    const fs::path registryFile = dir.path() / "mailquarry-sample.reg";
    EXPECT_NE(again.out.find("reg import"), std::string::npos) << again.out;
    EXPECT_EQ(slurp(registryFile).substr(0, 2), "\xFF\xFE");
#else
    const fs::path registryFile = registryFileIn(dir.path() / "config");
#endif
    RegistryFile registry(registryFile);
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
    const ToolRun r = run(dir, MQ_SAMPLE_STORE_TOOL);
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
    const std::string path = test::toUtf8(file);

    const ToolRun records = run(dir, MQ_DUMP_TOOL, {"records", path});
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
    const ToolRun message = run(dir, MQ_DUMP_TOOL, {"text", path, position});
    EXPECT_EQ(message.status, 0);
    EXPECT_EQ(message.out, text);

    // The same file read as the folder list gives no message records.
    const ToolRun asFolders = run(dir, MQ_DUMP_TOOL, {"records", path, "--folders"});
    EXPECT_EQ(asFolders.status, 0);
    EXPECT_EQ(asFolders.out, "");

    const ToolRun header = run(dir, MQ_DUMP_TOOL, {"header", path});
    ASSERT_EQ(header.status, 0);
    EXPECT_EQ(jsonLines(header.out).at(0)["ItemCount"], 2);
}

#ifdef MQ_DUMP_SHOWS_MESSAGES
// The sample store's multipart message, as the reader shows it.
TEST(DumpTool, ShowsAMessageDecoded) {
    test::TempDir dir;
    ASSERT_EQ(run(dir, MQ_SAMPLE_STORE_TOOL, {test::toUtf8(dir.path())}).status, 0);
    const std::string inbox = test::toUtf8(dir.path() / "store" / "Inbox.dbx");
    const std::string subject = "\xE2\x80\x9CNordlicht\xE2\x80\x9D report \xE2\x80\x93 final";
    int position = 0;
    for (const auto& record : jsonLines(run(dir, MQ_DUMP_TOOL, {"records", inbox}).out)) {
        if (record["Subject"] == subject) position = record["MessagePosition"];
    }
    const ToolRun r = run(dir, MQ_DUMP_TOOL, {"show", inbox, std::to_string(position)});
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

    const ToolRun r = run(dir, MQ_DUMP_TOOL, {"recover", test::toUtf8(file)});
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
#ifdef _WIN32
    // The tool reads the real registry.
    if (!test::underWine()) GTEST_SKIP() << "changes the user's own registry: done only in Wine";
    const test::ScopedStoreRoot root((dir.path() / "store").string());
#else
    writeStoreRegistry(registryFileIn(dir.path() / "config"), (dir.path() / "store").string());
#endif

    const ToolRun r = run(dir, MQ_DUMP_TOOL, {"store"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto json = jsonLines(r.out).at(0);
    EXPECT_EQ(json["StoreFolder"], test::toUtf8(dir.path() / "store"));
    ASSERT_EQ(json["Folders"].size(), 2u);
    EXPECT_EQ(json["Folders"][1]["Name"],
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(json["Folders"][1]["FileName"], "Gruesse.dbx");
}

// Every tool: --help is the usage and success; an option it does not know, the usage on
// standard error and status 1 (and no folder named after it).
TEST(Tools, AnswerHelpAndRefuseUnknownOptions) {
    test::TempDir dir;
    for (const char* tool : {MQ_SAMPLE_STORE_TOOL, MQ_DUMP_TOOL, MQ_EXPORT_TOOL}) {
        SCOPED_TRACE(tool);
        const ToolRun help = run(dir, tool, {"--help"});
        EXPECT_TRUE(help.status == 0 && help.out.starts_with("usage: mailquarry-")) << help.out;
        const ToolRun unknown = run(dir, tool, {"--bogus"});
        EXPECT_EQ(unknown.status, 1);
        // The option named, then the usage (after CR LF on Windows).
        const std::size_t named = unknown.err.find("--bogus");
        EXPECT_TRUE(named != std::string::npos &&
                    unknown.err.find("usage: mailquarry-", named) != std::string::npos)
            << unknown.err;
    }
    EXPECT_FALSE(fs::exists("--bogus"));
}

// Bad input ends with a message on standard error and status 1; damage is no crash.
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
    const std::string path = test::toUtf8(file);
    const std::string missing = test::toUtf8(dir.path() / "missing.dbx");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"records"},
                                               {"bogus", "x"},
                                               {"text", path, "12x"},
                                               {"text", path, "99999999999"},
                                               {"records", path, "--both"},
                                               {"records", missing},
                                               {"recover", missing}}) {
        SCOPED_TRACE(args.empty() ? "" : args[0]);
        const ToolRun r = run(dir, MQ_DUMP_TOOL, args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.starts_with("mailquarry-dump: ")) << r.err;
    }

    for (std::size_t cut : {std::size_t{0}, std::size_t{100}, bytes.size() / 2, bytes.size() - 5}) {
        SCOPED_TRACE(cut);
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(cut));
        EXPECT_EQ(run(dir, MQ_DUMP_TOOL, {"records", path}).status, 0);
        EXPECT_EQ(run(dir, MQ_DUMP_TOOL, {"header", path}).status, 0);
        EXPECT_EQ(run(dir, MQ_DUMP_TOOL, {"text", path, "9404"}).status, 0);
        EXPECT_EQ(run(dir, MQ_DUMP_TOOL, {"recover", path}).status, 0);
        EXPECT_NE(run(dir, MQ_DUMP_TOOL, {"node", path, "4294967295"}).status, -1);
    }
}

// The whole sample store, found as the window finds it; then a folder the mail client holds,
// which is reported while the rest is exported.
TEST(ExportTool, ExportsAStoreAndSaysWhatItCouldNot) {
    test::TempDir dir;
    ASSERT_EQ(run(dir, MQ_SAMPLE_STORE_TOOL, {test::toUtf8(dir.path())}).status, 0);
    const fs::path store = dir.path() / "store";
#ifdef _WIN32
    // Without --store the tool reads the real registry.
    if (!test::underWine()) GTEST_SKIP() << "changes the user's own registry: done only in Wine";
    const test::ScopedStoreRoot root(store.string());
#endif
    const fs::path mbox = dir.path() / "mbox";
    const ToolRun all = run(dir, MQ_EXPORT_TOOL, {test::toUtf8(mbox)});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(all.out.starts_with("443 messages of 8 folders exported to " + test::toUtf8(mbox)))
        << all.out;
    EXPECT_NE(all.err.find("Exporting Projects/Nordlicht: "), std::string::npos);
    EXPECT_GT(fs::file_size(mbox / "Projects.sbd" / "Nordlicht"), 0u);

    const fs::path eml = dir.path() / "eml";
    ToolRun some;
    {
        const test::FileLock mailClient(store / "Inbox.dbx");
        some = run(dir, MQ_EXPORT_TOOL,
                   {"--store", test::toUtf8(store), "--format", "eml", "--folder", "Inbox",
                    "--folder", "Projects/Nordlicht", test::toUtf8(eml)});
    }
    EXPECT_EQ(some.status, 2);
    EXPECT_NE(some.out.find("\nInbox: DBX File Inbox.dbx cannot be accessed"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(eml / "Projects" / "Nordlicht"), {}), 25);

    EXPECT_EQ(run(dir, MQ_EXPORT_TOOL, {"--help"}).status, 0);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"--format", "tar", "x"},
                                               {"--folder", "Nowhere", "x"},
                                               {"--bogus", "x"},
                                               {"a", "b"}}) {
        SCOPED_TRACE(args.empty() ? "" : args[0]);
        EXPECT_EQ(run(dir, MQ_EXPORT_TOOL, args).status, 1);
    }
}

// A target outside ASCII: on Windows the tool gets it in the ANSI page (1252 under Wine),
// writes there all the same and says so in that page.
TEST(ExportTool, ExportsIntoAFolderNamedOutsideAscii) {
    test::TempDir dir;
    DbxMessage hello;
    hello.text = "Subject: Hello\r\n\r\nHi\r\n";
    StoreBuilder store;
    store.addFolder("Inbox", "Inbox.dbx", {hello});
    store.write(dir.path() / "store");
    const std::string target = test::toUtf8(dir.path()) + "/Zi\xc3\xa9l";
    const ToolRun r =
        run(dir, MQ_EXPORT_TOOL, {"--store", test::toUtf8(dir.path() / "store"), target});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(slurp(nativePath(target) / "Inbox").ends_with("\r\n\r\nHi\r\n\n"));
#ifdef _WIN32
    const std::string shown = AnsiCodePage::system().fromUtf8(target);
#else
    const std::string shown = target;
#endif
    EXPECT_NE(r.out.find("exported to " + shown + " ("), std::string::npos) << r.out;
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
    const ToolRun recovered =
        run(dir, MQ_EXPORT_TOOL,
            {"--recover", "--store", test::toUtf8(store.storeDir), test::toUtf8(out)});
    EXPECT_EQ(recovered.status, 0) << recovered.err;
    EXPECT_TRUE(recovered.out.starts_with("40 messages of 1 folder exported"));
    const ToolRun read = test::ChildProcess::run(
        MQ_PYTHON, {MQ_READ_MBOX, test::toUtf8(out / "Generated"), test::toUtf8(expected)});
    EXPECT_EQ(read.status, 0) << read.out;
}
#endif

#ifdef MQ_TOOLS_FIND
// find prints what it found and says by its status whether it found anything; the export
// takes only those messages.
TEST(FindTool, FindsMessagesAndExportsOnlyThose) {
    test::TempDir dir;
    const GeneratedStore store = writeGeneratedStore(dir.path(), 40, 1400);
    const std::string storeDir = test::toUtf8(store.storeDir);
    const ToolRun found =
        run(dir, MQ_DUMP_TOOL, {"find", "--store", storeDir, "--in", "subject", "\"MESSAGE 3\""});
    EXPECT_EQ(found.status, 0) << found.err;
    const std::vector<nlohmann::json> lines = jsonLines(found.out);
    ASSERT_EQ(lines.size(), 11u);  // 3 and 30 to 39
    EXPECT_EQ(lines[0]["folder"], "Generated");
    EXPECT_EQ(lines[0]["file"], "Generated.dbx");
    EXPECT_EQ(lines[0]["subject"], "Generated message 3");
    EXPECT_EQ(lines[0]["matched"], nlohmann::json::array({"subject"}));
    EXPECT_EQ(lines[0]["received"].get<std::string>().size(), 19u);

    EXPECT_EQ(run(dir, MQ_DUMP_TOOL, {"find", "--store", storeDir, "nowhere"}).status, 2);
    EXPECT_EQ(run(dir, MQ_DUMP_TOOL, {"find", "--store", storeDir, "  "}).status, 1);
    EXPECT_EQ(
        run(dir, MQ_DUMP_TOOL, {"find", "--store", storeDir, "--after", "2003-02-30", "x"}).status,
        1);
    EXPECT_EQ(
        run(dir, MQ_DUMP_TOOL, {"find", "--store", test::toUtf8(dir.path() / "no"), "x"}).status,
        1);

    const ToolRun exported = run(dir, MQ_EXPORT_TOOL,
                                 {"--store", storeDir, "--match", "\"message 3\"", "--in",
                                  "subject", test::toUtf8(dir.path() / "out")});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_TRUE(exported.out.starts_with("11 messages of 1 folder exported")) << exported.out;
}
#endif

}  // namespace
}  // namespace mq
