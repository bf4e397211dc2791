#include "ModalAnswers.h"
#include "WindowFixture.h"

#include "support/MailDate.h"
#include "ui/MessageView.h"
#include "ui/TFindDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <fstream>
#include <iterator>

namespace mq {

namespace {

namespace fs = std::filesystem;

DbxMessage mail(const std::string& subject, const std::string& from, int year) {
    DbxMessage m;
    m.subject = subject;
    m.from = from;
    m.received = filetimeOf(year, 5, 6, 12);
    m.text = "From: " + from + "\r\nSubject: " + subject + "\r\n\r\nText of " + subject + "\r\n";
    return m;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class FindWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> fixture;

    // Edit > Find Messages... with `words` in all folders; `check` sees the dialog first.
    void find(
        TForm1& form, const QString& words,
        std::function<void(TFindDialog*)> check = [](TFindDialog*) {}) {
        whenModal<TFindDialog>([words, check](TFindDialog* dialog) {
            check(dialog);
            dialog->findChild<QLineEdit*>("FindWords")->setText(words);
            dialog->findChild<QPushButton*>("FindButton")->click();
        });
        form.findChild<QAction*>("FindMessages1")->trigger();
    }

private slots:
    void init() {
        fixture = std::make_unique<WindowFixture>();
        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx",
                        {mail("Invoice 2003", "Bob", 2003), mail("Lunch", "Carla", 2002),
                         mail("Old invoice", "Dirk", 2001)});
        store.addFolder("Sent", "Sent.dbx", {mail("Re: invoice 2003", "Anne", 2004)});
        fixture->writeStore(store);
    }
    void cleanup() { fixture.reset(); }

    // Found messages of two folders fill the list, say where they came from, and save as a
    // folder's rows do; a search that finds nothing leaves them.
    void findsAcrossFoldersAndSavesTheResults() {
        TForm1& form = fixture->start();
        fixture->clickFolder(QStringLiteral("Inbox"));
        find(form, QStringLiteral("INVOICE"), [](TFindDialog* dialog) {
            auto* words = dialog->findChild<QLineEdit*>("FindWords");
            auto* button = dialog->findChild<QPushButton*>("FindButton");
            words->setText(QStringLiteral("  "));
            QVERIFY(!button->isEnabled());
            words->setText(QStringLiteral("x"));
            QVERIFY(button->isEnabled());
            QVERIFY(dialog->findChild<QCheckBox*>("FindSubject")->isChecked());
            QVERIFY(dialog->findChild<QCheckBox*>("FindPeople")->isChecked());
            QVERIFY(!dialog->findChild<QCheckBox*>("FindText")->isChecked());
            dialog->findChild<QCheckBox*>("FindDateRange")->setChecked(true);
            dialog->findChild<QDateEdit*>("FindFrom")->setDate(QDate(2003, 2, 1));
            dialog->findChild<QDateEdit*>("FindTo")->setDate(QDate(2003, 1, 1));
            QVERIFY(!button->isEnabled());
            QCOMPARE(dialog->findChild<QLabel*>("FindProblem")->text(),
                     QString("The end of the date range is before its start."));
            dialog->findChild<QCheckBox*>("FindDateRange")->setChecked(false);
        });
        QCOMPARE(fixture->list()->model()->rowCount(), 3);
        QCOMPARE(fixture->cell(0, 2), QString("Old invoice"));
        QCOMPARE(fixture->cell(2, 2), QString("Re: invoice 2003"));
        auto* panel = form.findChild<QLabel*>("FoundPanel");
        QCOMPARE(panel->text(), QString("Found 3 messages in 2 folders for \"INVOICE\""));

        form.findChild<QAction*>("PreviewPane1")->trigger();
        fixture->clickRow(2);
        const auto* preview = form.findChild<MessageView*>("PreviewPane");
        QTRY_COMPARE(preview->findChild<QLineEdit*>("Folder")->text(), QString("Sent"));

        form.SelectAll1Click();
        const fs::path out = fixture->root() / "found.txt";
        fixture->dialogs.saveAnswers << QString::fromStdString(out.string());
        form.findChild<QAction*>("SaveSelectedToaSingleFile1")->trigger();
        const std::string saved = readFile(out);
        QVERIFY(saved.find("Text of Old invoice") != std::string::npos);
        QVERIFY(saved.find("Text of Re: invoice 2003") != std::string::npos);
        QVERIFY(saved.find("Lunch") == std::string::npos);

        find(form, QStringLiteral("\"invoice 2004\""));
        QCOMPARE(panel->text(), QString("No messages found for \"\"invoice 2004\"\""));
        QCOMPARE(fixture->list()->model()->rowCount(), 3);
        QVERIFY(fixture->dialogs.messages.empty());

        fixture->clickFolder(QStringLiteral("Inbox"));
        QCOMPARE(fixture->list()->model()->rowCount(), 3);
        QCOMPARE(fixture->cell(1, 2), QString("Lunch"));
        QVERIFY(panel->isHidden());
    }
};

}  // namespace mq

QTEST_MAIN(mq::FindWindowTest)
#include "FindWindowTest.moc"
