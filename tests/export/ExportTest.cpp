#include "export/FolderTree.h"
#include "export/StoreExport.h"

#include "../save/SaveTestStore.h"
#include "store/StoreError.h"
#include "support/ChildProcess.h"
#include "support/MailDate.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace mq::test {
namespace {

namespace fs = std::filesystem;

DbxMessage mail(std::string subject, std::string text, std::uint64_t received) {
    DbxMessage m = message(std::move(subject), std::move(text));
    m.received = received;
    return m;
}

// read_mbox.py on an mbox file and the stored texts, or on an export's names (--tree).
void expectReadMbox([[maybe_unused]] const std::vector<std::string>& arguments) {
#ifndef MQ_PYTHON
    GTEST_SKIP() << "no Python where the tests run (a cross build) to read the file back";
#else
    std::vector<std::string> command{MQ_READ_MBOX};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ChildProcess::Result read = ChildProcess::run(MQ_PYTHON, command);
    EXPECT_EQ(read.status, 0) << arguments[1] << ": " << read.out << read.err;
#endif
}

// A store of nested folders whose texts try the mbox quoting: "Archive" has no file of its
// own, "Locked" is held by the mail client while the export runs.
class StoreExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        texts["Inbox"] = {
            "Return-path: <anne@example.com>\r\nFrom: Anne <anne@example.com>\r\nSubject: "
            "Hello\r\n\r\nFrom the start:\r\nFrom here\r\n>From there\r\n>>>From far\r\n"
            " From not\r\nFrom\r\n",
            "From: \"Bob\" <bob@example.org>\r\nSubject: no line end\r\n\r\nFrom me",
            "Subject: \xe9t\xe9\r\n\r\nnobody sent this\r\n",
            "",
        };
        texts["Projects"] = {"Subject: plan\r\n\r\nplan\r\n"};
        texts["Nordlicht"] = {"Subject: north\r\n\r\n" + std::string(1500, 'n') + "\r\n"};
        texts["2003"] = {"Subject: old\r\n\r\nold\r\n"};
        texts["Locked"] = {"Subject: locked\r\n\r\nlocked\r\n"};

        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx", messages("Inbox"));
        store.addFolder("Locked", "Locked.dbx", messages("Locked"));
        const auto projects = store.addFolder("Projects", "Projects.dbx", messages("Projects"));
        store.addFolder("Nordlicht", "Nordlicht.dbx", messages("Nordlicht"), projects);
        const auto archive = store.addFolder("Archive", "");
        store.addFolder("2003", "2003.dbx", messages("2003"), archive);
        store.write(dir.path() / "store");
        reader.Read_OE_File("folders.dbx", &folders);
        parseFileNameFormat("From0,To0,Subject1,Date0,Reply_To_Address0", items);
        pref.Default_Extension = ".eml";
        pref.Default_Filename = "No Subject";
        pref.EncloseItems = true;
    }

    std::vector<DbxMessage> messages(const std::string& folder) {
        std::vector<DbxMessage> list;
        for (std::size_t i = 0; i < texts[folder].size(); ++i)
            list.push_back(mail("m" + std::to_string(i), texts[folder][i],
                                filetimeOf(2004, 1, 3, 1, 5, int(i))));
        return list;
    }

    ExportSummary exportTo(const fs::path& target, ExportFormat format) {
        FileLock lock(dir.path() / "store" / "Locked.dbx");
        const ExportPlan plan =
            planExport(reader, folders, foldersWithFiles(folders), target.string(), format);
        return ExportAllFolders(host, reader, folders, plan, pref, items);
    }

    // Python's mailbox module reads the file back; every message must be the stored text.
    void expectReadsBack(const fs::path& mbox, const std::string& folder) {
        const fs::path expected = dir.path() / ("expected-" + folder);
        fs::create_directories(expected);
        for (std::size_t i = 0; i < texts[folder].size(); ++i)
            writeFile(expected / std::to_string(1000 + i), texts[folder][i]);
        expectReadMbox({toUtf8(mbox), toUtf8(expected)});
    }

    TempDir dir;
    StoreReader reader{(dir.path() / "store").string()};
    FolderList folders;
    std::map<std::string, std::vector<std::string>> texts;
    TPref pref;
    FileNameItems items;
    RecordingHost host;
};

