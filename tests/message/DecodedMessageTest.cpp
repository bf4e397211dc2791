#include "message/DecodedMessage.h"

#include "platform/AnsiCodePage.h"
#include "sample-store/MimeSamples.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace mq {
namespace {

std::string mail(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) (text += line) += "\r\n";
    return text;
}

const AnsiCodePage western(1252);

// The records of the sample messages hold their subjects and senders decoded, written from
// the texts themselves rather than from the messages: the decoding must agree with them.
TEST(DecodeMessage, ReadsEncodedWordsAndCharsetsAsTheSampleRecordsSay) {
    for (const DbxMessage& m : mimeSampleMessages(1)) {
        SCOPED_TRACE(m.subject);
        const DecodedMessage d = decodeMessage(m.text, western);
        EXPECT_EQ(western.fromUtf8(d.subject), m.subject);
        EXPECT_TRUE(western.fromUtf8(d.from).starts_with(m.from + " <" + m.otherFrom + ">"));
        EXPECT_FALSE(d.body.empty());
        EXPECT_EQ(d.body.find('\r'), std::string::npos);
        EXPECT_FALSE(d.bodyIsRaw);
        if (d.bodyIsHtml) {
            // Kept as the sender wrote it: what it refers to is the window's to leave alone.
            EXPECT_NE(d.body.find("<img src=\"http://images.example.com/spring/banner.jpg\""),
                      std::string::npos);
        }
    }
}

TEST(DecodeMessage, PrefersPlainTextAndUndoesTransferEncodingsOfEveryPart) {
    const std::string text =
        mail({"From: a@example.com",
              "Subject: Nested",
              "Content-Type: multipart/mixed; boundary=outer",
              "",
              "--outer",
              "Content-Type: multipart/alternative; boundary=alt",
              "",
              "--alt",
              "Content-Type: text/html; charset=utf-8",
              "",
              "<p>HTML first</p>",
              "--alt",
              "Content-Type: text/plain; charset=windows-1252",
              "Content-Transfer-Encoding: quoted-printable",
              "",
              "Caf=E9 =93cr=E8me=94, a line broken here=",
              " and joined.",
              "--alt--",
              "--outer",
              "Content-Type: text/plain; name*0*=iso-8859-1'de'R%E9sum%E9; name*1=\" 2004.txt\"",
              "Content-Disposition: attachment",
              "Content-Transfer-Encoding: base64",
              "",
              "bGluZSBvbmUNCmxpbmUgdHdvDQo=",
              "--outer",
              "Content-Type: message/rfc822",
              "",
              "Subject: Inner",
              "",
              "Inner body",
              "--outer--"});
    const DecodedMessage d = decodeMessage(text, western);
    EXPECT_EQ(d.body, "Caf\u00E9 \u201Ccr\u00E8me\u201D, a line broken here and joined.");
    EXPECT_FALSE(d.bodyIsHtml);
    ASSERT_EQ(d.attachments.size(), 2u);
    EXPECT_EQ(d.attachments[0].name, "R\u00E9sum\u00E9 2004.txt");
    EXPECT_EQ(d.attachments[0].contentType, "text/plain");
    EXPECT_EQ(d.attachments[0].size, 20u);
    EXPECT_EQ(attachmentData(text, western, 0), "line one\r\nline two\r\n");
    EXPECT_EQ(d.attachments[1].contentType, "message/rfc822");
    const std::string inner = attachmentData(text, western, 1).value_or("");
    EXPECT_EQ(inner.size(), d.attachments[1].size);
    EXPECT_NE(inner.find("Subject: Inner\r\n\r\nInner body"), std::string::npos);
    EXPECT_EQ(attachmentData(text, western, 2), std::nullopt);
}

