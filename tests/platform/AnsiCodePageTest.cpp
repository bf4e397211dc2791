#include "platform/AnsiCodePage.h"
#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include <set>

namespace mq {
namespace {

TEST(AnsiCodePage, EveryByteOfASingleBytePageRoundTrips) {
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    for (int codePage : {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 874}) {
        const AnsiCodePage page(codePage);
        const std::u16string wide = page.widen(everyByte);
        EXPECT_EQ(std::set<char16_t>(wide.begin(), wide.end()).size(), 256u) << codePage;
        EXPECT_EQ(page.fromUtf16(wide), everyByte) << codePage;
        EXPECT_EQ(page.fromUtf8(page.toUtf8(everyByte)), everyByte) << codePage;
    }
}

TEST(AnsiCodePage, BytesBecomeThePagesCharacters) {
    const AnsiCodePage western(1252);
    EXPECT_EQ(western.widen("\x80")[0], u'\u20AC');
    EXPECT_EQ(western.widen("\x81")[0], u'\u0081');  // undefined: the C1 control
    EXPECT_EQ(western.widen("\x9D")[0], u'\u009D');
    EXPECT_EQ(western.widen("\xE9")[0], u'\u00E9');
    EXPECT_EQ(western.toUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(AnsiCodePage(1250).widen("\x8A")[0], u'\u0160');
    EXPECT_EQ(AnsiCodePage(1251).widen("\xC0")[0], u'\u0410');
    EXPECT_EQ(AnsiCodePage(1253).widen("\xC1")[0], u'\u0391');
    // Characters outside the page, a character beyond U+FFFF included, become one '?' each.
    EXPECT_EQ(western.fromUtf16(u"a\u0410\U0001F600b"), "a??b");
    EXPECT_EQ(western.fromUtf8("x\xC3(y"), "x?(y");
}

// Double-byte texts convert whole: a character's two bytes stay together, a second byte
// that is ASCII ('\\' in Shift-JIS) is no character of its own, and a byte that starts no
// character shows as one U+FFFD where it stood.
TEST(AnsiCodePage, DoubleBytePagesConvertWholeTexts) {
    struct Case {
        int codePage;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {932, "\x95\x5C\x8E\xA6", u"\u8868\u793A"},  // 表示
        {936, "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},  // 中文
        {949, "\xC7\xD1\xB1\xB9", u"\uD55C\uAD6D"},  // 한국
        {950, "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},  // 中文
    };
    for (const Case& c : cases) {
        const AnsiCodePage page(c.codePage);
        EXPECT_TRUE(page.isDoubleByte());
        EXPECT_EQ(page.widen("a" + c.bytes + "b"), u"a" + c.text + u"b") << c.codePage;
        EXPECT_EQ(page.fromUtf16(u"a" + c.text + u"\u0E01b"), "a" + c.bytes + "?b") << c.codePage;
        EXPECT_EQ(page.fromUtf8(page.toUtf8(c.bytes)), c.bytes) << c.codePage;
        // A lead byte cut off at the end, and one followed by a byte that ends no character.
        EXPECT_EQ(page.widen(c.bytes.substr(0, 3)), c.text.substr(0, 1) + u"\uFFFD");
        EXPECT_EQ(page.widen(c.bytes.substr(0, 1) + "\n" + c.bytes.substr(0, 2)),
                  u"\uFFFD\n" + c.text.substr(0, 1));
    }
}

TEST(AnsiCodePage, LocaleNamesSelectThePageWindowsWouldUse) {
    EXPECT_EQ(AnsiCodePage::codePageForLocale(""), 1252);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("C"), 1252);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("en_GB.UTF-8"), 1252);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("pl_PL.UTF-8"), 1250);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("ru_RU"), 1251);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("sr_RS"), 1251);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("sr_RS@latin"), 1250);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("el_GR.UTF-8"), 1253);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("tr_TR"), 1254);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("he_IL"), 1255);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("ar_EG"), 1256);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("lt_LT"), 1257);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("vi_VN"), 1258);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("th_TH.UTF-8"), 874);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("ja_JP.UTF-8"), 932);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("zh_CN.UTF-8"), 936);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("zh_TW.UTF-8"), 950);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("ko_KR.UTF-8"), 949);
    EXPECT_EQ(AnsiCodePage::codePageForLocale("pt_BR"), 1252);  // "pt" is not "pl"
}

TEST(Unicode, Utf8DecodingRejectsWhatIsNotACharacter) {
    std::u16string out;
    EXPECT_TRUE(utf8ToUtf16("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", out));
    EXPECT_EQ(out, u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(utf16ToUtf8(out), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    for (const char* bad :
         {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "\xFF"}) {
        EXPECT_FALSE(utf8ToUtf16(bad, out)) << bad;
        EXPECT_NE(out.find(u'\uFFFD'), std::u16string::npos);
    }
    EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate
}

TEST(Unicode, CaseFoldingCoversTheSingleBytePagesLetters) {
    EXPECT_EQ(compareIgnoringCase(u"Inbox.DBX", u"inbox.dbx"), 0);
    EXPECT_EQ(compareIgnoringCase(u"\u00C9T\u00C9 \u0152", u"\u00E9t\u00E9 \u0153"), 0);
    EXPECT_EQ(compareIgnoringCase(u"\u0178\u0141\u017D", u"\u00FF\u0142\u017E"), 0);
    EXPECT_EQ(compareIgnoringCase(u"\u0414\u0401\u0490", u"\u0434\u0451\u0491"), 0);
    EXPECT_EQ(compareIgnoringCase(u"\u03A3\u0386\u038F", u"\u03C3\u03AC\u03CE"), 0);
    EXPECT_NE(compareIgnoringCase(u"\u00D7", u"\u00F7"), 0);  // signs, not letters
    EXPECT_NE(compareIgnoringCase(u"\u0131", u"i"), 0);
    EXPECT_LT(compareIgnoringCase(u"abc", u"ABCD"), 0);
    EXPECT_GT(compareIgnoringCase(u"b", u"A"), 0);
    EXPECT_LT(compareIgnoringCase(u"[", u"a"), 0);  // folds to lower case
    EXPECT_EQ(compareIgnoringCase(u"", u""), 0);
}

}  // namespace
}  // namespace mq
