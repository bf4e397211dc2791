// Messages as broken mailers and old programs wrote them, read by Python's email package as
// the independent reader, and a message of very many parts read within a bounded memory.
#include "message/DecodedMessage.h"

#include "platform/AnsiCodePage.h"
#include "save/FileNaming.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>

namespace mq {
namespace {

using namespace std::string_literals;
using test::ChildProcess;
using test::TempDir;

const AnsiCodePage western(1252);

struct Case {
    const char* what;
    std::string text;
    // Where this reader reads otherwise than Python does, and why.
    std::optional<std::string> subject = std::nullopt;
    std::optional<std::string> body = std::nullopt;
};

const std::string Uuencoded = "begin 644 hello.txt\r\n>2&5L;&\\@9G)O;2!T:&4@=75E;F-O9&4@97)A+@T*\r\n`\r\nend\r\n";

std::string withAttachment(const std::string& partHeaders, const std::string& content) {
    return "Subject: Attached\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
           "Content-Type: text/plain\r\n\r\nSee attached.\r\n--b\r\n" +
           partHeaders + "\r\n" + content + "\r\n--b--\r\n";
}

const std::vector<Case> cases = {
    {"NUL in the subject", "Subject: ab\0cd\r\nFrom: Anna <anna@example.com>\r\n\r\nBody\r\n"s},
    {"NUL in the text", "Subject: t\r\n\r\nBefore\0after\r\nnext line\r\n"s},
    {"NUL in a part header",
     withAttachment("Content-Disposition: attachment; filename=\"a\0b.txt\"\r\n"s, "data") +
         "--b\r\nContent-Disposition: attachment; filename=c.txt\r\n\r\nmore\r\n--b--\r\n"},
    {"x-uuencode part",
     withAttachment("Content-Type: text/plain; name=hello.txt\r\n"
                    "Content-Transfer-Encoding: x-uuencode\r\n",
                    Uuencoded)},
    {"begin block in a plain text", "Subject: uu\r\n\r\nSee the file.\r\n" + Uuencoded + "Bye.\r\n"},
    {"UTF-7 after an invalid sequence",
     "Content-Type: text/plain; charset=utf-7\r\n\r\n"
     "Hi +AGEAYgBj- then +ZZZ!broken and plain text after.\r\n",
     std::nullopt,
     // Python drops the "!" that ends the invalid sequence, which is plain text.
     "Hi abc then \u6596\uFFFD!broken and plain text after.\n"},
    {"base64 without padding",
     withAttachment("Content-Disposition: attachment; filename=vi.txt\r\n"
                    "Content-Transfer-Encoding: base64\r\n",
                    "dmk")},
    {"base64 with letters after its end",
     withAttachment("Content-Disposition: attachment; filename=t.txt\r\n"
                    "Content-Transfer-Encoding: base64\r\n",
                    "dGVzdA==\r\nmore letters here")},
    {"words marked base64",
     "Subject: w\r\nContent-Transfer-Encoding: base64\r\n\r\nThese are words\r\n", std::nullopt,
     // Python decodes them into noise; they are shown as stored.
     "These are words\n"},
    {"a name alone in From", "From: =?koi8-r?B?8NLJ18XU?=\r\nSubject: n\r\n\r\nx\r\n"},
    {"header beginning with a blank", " Subject: lead\r\nFrom: a@example.com\r\n\r\nBody\r\n",
     // Python takes the first line for a continuation of nothing and drops it.
     "lead"},
    {"no blank line after the header",
     "Subject: nb\r\nFrom: a@example.com\r\nThis is the body\r\nSecond line\r\n"},
    {"override in a file name",
     withAttachment("Content-Disposition: attachment; "
                    "filename*=utf-8''invoice%E2%80%AEgpj.exe\r\n",
                    "MZ")},
};

TEST(DamagedMessage, ReadsAsPythonsEmailPackageReadsIt) {
    const TempDir dir;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        files.push_back(test::toUtf8(dir.path() / (std::to_string(i) + ".eml")));
        test::writeFile(files.back(), cases[i].text);
    }
    files.insert(files.begin(), MQ_READ_MESSAGE);
    const ChildProcess::Result judged = ChildProcess::run(MQ_PYTHON, files);
    ASSERT_EQ(judged.status, 0) << judged.err;
    std::istringstream lines(judged.out);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        const auto python = nlohmann::json::parse(line);
        const DecodedMessage d = decodeMessage(c.text, western);
        EXPECT_EQ(d.subject, c.subject.value_or(python["Subject"]));
        EXPECT_EQ(d.from, python["From"]);
        EXPECT_EQ(d.body, c.body.value_or(python["Body"]));
        ASSERT_EQ(d.attachments.size(), python["Attachments"].size());
        for (std::size_t i = 0; i < d.attachments.size(); ++i) {
            EXPECT_EQ(d.attachments[i].name, python["Attachments"][i]["Name"]);
            EXPECT_EQ(d.attachments[i].size, python["Attachments"][i]["Size"]);
            // What is listed is what is saved.
            EXPECT_EQ(attachmentData(c.text, western, i).value_or("").size(),
                      d.attachments[i].size);
        }
    }
}

TEST(DamagedMessage, NamesNoFileWithTheSendersDirectionOverrides) {
    EXPECT_EQ(attachmentFileName("invoice\u202Egpj.exe"), "invoicegpj.exe");
    EXPECT_EQ(attachmentFileName("\u2067a\u200Fb\u2069.txt"), "ab.txt");
}

TEST(DamagedMessage, GivesAnHtmlTextThePicturesOfItsMessage) {
    const std::string text =
        "Content-Type: multipart/related; boundary=r\r\n\r\n--r\r\n"
        "Content-Type: text/html\r\n\r\n<img src=\"cid:logo@x\">\r\n--r\r\n"
        "Content-Type: image/png\r\nContent-ID: <logo@x>\r\nContent-Transfer-Encoding: base64\r\n"
        "\r\niVBORw0=\r\n--r--\r\n";
    const DecodedMessage d = decodeMessage(text, western);
    ASSERT_EQ(d.pictures.size(), 1u);
    EXPECT_EQ(d.pictures[0].contentId, "logo@x");
    EXPECT_EQ(d.pictures[0].data, "\x89PNG\r");
}

// The most memory the process has held, and holds now, in kB.
long memoryKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field)) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// 100,000 empty parts: the parts listed are bounded, and so is the memory they take, which
// is measured in a child process of its own.
TEST(DamagedMessage, ReadsAMessageOfManyPartsInMemoryOfAFewTimesItsSize) {
    std::string text = "Subject: parts\r\nContent-Type: multipart/mixed; boundary=\"p\"\r\n\r\n";
    for (int i = 0; i < 100000; ++i) text += "--p\r\nContent-Type: text/plain\r\n\r\n\r\n";
    text += "--p--\r\n";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const long before = memoryKb("VmRSS:");
        const DecodedMessage d = decodeMessage(text, western);
        const long grown = memoryKb("VmHWM:") - before;
        // The first part is the text.
        const bool listedAndCounted =
            d.attachments.size() < 100000 && 1 + d.attachments.size() + d.partsLeftOut == 100000;
        const bool bounded = grown * 1024 <= 4 * static_cast<long>(text.size()) + (16L << 20);
        _exit((listedAndCounted ? 0 : 1) | (bounded ? 0 : 2));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status) & 1, 0) << "parts listed and left out do not add up";
    EXPECT_EQ(WEXITSTATUS(status) & 2, 0) << "memory beyond 4 times the message";
}

}  // namespace
}  // namespace mq
