#include "save/FileNaming.h"

#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/StoreFile.h"
#include "store/DateTime.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace mq {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::toUtf8;
using test::utf8Path;
using test::writeFile;

TPref defaultPref(const std::string& directory) {
    TPref pref;
    pref.Directory = directory;
    pref.Default_Extension = ".eml";
    pref.Default_Filename = "No Subject";
    pref.FileNameDateFormat = "yyyymmdd";
    pref.EncloseItems = true;
    return pref;
}

FileNameItems items(std::initializer_list<std::pair<const char*, const char*>> slots) {
    FileNameItems result;
    std::size_t k = 0;
    for (const auto& [name, flag] : slots) result[k++] = {name, flag};
    return result;
}

const FileNameItems DefaultItems =
    items({{"From", "0"}, {"To", "0"}, {"Subject", "1"}, {"Date", "0"}, {"Reply_To_Address", "0"}});

TMessHead message(const std::string& subject) {
    TMessHead m;
    m.From = "Anne";
    m.To = "Bob";
    m.ReplyTo = "anne@example.com";
    m.Subject = subject;
    m.Received = encodeDateTime(CalendarTime{2026, 12, 6, 14, 5, 9, 0, 0});
    return m;
}

TEST(ComposeFileName, ComposesCleansAndFallsBack) {
    const LocaleSettings locale;
    struct Case {
        const char* why;
        FileNameItems items;
        bool enclose;
        bool removeRe;
        std::string subject;
        std::string from;
        std::string expected;
    };
    const FileNameItems fromSubjectDate =
        items({{"From", "1"}, {"Subject", "1"}, {"Date", "1"}, {"To", "0"}, {"Cc", "1"}});
    const Case cases[] = {
        {"forbidden characters become blanks", DefaultItems, true, false, "Hello: world?", "Anne",
         "[Hello  world ].eml"},
        {"brackets are not empty", DefaultItems, true, false, "", "Anne", "[].eml"},
        {"nothing left", DefaultItems, false, false, " *?/ ", "Anne", "No Subject.eml"},
        {"components in slot order", fromSubjectDate, true, false, "Offer", "Anne",
         "[Anne][Offer][20261206].eml"},
        {"no separators", fromSubjectDate, false, false, "Offer", "Anne", "AnneOffer20261206.eml"},
        {"every marker removed", DefaultItems, true, true, "Re: RE: offer", "Anne",
         "[  offer].eml"},
        {"removal covers the whole name", fromSubjectDate, false, true, "x",
         "Clare:", "Clax20261206.eml"},
        {"one pass of removal", DefaultItems, false, true, "RERE::", "Anne", "RE.eml"},
        {"inner tab becomes a blank", DefaultItems, false, false, "a\tb", "Anne", "a b.eml"},
        {"never hidden", DefaultItems, false, false, ". .\x01.profile", "Anne", "profile.eml"},
        {"leading tab goes", DefaultItems, false, false, "\tab", "Anne", "ab.eml"},
        {"names are exact", items({{"subject", "1"}, {"Subject", "x"}, {"Cc", "1"}}), false, false,
         "s", "Anne", "No Subject.eml"},
        {"a slot twice", items({{"Subject", "1"}, {"Subject", "1"}}), true, false, "s", "Anne",
         "[s][s].eml"},
        {"reply-to and to", items({{"Reply_To_Address", "1"}, {"To", "1"}}), false, false, "s",
         "Anne", "anne@example.comBob.eml"},
    };
    for (const Case& c : cases) {
        TPref pref = defaultPref("");
        pref.EncloseItems = c.enclose;
        pref.Remove_Re = c.removeRe;
        TMessHead m = message(c.subject);
        m.From = c.from;
        EXPECT_EQ(composeFileNameBase(m, c.items, pref, locale), c.expected) << c.why;
    }

    LocaleSettings slashes;
    slashes.dateSeparator = '/';
    TPref pref = defaultPref("");
    pref.FileNameDateFormat = "dd/mm/yyyy";
    EXPECT_EQ(composeFileNameBase(message("x"), items({{"Date", "1"}}), pref, slashes),
              "[06 12 2026].eml");
}