TEST_F(StoreExportTest, MboxFilesNestAndReadBackExactly) {
    const fs::path out = dir.path() / "out";
    const ExportSummary summary = exportTo(out, ExportFormat::Mbox);

    ASSERT_EQ(summary.failures.size(), 1u);
    EXPECT_EQ(summary.failures[0].folder, "Locked");
    EXPECT_EQ(summary.failures[0].reason, cannotAccessText("Locked.dbx"));
    EXPECT_EQ(summary.folders, 4u);
    EXPECT_EQ(summary.messages, 7u);
    EXPECT_FALSE(summary.complete());
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.state.ProgressDone, 7);
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"Archive", "Archive.sbd", "Inbox", "Projects",
                                                      "Projects.sbd"}));
    EXPECT_EQ(readFile(out / "Archive"), "");

    const std::string inbox = readFile(out / "Inbox");
    EXPECT_TRUE(inbox.starts_with("From anne@example.com Sat Jan  3 01:05:00 2004\n"));
    EXPECT_NE(inbox.find("\nFrom bob@example.org Sat Jan  3 01:05:01 2004\n"), std::string::npos);
    EXPECT_NE(inbox.find("\nFrom MAILER-DAEMON Sat Jan  3 01:05:02 2004\n"), std::string::npos);
    EXPECT_NE(inbox.find("\r\n>From here\r\n>>From there\r\n>>>>From far\r\n From not\r\nFrom\r\n"),
              std::string::npos);
    EXPECT_EQ(fs::file_size(out / "Inbox"), summary.bytes - fs::file_size(out / "Projects") -
                                                fs::file_size(out / "Projects.sbd" / "Nordlicht") -
                                                fs::file_size(out / "Archive.sbd" / "2003"));
    expectReadsBack(out / "Inbox", "Inbox");
    expectReadsBack(out / "Projects.sbd" / "Nordlicht", "Nordlicht");
    expectReadsBack(out / "Archive.sbd" / "2003", "2003");
}

TEST_F(StoreExportTest, NamesAlreadyTakenAreNumberedAndNothingIsReplaced) {
    const fs::path out = dir.path() / "out";
    fs::create_directories(out / "Projects.sbd");
    writeFile(out / "Inbox", "mine");

    exportTo(out, ExportFormat::Mbox);
    EXPECT_EQ(readFile(out / "Inbox"), "mine");
    expectReadsBack(out / "Inbox(2)", "Inbox");
    EXPECT_TRUE(fs::is_empty(out / "Projects.sbd"));
    expectReadsBack(out / "Projects(2).sbd" / "Nordlicht", "Nordlicht");

    // .eml folders, twice into one place: the second run makes folders of its own.
    const fs::path eml = dir.path() / "eml";
    exportTo(eml, ExportFormat::Eml);
    const ExportSummary again = exportTo(eml, ExportFormat::Eml);
    EXPECT_EQ(again.messages, 7u);
    EXPECT_EQ(namesIn(eml), (std::vector<std::string>{"Archive", "Archive(2)", "Inbox", "Inbox(2)",
                                                      "Projects", "Projects(2)"}));
    EXPECT_EQ(namesIn(eml / "Inbox(2)"),
              (std::vector<std::string>{"[m0].eml", "[m1].eml", "[m2].eml", "[m3].eml"}));
    for (std::size_t i = 0; i < texts["Inbox"].size(); ++i)
        EXPECT_EQ(readFile(eml / "Inbox(2)" / ("[m" + std::to_string(i) + "].eml")),
                  texts["Inbox"][i]);
    EXPECT_EQ(readFile(eml / "Projects(2)" / "Nordlicht" / "[m0].eml"), texts["Nordlicht"][0]);
}

TEST_F(StoreExportTest, AFullDiskLeavesNoCutFileAndIsReportedByFolder) {
    if (!FileSizeLimit::supported) GTEST_SKIP() << FileSizeLimit::unsupportedReason;
    const fs::path mbox = dir.path() / "mbox", eml = dir.path() / "eml";
    ExportSummary summary, emlSummary;
    {
        FileSizeLimit limit(150);  // the small folders fit
        summary = exportTo(mbox, ExportFormat::Mbox);
        emlSummary = exportTo(eml, ExportFormat::Eml);
    }
    EXPECT_FALSE(fs::exists(mbox / "Inbox"));
    EXPECT_FALSE(fs::exists(mbox / "Projects.sbd" / "Nordlicht"));
    expectReadsBack(mbox / "Projects", "Projects");
    ASSERT_EQ(summary.failures.size(), 3u);
    EXPECT_EQ(summary.failures[1].folder, "Inbox");
    EXPECT_EQ(summary.failures[1].reason,
              "Error during file save to: " + (mbox / "Inbox").string());

    // Each .eml file that did not fit is counted; the ones that did are there whole.
    ASSERT_EQ(emlSummary.failures.size(), 3u);
    EXPECT_EQ(emlSummary.failures[1].messages, 1u);
    EXPECT_EQ(namesIn(eml / "Inbox"),
              (std::vector<std::string>{"[m1].eml", "[m2].eml", "[m3].eml"}));
    EXPECT_EQ(emlSummary.messages, 5u);
}

