#include "SampleStore.h"

#include "MimeSamples.h"

#include "platform/AnsiCodePage.h"
#include "support/MailDate.h"
#include "support/SeededRandom.h"
#include "support/StoreBuilder.h"

#ifdef _WIN32
#include "platform/Unicode.h"
#include "support/TempDir.h"
#endif

#include <string>
#include <vector>

namespace mq {

namespace {

// The charset the mail client declared for what it wrote on a machine with the page.
std::string charsetOf(int codePage) {
    switch (codePage) {
        case 932:
            return "shift_jis";
        case 936:
            return "gb2312";
        case 949:
            return "ks_c_5601-1987";
        case 950:
            return "big5";
        case 1252:
            return "iso-8859-1";
        default:
            return "windows-" + std::to_string(codePage);
    }
}

struct Person {
    const char* name;  // may be empty
    const char* address;
};

const Person owner = {"Martin Keller", "martin.keller@example.com"};

const Person contacts[] = {
    {"Anna Schröder", "anna.schroeder@example.org"},
    {"José Martínez", "jose.martinez@mail.example.com"},
    {"Françoise Lévêque", "f.leveque@example.net"},
    {"Björn Ångström", "bjorn@lists.example.org"},
    {"Zoë Carter", "zoe.carter@example.com"},
    {"Tom O'Brien", "tom.obrien@example.net"},
    {"Priya Natarajan", "priya+newsletters@example.org"},
    {"", "noreply@shop.example.com"},
    {"Helpdesk", "support@help.example.net"},
    {"Carla Gómez", "Carla.Gomez@Example.COM"},
    {"Dieter Weiß", "dieter.weiss@example.org"},
    {"Emma Hughes", "emma_hughes@uk.example.com"},
    {"Lars Nyström", "lars.nystrom@example.net"},
    {"Announcements", "announce-list@lists.example.org"},
};

const char* const subjects[] = {
    "Meeting on Thursday",
    "Budget 2002",
    "Photos from the weekend",
    "Grüße aus München",
    "Café opening next week",
    "Résumé attached",
    "Holiday plans",
    "Quick question",
    "Übersicht Projekt Nordlicht",
    "Minutes of the committee meeting",
    "Dinner on Saturday?",
    "Your subscription",
    "Déjà vu",
    "Newsletter – spring edition",
    "Account statement",
    "Happy birthday!",
    "Train times to Zürich",
    "The report, 3rd draft",
};

const char* const replyPrefixes[] = {"", "", "", "Re: ", "RE: ", "Re: Re: ", "Fwd: ", "AW: "};

const char* const paragraphs[] = {
    "Thanks for your message. I have read it twice and I think we agree on most points.",
    "The numbers for the last quarter look better than expected, but the costs of the move "
    "are still open. Could you have a look at the attached figures before Friday?",
    "We will meet at the usual place at half past seven. Bring the maps, the weather "
    "forecast says it will be dry all weekend.",
    "I am sorry for the late answer; the last two weeks were full of appointments and "
    "the children were ill.",
    "Here is the summary that I promised: the committee accepted the proposal with two "
    "changes, and the next meeting is planned for the first week of the month.",
    "Das Treffen findet wie geplant statt. Bitte gebt bis Mittwoch Bescheid, wer kommt.",
    "Merci pour les photos, elles sont très réussies. À bientôt !",
    "The café on the corner has reopened and the cakes are as good as ever.",
    "Please do not reply to this message; it was sent by an automatic system.",
};

// The ways people write an address into a text; %s is the address.
const char* const addressForms[] = {
    "You can reach me at %s.",
    "Write to <%s> for details.",
    "mailto:%s",
    "Contact: %s, or phone the office.",
    "(%s)",
    "Send your answers to %s; the deadline is Monday.",
    "See http://www.example.com/contact?from=%s for the form.",
    "My new address is %s -- please update your address book!",
};

std::string format(const char* pattern, const std::string& value) {
    std::string out = pattern;
    out.replace(out.find("%s"), 2, value);
    return out;
}

std::string upper(std::string text) {
    for (auto& ch : text) {
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    return text;
}

std::string mailbox(const Person& p) {
    if (*p.name == 0) return p.address;
    return std::string("\"") + p.name + "\" <" + p.address + ">";
}

std::string shown(const Person& p) {
    return *p.name ? p.name : p.address;
}

// Lines of at most 72 characters, broken at spaces, each ending in CR LF.
std::string wrapped(const std::string& text, const std::string& prefix = "") {
    std::string out, line = prefix;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t space = text.find(' ', at);
        const std::size_t end = space == std::string::npos ? text.size() : space;
        const std::string word = text.substr(at, end - at);
        if (line.size() > prefix.size() && line.size() + 1 + word.size() > 72) {
            out += line + "\r\n";
            line = prefix;
        }
        line += (line.size() > prefix.size() ? " " : "") + word;
        at = end + 1;
    }
    return out + line + "\r\n";
}

// A body of `lines` lines of text (CR LF), with addresses written in several ways.
std::string body(SeededRandom& rnd, std::size_t lines, const Person& from) {
    std::string out = rnd.chance(50) ? "Hello,\r\n\r\n" : "Hi all,\r\n\r\n";
    for (std::size_t i = 0; i < lines; ++i) {
        const unsigned roll = static_cast<unsigned>(rnd.below(10));
        if (roll < 6) {
            out += wrapped(rnd.pick(paragraphs));
        } else if (roll < 8) {
            out += wrapped(format(rnd.pick(addressForms), rnd.pick(contacts).address));
        } else if (roll == 8) {
            out +=
                wrapped(format("Please write to %s about it.", upper(rnd.pick(contacts).address)));
        } else {
            out += wrapped(rnd.pick(paragraphs), "> ");
        }
        if (rnd.chance(30)) out += "\r\n";
    }
    if (rnd.chance(20)) {
        out += "For the list: anna dot schroeder at example dot org (no spam, please).\r\n";
    }
    out += "\r\n-- \r\n" + shown(from) + "\r\n" + from.address + "\r\n";
    return out;
}

// A quoted-printable body whose soft line breaks split words and an address.
std::string quotedPrintableBody() {
    return "Bonjour Martin,\r\n\r\nVoici le r=E9sum=E9 de la r=E9union. Pour toute question, "
           "=E9crivez =E0 secr=\r\netariat.comite@example.net ou =E0 f.leveque@exam=\r\n"
           "ple.net.\r\n\r\nCordialement,\r\nFran=E7oise\r\n";
}

struct Zone {
    int minutes;
};
const Zone zones[] = {{60}, {120}, {0}, {-300}, {-480}, {330}};

enum class Box { Received, Sent, Draft };

// Texts are written here in UTF-8 and stored in the machine's page, as the mail client
// stores them: characters the page lacks become '?'.
DbxMessage makeMessage(SeededRandom& rnd, std::uint32_t number, Box box, const AnsiCodePage& page) {
    const auto ansi = [&page](const std::string& utf8) { return page.fromUtf8(utf8); };
    const Person& contact = rnd.pick(contacts);
    const Person& from = box == Box::Received ? contact : owner;
    const Person& to = box == Box::Received ? owner : contact;
    const bool hasReplyTo = box == Box::Received && rnd.chance(25);
    const Person& replyTo = hasReplyTo ? rnd.pick(contacts) : from;

    // Dates from 1999 to 2004, the received time a little after the sent time.
    const std::uint64_t start = filetimeOf(1999, 3, 1);
    const std::uint64_t span = filetimeOf(2004, 11, 30) - start;
    const std::uint64_t sent = start + rnd.next() % span;
    const std::uint64_t received = sent + (1 + rnd.below(3600)) * 10'000'000ull;
    const int zone = rnd.pick(zones).minutes;

    const std::string subject = std::string(rnd.pick(replyPrefixes)) + rnd.pick(subjects);
    const std::string messageId =
        "<" + std::to_string(rnd.next() % 100'000'000) + "." + std::to_string(number) + "@" +
        std::string(from.address).substr(std::string(from.address).find('@') + 1) + ">";

    const std::size_t sizeClass = rnd.below(20);
    const std::size_t lines = sizeClass < 12   ? 1 + rnd.below(6)
                              : sizeClass < 18 ? 10 + rnd.below(40)
                              : sizeClass < 19 ? 150 + rnd.below(150)
                                               : 600 + rnd.below(400);
    const bool qp = box == Box::Received && rnd.chance(5);

    std::string text;
    if (box == Box::Received) {
        text += "Return-Path: <" + std::string(from.address) + ">\r\n";
        text += "Received: from mail.example.net ([192.0.2." + std::to_string(1 + rnd.below(250)) +
                "])\r\n\tby mx.example.com with SMTP id " + std::to_string(rnd.next() % 1'000'000) +
                ";\r\n\t" + mailDate(received, 60) + "\r\n";
    }
    text += "From: " + mailbox(from) + "\r\n";
    text += "To: " + mailbox(to) + "\r\n";
    if (rnd.chance(15)) text += "Cc: " + mailbox(rnd.pick(contacts)) + "\r\n";
    if (hasReplyTo) text += "Reply-To: " + std::string(replyTo.address) + "\r\n";
    text += "Subject: " + subject + "\r\n";
    text += "Date: " + mailDate(sent, zone) + "\r\n";
    if (box != Box::Draft) text += "Message-ID: " + messageId + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain;\r\n\tcharset=\"" + charsetOf(page.codePage()) + "\"\r\n";
    text +=
        std::string("Content-Transfer-Encoding: ") + (qp ? "quoted-printable" : "8bit") + "\r\n";
    text += "X-Priority: 3\r\n\r\n";
    text += qp ? quotedPrintableBody() : body(rnd, lines, from);

    DbxMessage m;
    m.number = number;
    m.status = box == Box::Received && rnd.chance(30) ? 0x01 : 0x81;
    m.sent = sent;
    m.received = box == Box::Sent ? sent : received;
    if (box != Box::Draft) m.messageId = messageId;
    m.subject = ansi(subject);
    m.from = ansi(shown(from));
    m.otherFrom = from.address;
    m.to = ansi(shown(to));
    if (hasReplyTo) m.replyTo = replyTo.address;
    m.account = "mail.example.com";
    m.accountId = "00000001";
    m.text = ansi(text);
    return m;
}

std::vector<DbxMessage> folderMessages(std::uint64_t seed, std::size_t count, Box box,
                                       const AnsiCodePage& page) {
    SeededRandom rnd(seed);
    std::vector<DbxMessage> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(makeMessage(rnd, static_cast<std::uint32_t>(i + 1), box, page));
    }
    return out;
}

}  // namespace

