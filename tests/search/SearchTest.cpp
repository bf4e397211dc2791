#include "search/StoreSearch.h"

#include "platform/AnsiCodePage.h"
#include "support/ChildProcess.h"
#include "support/FileLock.h"
#include "support/MailDate.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>

namespace mq::test {
namespace {

namespace fs = std::filesystem;

struct Stored {
    std::string text;
    std::string subject, from, address, to, replyTo;  // the record's, in code page 1252
    std::uint64_t received = 0;
};

const std::vector<std::pair<std::string, std::vector<Stored>>> Folders = {
    {"Inbox",
     {{"Subject: =?iso-8859-1?Q?Rechnung_f=FCr_M=E4rz?=\r\n"
       "From: =?iso-8859-1?Q?J=FCrgen_Gro=DF?= <juergen@example.de>\r\n"
       "To: Anne <anne@example.com>\r\nMIME-Version: 1.0\r\n"
       "Content-Type: text/plain; charset=iso-8859-1\r\n"
       "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
       "Bitte zahlen Sie bis Freitag.\r\nHauptstra=DFe 5\r\n",
       "Rechnung f\xfcr M\xe4rz", "J\xfcrgen Gro\xdf", "juergen@example.de",
       "Anne <anne@example.com>", "", filetimeOf(2003, 3, 4, 10)},
      {"Subject: Invoice\r\nFrom: Bob <bob@example.org>\r\nTo: Anne <anne@example.com>\r\n"
       "MIME-Version: 1.0\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
       "<html><head><title>title words</title><style>p {color: red}</style></head>\r\n"
       "<body><p>Your Invoice\r\n  <b>2003</b> is&nbsp;attached &amp; paid.</p>"
       "<script>var hidden = 1;</script></body></html>\r\n",
       "Invoice", "Bob", "bob@example.org", "Anne <anne@example.com>", "",
       filetimeOf(2003, 6, 1, 12)},
      {"Subject: Photos 2004\r\nFrom: Carla <carla@example.com>\r\n"
       "Reply-To: lists@example.org\r\nMIME-Version: 1.0\r\n"
       "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
       "Content-Type: text/plain\r\n\r\nSee the invoice attached.\r\n--b\r\n"
       "Content-Type: application/pdf; name=\"Rechnung_2003.pdf\"\r\n"
       "Content-Disposition: attachment; filename=\"Rechnung_2003.pdf\"\r\n"
       "Content-Transfer-Encoding: base64\r\n\r\nc2VjcmV0d29yZCBpbnNpZGU=\r\n--b--\r\n",
       "Photos 2004", "Carla", "carla@example.com", "", "lists@example.org",
       filetimeOf(2004, 1, 2, 8)},
      {"just some words before any header\r\nand an invoice 2003 in raw text\r\n", "", "", "", "",
       "", filetimeOf(2002, 12, 31, 23)}}},
    {"Sent",
     {{"Subject: =?utf-8?Q?Re:_Rechnung_f=C3=BCr_M=C3=A4rz?=\r\n"
       "From: Anne <anne@example.com>\r\n"
       "To: =?iso-8859-1?Q?J=FCrgen_Gro=DF?= <juergen@example.de>\r\nMIME-Version: 1.0\r\n"
       "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
       "Die Stra\xc3\x9f"
       "e ist richtig.\r\n",
       "Re: Rechnung f\xfcr M\xe4rz", "Anne", "anne@example.com",
       "J\xfcrgen Gro\xdf <juergen@example.de>", "", filetimeOf(2003, 3, 5, 9)}}},
    {"Locked",
     {{"Subject: Invoice locked\r\nFrom: Eva <eva@example.com>\r\n\r\nlocked\r\n", "Invoice locked",
       "Eva", "eva@example.com", "", "", filetimeOf(2003, 7, 1)}}},
};

class Observer : public SearchObserver {
public:
    bool cancelled() const override { return stop; }
    void blockRead() override { stop = stop || cancelOnBlock; }
    void searching(std::size_t) override {}
    bool cancelOnBlock = false;
    bool stop = false;
};

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The reference reads the received dates as UTC.
        setenv("TZ", "UTC", 1);
        tzset();
        StoreBuilder store;
        std::ofstream manifest(dir.path() / "manifest", std::ios::binary);
        for (const auto& [folder, stored] : Folders) {
            std::vector<DbxMessage> messages;
            for (std::size_t row = 0; row < stored.size(); ++row) {
                const Stored& s = stored[row];
                DbxMessage m;
                m.text = s.text;
                m.subject = s.subject;
                m.from = s.from;
                m.otherFrom = s.address;
                m.to = s.to;
                m.replyTo = s.replyTo;
                m.received = s.received;
                messages.push_back(m);
                const fs::path eml = dir.path() / (folder + std::to_string(row) + ".eml");
                std::ofstream(eml, std::ios::binary) << s.text;
                const std::time_t seconds =
                    static_cast<std::time_t>(s.received / 10'000'000 - 11'644'473'600ull);
                char date[32];
                std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", std::gmtime(&seconds));
                manifest << folder << '\t' << row << '\t' << date << '\t' << eml.string() << '\n';
            }
            store.addFolder(folder, folder + ".dbx", messages);
        }
        store.addFolder("Archive", "");
        store.write(dir.path() / "store");
        reader.Read_OE_File("folders.dbx", &folders);
        search.useCache(cache, reader);
    }

