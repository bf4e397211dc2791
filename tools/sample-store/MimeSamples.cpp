#include "MimeSamples.h"

#include "platform/AnsiCodePage.h"
#include "support/MailDate.h"

namespace mq {

namespace {

struct Sample {
    // As the mail client keeps them in the message's record: decoded, in its ANSI page
    // (UTF-8 here).
    const char* subject;
    const char* fromName;
    const char* fromAddress;
    int sent[6];  // UTC: year, month, day, hour, minute, second
    const char* text;
};

// clang-format off
const Sample samples[] = {
    // Latin-1 in quoted-printable, subject and name in Q encoded words.
    {"Grüße aus Köln", "Jürgen Müller", "juergen.mueller@example.de", {2004, 1, 12, 8, 15, 2},
    "From: =?iso-8859-1?Q?J=FCrgen_M=FCller?= <juergen.mueller@example.de>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: =?iso-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=\r\n"
    "Date: Mon, 12 Jan 2004 09:15:02 +0100\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Hallo Martin,\r\n"
    "\r\n"
    "viele Gr=FC=DFe aus K=F6ln! Das Wetter ist sch=F6n, und der Dom ist so gro=\r\n"
    "=DF wie immer.\r\n"
    "\r\n"
    "J=FCrgen\r\n"},
    // Russian in KOI8-R, 8-bit body, subject and name in B encoded words.
    {"Привет из Москвы", "Иван Петров", "ivan.petrov@example.ru", {2004, 2, 10, 15, 40, 11},
    "From: =?koi8-r?B?6dfBziDwxdTSz9c=?= <ivan.petrov@example.ru>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: =?koi8-r?B?8NLJ18XUIMnaIO3P08vX2Q==?=\r\n"
    "Date: Tue, 10 Feb 2004 18:40:11 +0300\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=\"koi8-r\"\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n"
    "\xFA\xC4\xD2\xC1\xD7\xD3\xD4\xD7\xD5\xCA\xD4\xC5, \xED\xC1\xD2\xD4\xC9\xCE!\r\n"
    "\r\n"
    "\xE6\xCF\xD4\xCF\xC7\xD2\xC1\xC6\xC9\xC9 \xD3 \xCB\xCF\xCE\xC6\xC5\xD2\xC5\xCE\xC3\xC9\xC9 \xD0\xD2\xC9\xDB\xCC\xC0 \xDA\xC1\xD7\xD4\xD2\xC1.\r\n"
    "\r\n"
    "\xE9\xD7\xC1\xCE\r\n"},
    // Greek in UTF-8, body in base64.
    {"Καλημέρα από την Αθήνα", "Ελένη Παπαδοπούλου", "eleni@example.gr", {2004, 3, 6, 9, 2, 45},
    "From: =?utf-8?B?zpXOu86tzr3OtyDOoM6xz4DOsc60zr/PgM6/z43Ou86/z4U=?= <eleni@example.gr>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: =?utf-8?B?zprOsc67zrfOvM6tz4HOsSDOsc+Az4wgz4TOt869IM6RzrjOrs69zrE=?=\r\n"
    "Date: Sat, 6 Mar 2004 11:02:45 +0200\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=\"utf-8\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "zprOsc67zrfOvM6tz4HOsSDOnM6sz4HPhM65zr0sDQoNCs6fzrkgz4bPic+Ezr/Os8+BzrHPhs6v\r\n"
    "zrXPgiDOsc+Az4wgz4TOvyDPhM6xzr7Or860zrkgzrXOr869zrHOuSDOrc+Ezr/Ouc68zrXPgi4N\r\n"
    "Cg0KzpXOu86tzr3Otw0K\r\n"},
    // HTML only, with a picture and a tracking pixel on the web that the reader must not fetch.
    {"Spring offers", "Shop", "noreply@shop.example.com", {2004, 3, 22, 7, 0, 0},
    "From: \"Shop\" <noreply@shop.example.com>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: Spring offers\r\n"
    "Date: Mon, 22 Mar 2004 07:00:00 +0000\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/html; charset=\"utf-8\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "<html>\r\n"
    "<head><title>Spring offers</title></head>\r\n"
    "<body>\r\n"
    "<img src=3D\"http://images.example.com/spring/banner.jpg\" alt=3D\"Spring sale=\r\n"
    "\">\r\n"
    "<h1>Spring offers =E2=80=93 up to 20 % off</h1>\r\n"
    "<p>Dear customer, our spring collection has arrived. <a href=3D\"http://shop=\r\n"
    ".example.com/spring\">See all offers</a>.</p>\r\n"
    "<img src=3D\"https://track.example.net/open?id=3D8d2f1\" width=3D\"1\" height=\r\n"
    "=3D\"1\">\r\n"
    "</body>\r\n"
    "</html>\r\n"},
    // Polish in ISO-8859-2, quoted-printable.
    {"Zażółć gęślą jaźń: spotkanie w piątek", "Michał Wróbel", "michal.wrobel@example.pl", {2004, 4, 1, 12, 20, 0},
    "From: =?iso-8859-2?Q?Micha=B3_Wr=F3bel?= <michal.wrobel@example.pl>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: =?iso-8859-2?Q?Za=BF=F3=B3=E6_g=EA=B6l=B1_ja=BC=F1=3A_spotkanie_w_pi=B1tek?=\r\n"
    "Date: Thu, 1 Apr 2004 14:20:00 +0200\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=\"iso-8859-2\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Cze=B6=E6 Martin,\r\n"
    "\r\n"
    "spotkanie w pi=B1tek o 15:00 w sali nr 3. Prosz=EA przynie=B6=E6 raport.\r\n"
    "\r\n"
    "Micha=B3\r\n"},
    // Japanese in ISO-2022-JP, a 7-bit charset with escape sequences.
    {"会議の議事録", "山田太郎", "t.yamada@example.jp", {2004, 4, 21, 1, 5, 33},
    "From: =?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?= <t.yamada@example.jp>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCMnE1RCRONUQ7dk8/GyhC?=\r\n"
    "Date: Wed, 21 Apr 2004 10:05:33 +0900\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=\"ISO-2022-JP\"\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "\x1B$B%^!<%F%#%s$5$s\x1B(B\r\n"
    "\r\n"
    "\x1B$B2q5D$N5D;vO?$rAw$j$^$9!#\x1B(B\r\n"
    "\r\n"
    "\x1B$B;3ED\x1B(B\r\n"},
    // The mail client's own layout: plain text and HTML as alternatives, then a PDF named
    // in RFC 2231 form (and in an encoded word for older readers) and a picture.
    {"“Nordlicht” report – final", "Anna Schröder", "anna.schroeder@example.org", {2004, 5, 14, 14, 45, 12},
    "From: =?iso-8859-1?Q?Anna_Schr=F6der?= <anna.schroeder@example.org>\r\n"
    "To: \"Martin Keller\" <martin.keller@example.com>\r\n"
    "Subject: =?windows-1252?Q?=93Nordlicht=94_report_=96_final?=\r\n"
    "Date: Fri, 14 May 2004 16:45:12 +0200\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed;\r\n"
    "\tboundary=\"----=_NextPart_000_0012_01C439D1.5A3C8E40\"\r\n"
    "\r\n"
    "This is a multi-part message in MIME format.\r\n"
    "\r\n"
    "------=_NextPart_000_0012_01C439D1.5A3C8E40\r\n"
    "Content-Type: multipart/alternative;\r\n"
    "\tboundary=\"----=_NextPart_001_0013_01C439D1.5A3C8E40\"\r\n"
    "\r\n"
    "\r\n"
    "------=_NextPart_001_0013_01C439D1.5A3C8E40\r\n"
    "Content-Type: text/plain;\r\n"
    "\tcharset=\"windows-1252\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Hello Martin,\r\n"
    "\r\n"
    "here is the final =93Nordlicht=94 report =96 with the chart you asked for.\r\n"
    "\r\n"
    "Best regards,\r\n"
    "Anna\r\n"
    "\r\n"
    "------=_NextPart_001_0013_01C439D1.5A3C8E40\r\n"
    "Content-Type: text/html;\r\n"
    "\tcharset=\"windows-1252\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "<html><body><p>Hello Martin,</p><p>here is the final &ldquo;Nordlicht&rdquo=\r\n"
    "; report &ndash; with the chart you asked for.</p><p>Best regards,<br>Anna<=\r\n"
    "/p></body></html>\r\n"
    "\r\n"
    "------=_NextPart_001_0013_01C439D1.5A3C8E40--\r\n"
    "\r\n"
    "------=_NextPart_000_0012_01C439D1.5A3C8E40\r\n"
    "Content-Type: application/pdf;\r\n"
    "\tname=\"=?utf-8?Q?Gr=C3=BC=C3=9Fe_=E2=80=93_Bericht_Nordlicht.pdf?=\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment;\r\n"
    "\tfilename*=UTF-8''Gr%C3%BC%C3%9Fe%20%E2%80%93%20Bericht%20Nordlicht.pdf\r\n"
    "\r\n"
    "JVBERi0xLjQKMSAwIG9iaiA8PCAvVHlwZSAvQ2F0YWxvZyAvUGFnZXMgMiAwIFIgPj4gZW5kb2Jq\r\n"
    "CjIgMCBvYmogPDwgL1R5cGUgL1BhZ2VzIC9LaWRzIFtdIC9Db3VudCAwID4+IGVuZG9iagp0cmFp\r\n"
    "bGVyIDw8IC9Sb290IDEgMCBSID4+CiUlRU9GCg==\r\n"
    "\r\n"
    "------=_NextPart_000_0012_01C439D1.5A3C8E40\r\n"
    "Content-Type: image/png;\r\n"
    "\tname=\"chart.png\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment;\r\n"
    "\tfilename=\"chart.png\"\r\n"
    "\r\n"
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9\r\n"
    "awAAAABJRU5ErkJggg==\r\n"
    "\r\n"
    "------=_NextPart_000_0012_01C439D1.5A3C8E40--\r\n"},
};
// clang-format on

}  // namespace

std::vector<DbxMessage> mimeSampleMessages(std::uint32_t firstNumber, const AnsiCodePage& page) {
    std::vector<DbxMessage> out;
    for (const Sample& s : samples) {
        DbxMessage m;
        m.number = firstNumber++;
        m.status = 0x81;
        m.sent = filetimeOf(s.sent[0], s.sent[1], s.sent[2], s.sent[3], s.sent[4], s.sent[5]);
        m.received = m.sent + 300ull * 10'000'000;  // five minutes later
        m.subject = page.fromUtf8(s.subject);
        m.from = page.fromUtf8(s.fromName);
        m.otherFrom = s.fromAddress;
        m.to = "Martin Keller";
        m.account = "mail.example.com";
        m.accountId = "00000001";
        m.text = s.text;
        out.push_back(std::move(m));
    }
    return out;
}

}  // namespace mq
