#include "platform/AnsiCodePage.h"
#include "save/SaveTestStore.h"
#include "save/SaveToFiles.h"
#include "store/StoreCodePage.h"
#include "support/ChildProcess.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"
#include "view/MessageSort.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace mq {
namespace {

using test::message;
using test::RecordingHost;
using test::SaveTestStore;

#ifdef MQ_PYTHON
std::string hexBytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}
#endif

// The store's page back to the system's once a test has set it.
struct StorePage {
    explicit StorePage(int codePage) { AnsiCodePage::setStore(codePage); }
    ~StorePage() { AnsiCodePage::setStore(AnsiCodePage::system().codePage()); }
};

// A store written under each double-byte page and under Hebrew Windows: its folder name and
// subjects show as Python's codecs read them, sort as their characters, and name the saved
// files. The CJK subjects hold second bytes that are '\' in ASCII (表, ソ, 許).
TEST(StoreCodePage, StoresOfEveryPageReadAsPythonReadsThem) {
#ifndef MQ_PYTHON
    GTEST_SKIP() << "no Python where the tests run (a cross build)";
#else
    struct Case {
        int codePage;
        const char* codec;
        std::vector<std::string> texts;  // the folder's name, then the subjects
    };
    const Case cases[] = {
        {932, "cp932", {"受信トレイ", "表示テスト", "AW 会議の議事録", "ソフト"}},
        {936, "gbk", {"收件箱", "中文邮件", "AW 会议纪要", "测试"}},
        {949, "cp949", {"받은 편지함", "한국어 메일", "회의록", "AW 테스트"}},
        {950, "cp950", {"收件匣", "中文郵件", "許功蓋", "AW 會議"}},
        {1255, "cp1255", {"דואר נכנס", "שלום", "AW פגישה", "בדיקה"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codec);
        std::vector<std::string> args{MQ_ENCODE_PAGE, c.codec};
        args.insert(args.end(), c.texts.begin(), c.texts.end());
        const test::ChildProcess::Result python = test::ChildProcess::run(MQ_PYTHON, args);
        ASSERT_EQ(python.status, 0) << python.err;
        std::istringstream lines(python.out);
        std::vector<std::string> stored;
        std::string line;
        for (std::size_t i = 0; i < c.texts.size() && std::getline(lines, line); ++i)
            stored.push_back(hexBytes(line));
        std::vector<int> pythonOrder;
        for (int index = 0; lines >> index;) pythonOrder.push_back(index - 1);  // subjects only

        const StorePage page(c.codePage);
        std::vector<DbxMessage> messages;
        for (std::size_t i = 1; i < stored.size(); ++i) {
            messages.push_back(message(stored[i], "Subject: x\r\n\r\nbody\r\n"));
            messages.back().number = static_cast<std::uint32_t>(i);
        }
        SaveTestStore store(messages);
        StoreBuilder builder;
        builder.addFolder(stored[0], "Inbox.dbx", messages);
        builder.write(store.root / "store");
        FolderList folders;
        store.reader->Read_OE_File("folders.dbx", &folders);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(AnsiCodePage::store().toUtf8(folders[0].Name), c.texts[0]);

        std::vector<TMessHead> heads = store.heads;
        sortMessageList(heads, static_cast<int>(MessageColumn::Subject), true, LocaleSettings{});
        std::vector<std::string> shown;
        for (const TMessHead& head : heads)
            shown.push_back(AnsiCodePage::store().toUtf8(head.Subject));
        std::vector<std::string> expected;
        for (int index : pythonOrder)
            if (index >= 0) expected.push_back(c.texts[static_cast<std::size_t>(index) + 1]);
        EXPECT_EQ(shown, expected);

        RecordingHost host;
        SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);
        EXPECT_TRUE(host.errors.empty());
        std::vector<std::string> names;
        for (std::size_t i = 1; i < c.texts.size(); ++i)
            names.push_back("[" + c.texts[i] + "].eml");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(test::namesIn(store.outDir), names);
    }
#endif
}

// A double-byte character whose two bytes lie in two blocks: the text read is the stored
// bytes, saved byte for byte, and shows the character whole.
TEST(StoreCodePage, CharacterAcrossABlockBoundaryStaysWhole) {
    const StorePage page(932);
    const std::string text = "Subject: x\r\n\r\n" + std::string(497, 'a') + "\x95\x5C" + "b\r\n";
    ASSERT_EQ(text.find('\x95'), 511u);  // the last byte of the first block
    SaveTestStore store({message("x", text)});
    RecordingHost host;
    SaveMessagesToFiles(host, store.all(), store.pref, store.items, store.fileList);
    std::ifstream saved(store.outDir / "[x].eml", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_EQ(bytes, text);
    const std::string shown = AnsiCodePage::store().toUtf8(bytes);
    EXPECT_NE(shown.find("a\u8868b"), std::string::npos);
}

// A store of mixed machines: most messages from a Japanese one, some from Western ones, some
// in charsets every page writes alike or that nobody knows. The guess takes the majority.
TEST(StoreCodePage, GuessTakesTheMostDeclaredPage) {
    struct Case {
        std::vector<std::string> headers;
        std::optional<int> expected;
    };
    const std::string jis = "Subject: =?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=\r\n";
    const std::string sjis = "Content-Type: text/plain;\r\n\tcharset=\"shift_jis\"\r\n";
    const std::string western = "Content-Type: text/plain; charset=iso-8859-1\r\n";
    const std::string unknown = "Content-Type: text/plain; charset=x-nobody-knows\r\n";
    const std::string utf8 =
        "Subject: =?utf-8?q?caf=C3=A9?=\r\nContent-Type: text/plain; "
        "charset=UTF-8\r\n";
    const Case cases[] = {
        {{jis, sjis, western, sjis, unknown, utf8, unknown, unknown}, 932},
        {{western, "Content-Type: text/html; charset=\"windows-1250\"\r\n",
          "From: =?iso-8859-2?Q?Micha=B3?= <m@example.pl>\r\n"},
         1250},
        {{"Subject: =?ks_c_5601-1987?B?x9G5uQ==?=\r\n", western}, 949},
        {{unknown, utf8, "Subject: plain\r\n"}, std::nullopt},
    };
    for (const Case& c : cases) {
        CharsetTally tally;
        for (const std::string& header : c.headers) tally.addHeader(header);
        EXPECT_EQ(tally.mostFrequent(), c.expected) << c.headers.front();
    }

    // The same from a store: the headers are read from its messages, the bodies are not.
    std::vector<DbxMessage> messages;
    for (const std::string& header : cases[0].headers)
        messages.push_back(message("x", header + "\r\nContent-Type: charset=iso-8859-1\r\n"));
    test::TempDir dir;
    StoreBuilder builder;
    builder.addFolder("Inbox", "Inbox.dbx", messages);
    builder.addFolder("Unreadable", "Missing.dbx");
    builder.write(dir.path());
    StoreReader reader(dir.path().string());
    FolderList folders;
    reader.Read_OE_File("folders.dbx", &folders);
    EXPECT_EQ(guessStoreCodePage(reader, folders), 932);
    EXPECT_EQ(storeCodePage(reader, folders, 1255), 1255);
}

}  // namespace
}  // namespace mq
