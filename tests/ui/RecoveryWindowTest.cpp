#include "ModalAnswers.h"
#include "WindowFixture.h"

#include "ui/TForm5.h"
#include "ui/TForm2.h"
#include "ui/MessageView.h"
#include "ui/TForm3.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include <fstream>
#include <iterator>

namespace mq {

namespace {

namespace fs = std::filesystem;

// Numbered lines: no piece of 64 bytes is found twice.
std::string body(std::size_t size, char fill) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += std::to_string(line) + std::string(60, fill) + "\r\n";
    return text;
}

// Three stored texts; the last one loses its second block.
const std::string Minutes =
    "Received: from mx.example.com by mail.example.com; Wed, 5 Mar 2003 09:30:00 +0000\r\n"
    "From: Carla <carla@example.com>\r\nReply-To: lists@example.org\r\nSubject: Minutes\r\n"
    "Date: Tue, 4 Mar 2003 10:00:00 +0000\r\n\r\nWrite to dirk@example.net please.\r\n";
const std::string Photos =
    "From: =?iso-8859-1?Q?H=FCgo?= <hugo@example.com>\r\nSubject: =?utf-8?B?UGhvdG9z?=\r\n"
    "Date: Fri, 2 Jan 2004 08:00:00 +0000\r\n\r\n" +
    body(1500, 'p');
const std::string Broken =
    "From: Eva <eva@example.com>\r\nSubject: Broken\r\n"
    "Date: Sat, 1 Jan 2005 12:00:00 +0000\r\n\r\n" +
    body(1500, 'b');

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class RecoveryWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> fixture;

    // Inbox.dbx with the three texts, its index root zeroed and the second block of the last
    // text overwritten: the folder shows nothing. The messages are recovered and all selected.
    TForm1& recoverInbox() {
        std::vector<DbxMessage> messages(3);
        messages[0].text = Minutes;
        messages[1].text = Photos;
        messages[2].text = Broken;
        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx", messages);
        fixture->writeStore(store);
        const fs::path file = fixture->storeDir() / "Inbox.dbx";
        std::string bytes = readFile(file);
        bytes.replace(48, 4, 4, '\0');  // the index root
        const std::size_t second = bytes.find(Broken.substr(512, 64)) - 16;
        bytes.replace(second, 528, 528, '\xff');
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;

        TForm1& form = fixture->start();
        fixture->clickFolder(QStringLiteral("Inbox"));
        form.findChild<QAction*>("RecoverMessages1")->trigger();
        form.SelectAll1Click();
        return form;
    }

private slots:
    void init() { fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // The recovered messages show as a folder of their own, with the header's dates, and in
    // the preview pane; choosing the folder again shows its own (none).
    void recoverListsWhatTheIndexLost() {
        TForm1& form = recoverInbox();
        // The rest of the cut text is a chain of its own, without a header: the oldest.
        QCOMPARE(fixture->list()->model()->rowCount(), 4);
        QCOMPARE(fixture->cell(0, 2), QString());
        QCOMPARE(fixture->cell(1, 0), QString("Carla <carla@example.com>"));
        QCOMPARE(fixture->cell(1, 1), QString("lists@example.org"));
        QCOMPARE(fixture->cell(1, 4), QString("05/03/2003 09:30:00"));
        QCOMPARE(fixture->cell(2, 0), QString::fromUtf8("H\u00fcgo <hugo@example.com>"));
        QCOMPARE(fixture->cell(2, 4), QString("02/01/2004 08:00:00"));
        QCOMPARE(fixture->cell(3, 2), QString("[incomplete] Broken"));
        auto* panel = form.findChild<QLabel*>("RecoveredPanel");
        QCOMPARE(panel->text(), QString("Recovered from Inbox.dbx: 4 messages (1 incomplete)"));
        QVERIFY(!panel->isHidden());

        // The preview pane reads a recovered row as the commands do.
        form.findChild<QAction*>("PreviewPane1")->trigger();
        fixture->clickRow(1);
        const auto* preview = form.findChild<MessageView*>("PreviewPane");
        QTRY_VERIFY(preview->findChild<QTextBrowser*>("MessageText")
                        ->toPlainText()
                        .contains("Write to dirk@example.net"));

        // The folder's own index lists none of the three its header counts, and says so.
        fixture->clickFolder(QStringLiteral("Inbox"));
        QCOMPARE(fixture->list()->model()->rowCount(), 0);
        QCOMPARE(panel->text(), QStringLiteral("The index lists 0 of 3 messages: File > Recover "
                                               "Messages... may find the others."));
        QVERIFY(!panel->isHidden());
        QVERIFY(fixture->dialogs.messages.empty());
    }

    // Saved as a folder's messages are: the stored bytes, named by the recovered subject; the
    // cut-short one as far as it remains, its last line ended.
    void savesRecoveredRowsAsStored() {
        TForm1& form = recoverInbox();
        const fs::path out = fixture->root() / "out";
        fs::create_directory(out);
        whenModal<TForm2>([this, &out](TForm2* dialog) {
            fixture->dialogs.folderAnswers << QString::fromStdString(out.string());
            dialog->findChild<QPushButton*>("Button1")->click();  // Browse...
            dialog->findChild<QPushButton*>("Button4")->click();  // Save
        });
        form.findChild<QAction*>("SaveSelectedtoIndividualFiles1")->trigger();
        QCOMPARE(readFile(out / "[Minutes].eml"), Minutes);
        QCOMPARE(readFile(out / "[Photos].eml"), Photos);
        QCOMPARE(readFile(out / "[Broken].eml"), Broken.substr(0, 512) + "\r\n");
        QVERIFY(fixture->dialogs.messages.empty());
    }

    void extractsAnAddressFromARecoveredBody() {
        TForm1& form = recoverInbox();
        QStringList rows;
        whenModal<TForm5>([&rows](TForm5* results) {
            const QAbstractItemModel* model = results->findChild<QListView*>("VST2")->model();
            for (int row = 0; row < model->rowCount(); ++row)
                rows << model->index(row, 0).data().toString();
            results->findChild<QPushButton*>("Button3")->click();
        });
        form.findChild<QAction*>("ExtractMessageBodyEmailAddresses1")->trigger();
        QVERIFY(rows.contains("dirk@example.net"));
    }
};

}  // namespace mq

QTEST_MAIN(mq::RecoveryWindowTest)
#include "RecoveryWindowTest.moc"
