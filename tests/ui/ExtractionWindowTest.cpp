#include "WindowFixture.h"

#include "ui/TForm5.h"
#include "support/FileLock.h"
#include "support/FullDisk.h"
#include "support/MailDate.h"
#include "ui/TForm3.h"
#include "ui/TSubjectObserver.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace mq;

namespace {

// What one extraction command showed: the progress dialog's caption (if one opened) and
// the results dialog's caption and rows.
struct Outcome {
    QString progressCaption;
    QString caption;
    QStringList rows;
};

QListView* resultsList(TForm5& results) {
    return results.findChild<QListView*>("VST2");
}
QPushButton* button(QWidget& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(name);
}

QStringList rowsOf(TForm5& results) {
    QStringList rows;
    const QAbstractItemModel* model = resultsList(results)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString();
    return rows;
}

void clickResultRow(TForm5& results, int row, Qt::KeyboardModifiers modifiers = {}) {
    QListView* list = resultsList(results);
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

// Runs a command through the surface `trigger`; while the progress dialog is up hands it to
// `duringScan`, and once the results dialog is up hands it to `inspect`, then closes it with
// its Close button.
Outcome run(const std::function<void()>& trigger,
            const std::function<void(TForm5&)>& inspect = {}) {
    Outcome outcome;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* progress = qobject_cast<TForm3*>(modal)) {
            outcome.progressCaption = progress->windowTitle();
        } else if (auto* results = qobject_cast<TForm5*>(modal)) {
            poll.stop();
            outcome.caption = results->windowTitle();
            outcome.rows = rowsOf(*results);
            if (inspect) inspect(*results);
            QTest::mouseClick(button(*results, "Button3"), Qt::LeftButton);
        }
    });
    poll.start();
    trigger();
    return outcome;
}

std::function<void()> action(TForm1& form, const QString& name) {
    return [&form, name] { form.findChild<QAction*>(name)->trigger(); };
}

std::function<void()> speedButton(TForm1& form, const QString& name) {
    return [&form, name] { QTest::mouseClick(form.findChild<QToolButton*>(name), Qt::LeftButton); };
}

DbxMessage mail(int day, std::string subject, std::string replyTo, std::string body) {
    DbxMessage m;
    m.subject = subject;
    m.from = "Sender";
    m.replyTo = std::move(replyTo);
    m.received = filetimeOf(2004, 3, day, 12, 0, 0);
    m.text =
        "From: Head Only <head.only@example.com>\r\nReply-To: header.reply@example.com\r\n"
        "Subject: " +
        subject + "\r\n\r\n" + body;
    return m;
}

// Addresses written every way people write them, in load order = display order (by date).
void writeAddressStore(WindowFixture& f) {
    StoreBuilder store;
    store.addFolder("Inbox", "Inbox.dbx",
                    {mail(1, "Angles", "Anne Smith <anne@example.com>",
                          "Write to <anne@example.com> or mailto:bob@example.org.\r\n"),
                     mail(2, "Quotes", "bob@example.org.",
                          "\"carl@example.net\" and Bob@Example.org, fred+lists@example.com\r\n"),
                     mail(3, "Soft break", "Reply Only <only.reply@example.com>",
                          "gina.longname@exam=\r\nple.com and hal@example.com=\r\n.uk\r\n"),
                     mail(4, "Case", "BOB@EXAMPLE.ORG", "ANNE@EXAMPLE.COM wrote:\r\n> quoted\r\n"),
                     mail(5, "Trailing", "", "the end: last@example.com"),
                     mail(6, "Nothing", "", "no address here\r\n")});
    f.writeStore(store);
}

void selectAll(WindowFixture& f) {
    f.form().findChild<QAction*>("SelectAll1")->trigger();
}

class ExtractionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void threeCommandsGiveTheirLists();
    void cancelStillShowsWhatWasFound();
    void lockedStoreShowsOneBoxThenTheResults();
    void zeroResultsStillOpenTheDialog();
    void saveAndCopyWriteTheSelectedRows();
};