std::filesystem::path writeSampleStore(const std::filesystem::path& dir, int codePage) {
    const AnsiCodePage page(codePage);
    StoreBuilder store;
    store.setFolderListName("Folders.dbx");
    std::vector<DbxMessage> inbox = folderMessages(1, 220, Box::Received, page);
    for (DbxMessage& m : mimeSampleMessages(221, page)) inbox.push_back(std::move(m));
    store.addFolder("Inbox", "Inbox.dbx", std::move(inbox));
    store.addFolder("Outbox", "Outbox.dbx");
    store.addFolder("Sent Items", "Sent Items.dbx", folderMessages(2, 70, Box::Sent, page));
    store.addFolder("Deleted Items", "Deleted Items.dbx",
                    folderMessages(3, 45, Box::Received, page));
    store.addFolder("Drafts", "Drafts.dbx", folderMessages(4, 6, Box::Draft, page));
    const auto projects =
        store.addFolder("Projects", "Projects.dbx", folderMessages(5, 40, Box::Received, page));
    store.addFolder("Nordlicht", "Nordlicht.dbx", folderMessages(6, 25, Box::Received, page),
                    projects);
    store.addFolder("Family & Friends", "Family & Friends.dbx",
                    folderMessages(7, 30, Box::Received, page));

    const std::filesystem::path storeDir = dir / "store";
    store.write(storeDir);
#ifdef _WIN32
    // One value under the mail client's own key, in the form the registry editor imports.
    const std::filesystem::path registry = dir / "mailquarry-sample.reg";
    writeStoreRegistry(registry, storeDir.string(), StoreRootKey::Global);
    std::u16string text;
    utf8ToUtf16(test::readFile(registry), text);
    std::string utf16le = "\xFF\xFE";
    for (const char16_t c : text) {
        utf16le += static_cast<char>(c & 0xFF);
        utf16le += static_cast<char>(c >> 8);
    }
    test::writeFile(registry, utf16le);
#else
    const std::filesystem::path registry = registryFileIn(dir / "config");
    writeStoreRegistry(registry, storeDir.string());
#endif
    return registry;
}

}  // namespace mq