TEST(FileNameText, RemoveCleanAndStrip) {
    EXPECT_EQ(RemoveReText("Re: re:rE:RE: x"), "  x");
    EXPECT_EQ(RemoveReText("RERE::"), "RE:");
    EXPECT_EQ(RemoveReText("are:"), "a");
    EXPECT_EQ(RemoveReText("R"), "R");

    std::string text = " \x01\"*/:<>?\\|a\x7F\xE9\t\x02 ";
    CleanFileName(text);
    EXPECT_EQ(text, "a\x7F\xE9");
    text = "\t\t";
    CleanFileName(text);
    EXPECT_EQ(text, "");

    const std::string sep(1, pathSeparator());
    EXPECT_EQ(StripTrailingBackslash("dir" + sep), "dir");
    EXPECT_EQ(StripTrailingBackslash("dir" + sep + sep), "dir" + sep);
    EXPECT_EQ(StripTrailingBackslash(sep), sep);
    EXPECT_EQ(StripTrailingBackslash(""), "");
    EXPECT_EQ(fileSystemPath("dir" + sep, "a.eml"), "dir" + sep + "a.eml");
    EXPECT_EQ(fileSystemPath("dir", "a.eml"), "dir" + sep + "a.eml");
    EXPECT_EQ(fileSystemPath("d\xC4\x99", "\xC3\xA9.eml"), "d\xC4\x99" + sep + "\xC3\xA9.eml");
}

// A sender's attachment name: one plain file inside the chosen folder, never a path, a
// hidden file or a device, and no longer than a name may be, its extension kept.
TEST(FileNameText, AttachmentNamesFromSendersAreMadeSafe) {
    EXPECT_EQ(attachmentFileName("../../.bashrc"), "bashrc");
    EXPECT_EQ(attachmentFileName("C:\\Windows\\win.ini"), "C  Windows win.ini");
    EXPECT_EQ(attachmentFileName("CON.txt"), "CON_.txt");
    EXPECT_EQ(attachmentFileName("report.pdf. . "), "report.pdf");
    EXPECT_EQ(attachmentFileName(".."), "Attachment");
    // 200 two-byte characters: cut at a character's start before the extension.
    std::string name;
    for (int i = 0; i < 200; ++i) name += "\xC3\xBC";
    const std::string cut = attachmentFileName(name + ".pdf");
    EXPECT_EQ(cut, name.substr(0, 250) + ".pdf");
}

TEST(MakeUniqueFileName, NumbersTakenNamesIgnoringCase) {
    TempDir dir;
    writeFile(dir.path() / "[Hello].eml", "x");
    writeFile(dir.path() / "[HELLO](2).EML", "x");
    fs::create_directory(dir.path() / "[Hello](3).eml");  // folders do not count
    FileList list;
    EXPECT_EQ(MakeUniqueFileName("[Hello].eml", dir.path().string(), list), "[Hello](3).eml");
    EXPECT_EQ(MakeUniqueFileName("free.eml", dir.path().string() + "/", list), "free.eml");

    // A folder that does not exist keeps the previous list.
    list.append("Gone.txt");
    EXPECT_EQ(MakeUniqueFileName("gone.TXT", (dir.path() / "missing").string(), list),
              "gone(2).TXT");
    // Short names and names without an extension lose four characters all the same.
    list.clear();
    list.append("abc");
    list.append("abcdefgh");
    EXPECT_EQ(MakeUniqueFileName("abc", (dir.path() / "missing").string(), list), "(2)");
    EXPECT_EQ(MakeUniqueFileName("abcdefgh", (dir.path() / "missing").string(), list), "abcd(2)");
}

// What the save does with each name: create the file and record it.
std::string saveOne(const TMessHead& m, const TPref& pref, FileList& list) {
    const std::string name = ComposeFileName(m, DefaultItems, pref, list, LocaleSettings{});
    const fs::path path = utf8Path(fileSystemPath(pref.Directory, name));
    EXPECT_FALSE(fs::exists(path)) << "would replace " << toUtf8(path);
    writeFile(path, "message");
    list.append(name);
    return name;
}