void ExtractionWindowTest::threeCommandsGiveTheirLists() {
    WindowFixture f;
    writeAddressStore(f);
    TForm1& form = f.start();
    f.clickFolder("Inbox");
    selectAll(f);

    // The whole Reply-To text is one candidate: display names fail, a trailing stop goes,
    // letter-case variants are one row in the case met first.
    Outcome replyTo = run(action(form, "ExtractReplyToEmailAddresses1"));
    QCOMPARE(replyTo.progressCaption, QString());
    QCOMPARE(replyTo.caption, QStringLiteral(" 1  Reply to addresses found"));
    QCOMPARE(replyTo.rows, QStringList{"bob@example.org"});
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // Bodies only: nothing of the header lines; the plus sign, the soft line break and the
    // angle brackets, quotes and "mailto:" as the validator sees them.
    const QStringList bodies{"anne@example.com", "bob@example.org",  "carl@example.net",
                             "hal@example.com",  "last@example.com", "lists@example.com"};
    Outcome body = run(speedButton(form, "ExtractMessageBodyEmailAddresses3"));
    QCOMPARE(body.progressCaption, QStringLiteral("Extracting addresses from message bodies"));
    QCOMPARE(body.caption, QStringLiteral(" 6  Embedded addresses found"));
    QCOMPARE(body.rows, bodies);

    // Combined: the Reply-To texts are cut into tokens too.
    Outcome both = run(action(form, "ExtractBothReplytoandmessagebodyemailaddresses2"));
    QCOMPARE(both.progressCaption,
             QStringLiteral("Extracting both reply to and embedded addresses"));
    QCOMPARE(both.caption, QStringLiteral(" 7  Reply to and Embedded addresses found"));
    QStringList withReplyTo = bodies;
    withReplyTo.append("only.reply@example.com");
    QCOMPARE(both.rows, withReplyTo);

    // The combined mode ends with its command: the next body command is body-only.
    Outcome again = run(action(form, "ExtractMessageBodyEmailAddresses1"));
    QCOMPARE(again.progressCaption, QStringLiteral("Extracting addresses from message bodies"));
    QCOMPARE(again.caption, body.caption);
    QCOMPARE(again.rows, bodies);

    // Only the selected rows count, from the top down: rows 1 and 3 of the display.
    f.clickRow(1);
    f.clickRow(3, Qt::ControlModifier);
    Outcome some = run(action(form, "ExtractMessageBodyEmailAddresses2"));
    QCOMPARE(some.rows, (QStringList{"ANNE@EXAMPLE.COM", "Bob@Example.org", "carl@example.net",
                                     "lists@example.com"}));
}

void ExtractionWindowTest::cancelStillShowsWhatWasFound() {
    WindowFixture f;
    std::vector<DbxMessage> messages;
    for (int i = 1; i <= 20; ++i) {
        // Several blocks per message, so the scan notifies often.
        const std::string address =
            "user" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "@example.com";
        messages.push_back(mail(i, "Message " + std::to_string(i), "",
                                std::string(3000, 'z') + " " + address + "\r\n"));
    }
    StoreBuilder store;
    store.addFolder("Inbox", "Inbox.dbx", messages);
    f.writeStore(store);
    TForm1& form = f.start();
    f.clickFolder("Inbox");
    selectAll(f);

    // Cancel is clicked at the notification that counts the third message done.
    bool clicked = false;
    TSubjectObserver watcher;
    watcher.Active = true;
    watcher.OnUpdate = [&](TSubjectObserver*) {
        auto* progress = qobject_cast<TForm3*>(QApplication::activeModalWidget());
        if (progress && !clicked && form.progress().ProgressDone == 3) {
            clicked = true;
            QTest::mouseClick(button(*progress, "Button1"), Qt::LeftButton);
        }
    };
    form.AttachObserver(&watcher);
    Outcome cancelled = run(action(form, "ExtractMessageBodyEmailAddresses1"));
    form.DetachObserver(&watcher);
    QVERIFY(clicked);
    // The three finished messages, and nothing of the one being read at the click.
    QCOMPARE(cancelled.caption, QStringLiteral(" 3  Embedded addresses found"));
    QCOMPARE(cancelled.rows,
             (QStringList{"user01@example.com", "user02@example.com", "user03@example.com"}));
    QVERIFY(f.dialogs.messages.empty());

    // The stop ends with its run: the next command scans everything.
    Outcome whole = run(action(form, "ExtractMessageBodyEmailAddresses1"));
    QCOMPARE(whole.rows.size(), 20);
}