    // "Folder row" lines, in store order.
    std::string found(const SearchQuery& query, const std::vector<std::size_t>& chosen) {
        Observer observer;
        const SearchOutcome outcome = search.searchStore(folders, chosen, query, observer);
        std::ostringstream lines;
        for (const FolderMatches& matches : outcome.folders)
            for (const std::size_t row : matches.rows)
                lines << folders[matches.folder].Name << ' ' << row << '\n';
        return lines.str();
    }

    std::vector<std::size_t> everyFolder() const { return {0, 1, 2, 3}; }

    TempDir dir;
    StoreReader reader{(dir.path() / "store").string()};
    AnsiCodePage page{1252};
    StoreSearch search{reader, page};
    SearchCache cache;
    FolderList folders;
};

TEST_F(SearchTest, FindsWhatAPlainReferenceFindsInEachField) {
    struct Case {
        const char* words;
        const char* fields;
        const char* after = "";
        const char* before = "";
        bool none = false;
    };
    const Case cases[] = {
        {"m\xc3\x84rz", "subject"},
        {"RECHNUNG", "subject,people"},
        {"GROSS", "people"},
        {"example.org", "people"},
        {"strasse", "text"},
        {"\"invoice 2003\"", "text"},
        {"\"attached & paid", "text"},  // a quote left open runs to the end
        {"hidden", "text", "", "", true},
        {"secretword", "text,attachments", "", "", true},
        {"rechnung_2003", "attachments"},
        {"invoice", "subject,people,text,attachments", "2003-01-01", "2003-12-31"},
        {"invoice", "subject,people,text,attachments"},
    };
    std::vector<std::string> arguments = {MQ_REFERENCE_FIND, (dir.path() / "manifest").string()};
    for (const Case& c : cases)
        arguments.insert(arguments.end(), {c.words, c.fields, c.after, c.before});
    const ChildProcess::Result reference = ChildProcess::run(MQ_PYTHON, arguments);
    ASSERT_EQ(reference.status, 0) << reference.err;
    std::istringstream expected(reference.out);
    for (const Case& c : cases) {
        std::string lines;
        for (std::string line; std::getline(expected, line) && line != "--";) lines += line + '\n';
        EXPECT_EQ(lines.empty(), c.none) << c.words;
        SearchQuery query;
        query.terms = parseSearchTerms(c.words);
        query.fields = *parseSearchFields(c.fields);
        if (*c.after) query.from = parseSearchDate(c.after);
        if (*c.before) query.until = parseSearchDate(c.before);
        EXPECT_EQ(found(query, everyFolder()), lines) << c.words << " in " << c.fields;
    }
}

TEST_F(SearchTest, SkipsALockedFolderAndStopsWhenCancelled) {
    SearchQuery query;
    query.terms = parseSearchTerms("invoice");
    query.fields = AllSearchFields;
    {
        const FileLock lock(dir.path() / "store" / "Locked.dbx");
        Observer observer;
        const SearchOutcome outcome = search.searchStore(folders, everyFolder(), query, observer);
        EXPECT_EQ(outcome.unreadable, std::vector<std::size_t>{2});
        EXPECT_EQ(outcome.messages(), 3u);
    }
    EXPECT_EQ(found(query, everyFolder()), "Inbox 1\nInbox 2\nInbox 3\nLocked 0\n");

    // A search stopped in its first message finds nothing more; the cache is not misled.
    SearchCache fresh;
    StoreSearch uncached(reader, page);
    uncached.useCache(fresh, reader);
    Observer observer;
    observer.cancelOnBlock = true;
    const SearchOutcome outcome = uncached.searchStore(folders, everyFolder(), query, observer);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.messages(), 0u);
}

}  // namespace
}  // namespace mq::test