TEST(MakeUniqueFileName, SeesEveryChangeToTheFolder) {
    TempDir dir;
    const TPref pref = defaultPref(dir.path().string());
    FileList list;
    EXPECT_EQ(saveOne(message("Same"), pref, list), "[Same].eml");
    EXPECT_EQ(saveOne(message("Same"), pref, list), "[Same](2).eml");

    // Another program creates, removes and renames files between two saves.
    writeFile(dir.path() / "[Same](3).eml", "theirs");
    EXPECT_EQ(saveOne(message("Same"), pref, list), "[Same](4).eml");
    fs::remove(dir.path() / "[Same](2).eml");
    EXPECT_EQ(saveOne(message("Same"), pref, list), "[Same](2).eml");
    fs::rename(dir.path() / "[Same].eml", dir.path() / "[Other].eml");
    EXPECT_EQ(saveOne(message("Same"), pref, list), "[Same].eml");
    EXPECT_EQ(saveOne(message("Other"), pref, list), "[Other](2).eml");

    // The folder replaced by another of the same name.
    const fs::path moved = dir.path().string() + "-old";
    fs::rename(dir.path(), moved);
    fs::create_directory(dir.path());
    EXPECT_EQ(saveOne(message("Same"), pref, list), "[Same].eml");
    fs::remove_all(moved);

    // Another target folder.
    TempDir other;
    writeFile(other.path() / "[Same].eml", "x");
    EXPECT_EQ(saveOne(message("Same"), defaultPref(other.path().string()), list), "[Same](2).eml");

    // The folder's path is a link, repointed to another folder.
#ifdef _WIN32
    GTEST_SKIP() << "the C++ library of mingw-w64 and Wine make no links to folders";
#endif
    TempDir linked;
    const fs::path link = linked.path() / "saves";
    fs::create_directory(linked.path() / "a");
    fs::create_directory(linked.path() / "b");
    writeFile(linked.path() / "b" / "[Same].eml", "theirs");
    fs::create_directory_symlink(linked.path() / "a", link);
    const TPref viaLink = defaultPref(link.string());
    EXPECT_EQ(saveOne(message("Linked"), viaLink, list), "[Linked].eml");
    fs::remove(link);
    fs::create_directory_symlink(linked.path() / "b", link);
    EXPECT_EQ(saveOne(message("Same"), viaLink, list), "[Same](2).eml");
}

TEST(MakeUniqueFileName, LongNamesAreCutWithoutReplacingAnything) {
    TempDir dir;
    TPref pref = defaultPref(dir.path().string());
    pref.EncloseItems = false;
    FileList list;
    const std::string subject(300, 's');
    const std::string first = saveOne(message(subject), pref, list);
    EXPECT_EQ(first, std::string(255, 's')) << "cut to 255, the extension lost";
    // The cut name is taken now: the variant keeps its number and extension.
    const std::string second = saveOne(message(subject), pref, list);
    EXPECT_EQ(second, std::string(255 - 7, 's') + "(2).eml");
    EXPECT_EQ(saveOne(message(subject), pref, list), std::string(255 - 7, 's') + "(3).eml");

    // The limit counts what the file system counts: UTF-8 bytes, two for an 'é', or UTF-16
    // units on Windows, one for it. A character is never split.
    if (test::underWine())
        GTEST_SKIP() << "Wine keeps files on a Linux file system, whose names hold 255 bytes";
    const auto repeated = [](std::string_view text, std::size_t count) {
        std::string out;
        for (std::size_t i = 0; i < count; ++i) out += text;
        return out;
    };
    const std::size_t units = fileNameUnits(2);
    const std::string accented(300, '\xE9');  // in the store's page, 1252 here
    EXPECT_EQ(saveOne(message(accented), pref, list), repeated("\u00E9", 255 / units));
    EXPECT_EQ(saveOne(message(accented), pref, list),
              repeated("\u00E9", (255 - 7) / units) + "(2).eml");

    // A Shift-JIS subject: 'a' and a hundred HIRAGANA A, three UTF-8 bytes each, so the
    // cut falls inside a character and takes all of it.
    AnsiCodePage::setStore(932);
    const std::string japanese = "a" + repeated("\x82\xA0", 100);
    const std::size_t kana = std::min<std::size_t>(100, (255 - 1) / fileNameUnits(3));
    EXPECT_EQ(saveOne(message(japanese), pref, list), "a" + repeated("\u3042", kana));
    AnsiCodePage::setStore(AnsiCodePage::system().codePage());
}