// What cannot be taken apart is shown as it stands, and nothing crashes.
TEST(DecodeMessage, ShowsBrokenMimeAsText) {
    const DecodedMessage noBoundary = decodeMessage(
        mail({"Subject: No boundary", "Content-Type: multipart/mixed", "", "The text stays."}),
        western);
    EXPECT_EQ(noBoundary.subject, "No boundary");
    EXPECT_NE(noBoundary.body.find("The text stays."), std::string::npos);
    EXPECT_TRUE(noBoundary.bodyIsRaw);

    const DecodedMessage badBase64 = decodeMessage(
        mail({"Content-Transfer-Encoding: base64", "", "Plain words, no base64!"}), western);
    EXPECT_EQ(badBase64.body, "Plain words, no base64!\n");
    EXPECT_TRUE(badBase64.bodyIsRaw);

    const DecodedMessage badType =
        decodeMessage(mail({"Content-Type: text", "", "Typed badly."}), western);
    EXPECT_EQ(badType.body, "Typed badly.\n");
    EXPECT_TRUE(badType.attachments.empty());

    const DecodedMessage noHeaders = decodeMessage("Just text\r\nand more\r\n", western);
    EXPECT_EQ(noHeaders.body, "Just text\nand more\n");

    std::string nested = "Subject: Deep\r\n";
    for (int i = 0; i < 1100; ++i) {
        nested += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n--b" +
                  std::to_string(i) + "\r\n";
    }
    EXPECT_NE(decodeMessage(nested + "\r\nInnermost\r\n", western).body.find("Innermost"),
              std::string::npos);
    const std::string cut = mail({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                                  "Content-Transfer-Encoding: base64",
                                  "Content-Disposition: attachment", "", "AAEC!!A"});
    EXPECT_EQ(decodeMessage(cut, western).attachments.at(0).size,
              attachmentData(cut, western, 0).value_or("").size());
    EXPECT_EQ(decodeMessage("", western).body, "");
}

TEST(DecodeMessage, Reads8BitHeadersAsUtf8OrTheMessagesCharsetOrTheAnsiPage) {
    const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // in windows-1251
    EXPECT_EQ(decodeMessage("Subject: " + privet + "\r\n\r\n", AnsiCodePage(1251)).subject,
              "\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(decodeMessage("Subject: Gr\xC3\xBC\xC3\x9F"
                            "e\r\n\r\n",
                            western)
                  .subject,
              "Gr\u00FC\u00DF"
              "e");
    EXPECT_EQ(decodeMessage("Subject: \xF0\xD2\xC9\xD7\xC5\xD4\r\n"
                            "Content-Type: text/plain; charset=koi8-r\r\n\r\n",
                            western)
                  .subject,
              "\u041F\u0440\u0438\u0432\u0435\u0442");
    // Windows-1258 holds a letter back for a combining mark that may follow.
    const std::string endsInALetter = "Subject: x\r\n\r\nA\xC3";
    EXPECT_EQ(decodeMessage(endsInALetter, AnsiCodePage(1258)).body, "A\u0102");
    // A byte the page leaves undefined stays visible.
    const DecodedMessage undefined = decodeMessage(
        "Subject: A\x81"
        "B\r\n\r\nC\x81\r\n",
        western);
    EXPECT_EQ(undefined.subject,
              "A\uFFFD"
              "B");
    EXPECT_EQ(undefined.body, "C\uFFFD\n");
}

TEST(DecodeMessage, GivesTheFirstPartOfALongBodyAndTheRestOnRequest) {
    std::string text = "Subject: Long\r\n\r\n", expected;
    for (int i = 0; i < 60000; ++i) {
        const std::string line = "Line " + std::to_string(i) + " of a long message.";
        text += line + "\r\n";
        expected += line + "\n";
    }
    const DecodedMessage first = decodeMessage(text, western);
    EXPECT_TRUE(first.bodyTruncated);
    EXPECT_LE(first.body.size(), DecodeLimits().bodyBytes);
    EXPECT_TRUE(first.body.ends_with(".\n"));
    EXPECT_TRUE(expected.starts_with(first.body));
    const DecodedMessage all = decodeMessage(text, western, DecodeLimits::unlimited());
    EXPECT_FALSE(all.bodyTruncated);
    EXPECT_EQ(all.body, expected);
}

}  // namespace
}  // namespace mq