// A stop request in the first folder: the folder keeps its whole messages and is named, and
// the folders after it are accounted for as not attempted.
TEST_F(StoreExportTest, ACancelledExportNamesTheFolderCutShort) {
    host.onNotify = [](RecordingHost& h) { h.state.Cancelled = h.state.ProgressDone == 2; };
    const ExportSummary summary = exportTo(dir.path() / "out", ExportFormat::Mbox);
    ASSERT_TRUE(summary.cutShort);
    EXPECT_EQ(summary.cutShort->folder, "Inbox");
    EXPECT_EQ(summary.cutShort->written, 2u);
    EXPECT_EQ(summary.messages, 2u);
    std::size_t notAttempted = 0;
    for (const ExportFailure& failure : summary.failures) notAttempted += failure.messages;
    EXPECT_EQ(notAttempted, 3u);  // Projects, Nordlicht, 2003
    EXPECT_NE(exportSummaryText(summary, "out")
                  .find("Inbox was cut short: it holds 2 of its 4 "
                        "messages."),
              std::string::npos);
}

// What Thunderbird needs of an export of a folder list as real stores hold it (a "Local
// Folders" root without a file, a news account's root, names that differ only in case or
// end in .msf, a text without a header), and folder records not to be trusted: a file
// outside the store folder, and one file named twice.
TEST(StoreExportRules, EveryFolderFileOnceAndNamedForThunderbird) {
    TempDir dir;
    const std::vector<DbxMessage> one{message("a", "Subject: a\r\n\r\na\r\n")};
    const std::vector<DbxMessage> inbox{message("f", "From nobody\r\nno header\r\n")};
    StoreBuilder store;
    const auto local = store.addFolder("Local Folders", "");
    store.addFolder("Inbox", "Inbox.dbx", inbox, local);
    store.addFolder("Child", "Child.dbx", one, local);
    store.addFolder("Child.msf", "Child.msf.dbx", one, local);
    store.addFolder("dup", "dup.dbx", one, local);
    store.addFolder("Dup", "Dup2.dbx", one, local);
    store.addFolder("Again", "Inbox.dbx", inbox, local);
    store.addFolder("Secret", "../secret.dbx", one, local);
    const auto news = store.addFolder("news.example.com", "");
    store.addFolder("comp.lang", "comp.lang.dbx", one, news);
    store.write(dir.path() / "store");
    StoreReader reader((dir.path() / "store").string());
    FolderList folders;
    reader.Read_OE_File("folders.dbx", &folders);
    MessageInfoList outside;
    EXPECT_THROW(reader.Read_OE_File(folders[7].FileName, &outside), StoreError);

    const fs::path out = dir.path() / "out";
    RecordingHost host;
    const ExportPlan plan =
        planExport(reader, folders, foldersWithFiles(folders), toUtf8(out), ExportFormat::Mbox);
    const ExportSummary summary = ExportAllFolders(host, reader, folders, plan, {}, {});
    EXPECT_EQ(summary.folders, 6u);
    ASSERT_EQ(summary.failures.size(), 2u);
    EXPECT_EQ(summary.failures[0].folder, "Local Folders/Secret");
    EXPECT_EQ(summary.failures[1].folder, "Local Folders/Again");
    EXPECT_EQ(namesIn(out),
              (std::vector<std::string>{"Child", "Child.msf_", "Dup(2)", "Inbox", "dup",
                                        "news.example.com", "news.example.com.sbd"}));
    expectReadMbox({"--tree", toUtf8(out)});
    const fs::path expected = dir.path() / "expected";
    fs::create_directories(expected);
    writeFile(expected / "0", inbox[0].text);
    expectReadMbox({toUtf8(out / "Inbox"), toUtf8(expected)});
}

TEST(FolderTree, LoopsAndUnknownParentsEndAtTheTop) {
    FolderList folders;
    folders.push_back({1, 2, "A", "a.dbx"});
    folders.push_back({2, 1, "B", "b.dbx"});  // A and B are each other's parent
    folders.push_back({3, 9, "C", "c.dbx"});  // no folder 9
    folders.push_back({4, 3, "D", "d.dbx"});
    const FolderTree tree(folders);
    EXPECT_EQ(tree.roots(), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(tree.path(0), "B/A");
    EXPECT_EQ(tree.path(3), "C/D");
    EXPECT_EQ(tree.depth(3), 1u);
}

}  // namespace
}  // namespace mq::test