void ExtractionWindowTest::lockedStoreShowsOneBoxThenTheResults() {
    WindowFixture f;
    writeAddressStore(f);
    TForm1& form = f.start();
    f.clickFolder("Inbox");
    selectAll(f);

    auto mailClient = std::make_unique<test::FileLock>(f.storeDir() / "Inbox.dbx");
    Outcome locked = run(action(form, "ExtractBothReplytoandmessagebodyemailaddresses1"));
    mailClient.reset();

    QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(f.dialogs.messages[0].caption, QStringLiteral("Error"));
    QCOMPARE(f.dialogs.messages[0].text,
             QStringLiteral("DBX File Inbox.dbx cannot be accessed, make sure that Outlook "
                            "Express is not running"));
    QCOMPARE(f.dialogs.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(locked.caption, QStringLiteral(" 0  Reply to and Embedded addresses found"));
    QVERIFY(locked.rows.isEmpty());
}

void ExtractionWindowTest::zeroResultsStillOpenTheDialog() {
    WindowFixture f;
    writeAddressStore(f);
    TForm1& form = f.start();
    f.clickFolder("Inbox");
    f.clickRow(5);

    bool buttonsAfterSelectAll = true;
    Outcome none = run(action(form, "ExtractMessageBodyEmailAddresses1"), [&](TForm5& results) {
        // Fixed at the designed size, grown with the font.
        QCOMPARE(results.minimumSize(), results.maximumSize());
        QVERIFY(results.width() >= 414 && results.height() >= 268);
        // Tab order: Save, Copy, Close, Select All, the list.
        const QStringList controls{"Button1", "Button2", "Button3", "Button4", "VST2"};
        QStringList order;
        QWidget* at = button(results, "Button1");
        for (int step = 0; step < 40 && order.size() < controls.size(); ++step) {
            if (controls.contains(at->objectName()) && !order.contains(at->objectName()))
                order << at->objectName();
            at = at->nextInFocusChain();
        }
        QCOMPARE(order, controls);
        QTest::mouseClick(button(results, "Button4"), Qt::LeftButton);
        buttonsAfterSelectAll =
            button(results, "Button1")->isEnabled() || button(results, "Button2")->isEnabled();
    });
    QCOMPARE(none.caption, QStringLiteral(" 0  Embedded addresses found"));
    QVERIFY(none.rows.isEmpty());
    QVERIFY(!buttonsAfterSelectAll);

    Outcome replyTo = run(action(form, "ExtractReplyToEmailAddresses1"));
    QCOMPARE(replyTo.caption, QStringLiteral(" 0  Reply to addresses found"));
}

void ExtractionWindowTest::saveAndCopyWriteTheSelectedRows() {
    WindowFixture f;
    writeAddressStore(f);
    TForm1& form = f.start();
    f.clickFolder("Inbox");
    selectAll(f);

    QTemporaryDir out;
    const QString target = out.filePath("addresses.txt");
    {
        QFile existing(target);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("old content that is longer than the new one\r\n");
    }
    const QString unwritable = out.filePath("missing/addresses.txt");
    f.dialogs.saveAnswers = QStringList{QString(), unwritable, target, target};

    QString clipboard;
    run(action(form, "ExtractMessageBodyEmailAddresses1"), [&](TForm5& results) {
        QPushButton* save = button(results, "Button1");
        QPushButton* copy = button(results, "Button2");
        QCOMPARE(save->text(), QStringLiteral("&Save "));
        QVERIFY(!save->isEnabled() && !copy->isEnabled());

        // Select All, then one click: that row alone, the buttons still enabled.
        QTest::mouseClick(button(results, "Button4"), Qt::LeftButton);
        QCOMPARE(resultsList(results)->selectionModel()->selectedRows().size(), 6);
        clickResultRow(results, 4);
        QCOMPARE(resultsList(results)->selectionModel()->selectedRows().size(), 1);
        QVERIFY(save->isEnabled() && copy->isEnabled());

        // Rows picked from the bottom up are still written in the order shown.
        clickResultRow(results, 2, Qt::ControlModifier);
        clickResultRow(results, 0, Qt::ControlModifier);
        clickResultRow(results, 4, Qt::ControlModifier);  // off again
        QTest::mouseClick(save, Qt::LeftButton);          // cancelled: nothing
        QTest::mouseClick(save, Qt::LeftButton);          // a folder that does not exist
        QTest::mouseClick(save, Qt::LeftButton);
        QTest::mouseClick(copy, Qt::LeftButton);
        clipboard = QGuiApplication::clipboard()->text();

        // A write that fails part way, as on a full disk: its own message, and the file
        // saved before stays as it was.
        if (test::FileSizeLimit::supported) {
            const test::FileSizeLimit full(20);
            QTest::mouseClick(button(results, "Button4"), Qt::LeftButton);
            QTest::mouseClick(save, Qt::LeftButton);
        } else {
            qInfo() << "Not tried:" << test::FileSizeLimit::unsupportedReason;
        }
        clickResultRow(results, 0);
        clickResultRow(results, 2, Qt::ControlModifier);

        // Deselecting the last row disables both again.
        clickResultRow(results, 2, Qt::ControlModifier);
        clickResultRow(results, 0, Qt::ControlModifier);
        QVERIFY(!save->isEnabled() && !copy->isEnabled());
        // A selection made with the keyboard counts as well.
        QTest::keyClick(resultsList(results), Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(save->isEnabled() && copy->isEnabled());
    });

    const QString expected = QStringLiteral("anne@example.com\r\ncarl@example.net\r\n");
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(saved.readAll()), expected);
    QCOMPARE(clipboard, expected);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"addresses.txt"});

    const std::size_t fullDisk = test::FileSizeLimit::supported ? 1 : 0;
    QCOMPARE(f.dialogs.saveRequests.size(), 3 + fullDisk);
    // Save starts in the save folder, suggesting addresses.txt, then where it saved last.
    QCOMPARE(f.dialogs.saveRequests[0].mid(0, 2), (QStringList{"Text File (*.txt)", "txt"}));
    QVERIFY(f.dialogs.saveRequests[0][2].endsWith("/addresses.txt"));
    QCOMPARE(f.dialogs.saveRequests[2][2], unwritable);
    QCOMPARE(f.dialogs.messages.size(), 1 + fullDisk);
    QCOMPARE(f.dialogs.messages[0].caption, QStringLiteral("Error"));
    QCOMPARE(f.dialogs.messages[0].text, "Cannot create file " + unwritable);
    if (fullDisk) {
        QCOMPARE(f.dialogs.messages[1].caption, QStringLiteral("Error"));
        QVERIFY(!f.dialogs.messages[1].text.isEmpty());
        QVERIFY(!f.dialogs.messages[1].text.startsWith("Cannot create file"));
    }
}

}  // namespace

QTEST_MAIN(ExtractionWindowTest)
#include "ExtractionWindowTest.moc"