// Names Windows would take for a device, or change behind our back, are saved under names
// it keeps as they are, on every system alike, so a folder of saved files keeps its names.
TEST(MakeUniqueFileName, NamesWindowsWouldChangeGetNamesItKeeps) {
    TempDir dir;
    TPref pref = defaultPref(dir.path().string());
    pref.EncloseItems = false;
    FileList list;
    const std::pair<std::string, std::string> cases[] = {
        {"con", "con_.eml"},           {"AUX", "AUX_.eml"},
        {"Nul.tar", "Nul_.tar.eml"},   {"prn .note", "prn_ .note.eml"},
        {"com1", "com1_.eml"},         {"LPT9", "LPT9_.eml"},
        {"lpt\xB9", "lpt\u00B9_.eml"},  // a superscript one is a digit to Windows
        {"COM10", "COM10.eml"},        {"console", "console.eml"},
        {"CON", "CON(2).eml"},  // the marked name is taken now
    };
    std::set<std::string> expected;
    for (const auto& [subject, name] : cases) {
        EXPECT_EQ(saveOne(message(subject), pref, list), name) << subject;
        expected.insert(name);
    }
    // Without an extension, trailing dots and blanks go; nothing left is "_".
    pref.Default_Extension = "";
    pref.Default_Filename = ". .";  // as a hand-edited registry may hold it
    for (const auto& [subject, name] :
         {std::pair{"Hello...", "Hello"}, std::pair{"a. .", "a"}, std::pair{"", "_"}}) {
        EXPECT_EQ(saveOne(message(subject), pref, list), name) << subject;
        expected.insert(name);
    }
    std::set<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        onDisk.insert(toUtf8(entry.path().filename()));
    EXPECT_EQ(onDisk, expected) << "every file under the name it was given";
}

TEST(MakeUniqueFileName, HostileSubjectsStayPlainNamesInsideTheFolder) {
    TempDir dir;
    const fs::path folder = dir.path() / "target";
    fs::create_directory(folder);
    TPref pref = defaultPref(folder.string());
    pref.EncloseItems = false;
    FileList list;
    const std::string hostile[] = {
        "../../escape",
        "..",
        ".",
        "/etc/passwd",
        "a\\b/c",
        std::string("nul\0byte/../x", 13),
        "\x01\x02\x1b[31mred",
        std::string(1000, '/') + "x",
        std::string(1000, 'z'),
        "\xC3\x28\xFF\xFE\x80 invalid",
        "///",
    };
    for (TPref variant : {pref, [&] {
                              TPref p = pref;
                              p.Default_Filename = "../..";
                              p.Default_Extension = "";
                              return p;
                          }()}) {
        for (const std::string& subject : hostile) {
            const std::string name = saveOne(message(subject), variant, list);
            const fs::path created = utf8Path(fileSystemPath(variant.Directory, name));
            EXPECT_EQ(created.parent_path(), folder) << name;
            EXPECT_TRUE(fs::is_regular_file(created)) << name;
            EXPECT_LE(created.filename().native().size(), 255u);
        }
    }
    std::set<std::string> inside;
    for (const auto& entry : fs::directory_iterator(folder))
        inside.insert(toUtf8(entry.path().filename()));
    EXPECT_EQ(inside.size(), 2 * std::size(hostile));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace mq
