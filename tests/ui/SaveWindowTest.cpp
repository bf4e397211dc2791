#include "ModalAnswers.h"
#include "WindowFixture.h"

#include "ui/TForm2.h"
#include "support/Environment.h"
#include "support/FileLock.h"
#include "support/FullDisk.h"
#include "support/MailDate.h"
#include "ui/TForm3.h"
#include "ui/TSubjectObserver.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <ctime>
#include <fstream>
#include <iterator>

namespace mq {

namespace {

namespace fs = std::filesystem;

const QString DbxError = QStringLiteral(
    "DBX File Inbox.dbx cannot be accessed, make sure that Outlook Express is not running");

// A text of `size` bytes (at least its header), ending in CR LF.
std::string textOf(const std::string& subject, std::size_t size) {
    std::string text = "Subject: " + subject + "\r\n\r\n";
    if (text.size() + 2 < size) text.resize(size - 2, char('a' + subject.size() % 26));
    return text + "\r\n";
}

DbxMessage message(const std::string& subject, std::string text, std::uint64_t received) {
    DbxMessage m;
    m.from = "Anne";
    m.subject = subject;
    m.text = std::move(text);
    m.received = received;
    return m;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QStringList namesIn(const fs::path& folder) {
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

}  // namespace

class SaveWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> fixture;
    fs::path outDir;
    // The progress dialog's remaining-count texts, as the user saw them change.
    QStringList remainingShown;
    TSubjectObserver watcher;
    std::function<void(TForm3*)> duringRun;

    // A store with one folder "Inbox" of these messages; the window shows it, all selected.
    TForm1& openInbox(const std::vector<DbxMessage>& messages) {
        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx", messages);
        fixture->writeStore(store);
        TForm1& form = fixture->start();
        fixture->clickFolder(QStringLiteral("Inbox"));
        form.SelectAll1Click();
        return form;
    }

    // Watches the progress dialog from its first update on, after its own observer.
    void watchProgress(TForm1& form) {
        remainingShown.clear();
        watcher.Active = true;
        watcher.OnUpdate = [this](TSubjectObserver*) {
            auto* dialog = qobject_cast<TForm3*>(QApplication::activeModalWidget());
            if (!dialog) return;
            const QString shown = dialog->findChild<QLabel*>("Label2")->text();
            if (remainingShown.isEmpty() || remainingShown.back() != shown) remainingShown << shown;
            if (duringRun) duringRun(dialog);
        };
        whenModal<TForm3>([&form, this](TForm3*) { form.AttachObserver(&watcher); });
    }

    // File > Save to Individual Files..., confirmed with Save after `adjust` has run on the
    // Save Preferences dialog.
    void saveToFiles(TForm1& form, const std::function<void(TForm2*)>& adjust = {}) {
        whenModal<TForm2>([this, adjust](TForm2* dialog) {
            fixture->dialogs.folderAnswers << QString::fromStdString(outDir.string());
            dialog->findChild<QPushButton*>("Button1")->click();  // Browse...
            if (adjust) adjust(dialog);
            dialog->findChild<QPushButton*>("Button4")->click();  // Save
        });
        watchProgress(form);
        form.findChild<QAction*>("SaveSelectedtoIndividualFiles1")->trigger();
        form.DetachObserver(&watcher);
    }

    void saveToSingleFile(TForm1& form, const fs::path& path) {
        fixture->dialogs.saveAnswers << QString::fromStdString(path.string());
        watchProgress(form);
        form.findChild<QAction*>("SaveSelectedToaSingleFile1")->trigger();
        form.DetachObserver(&watcher);
    }

    QString statusLine(TForm1& form) const {
        return form.findChild<QStatusBar*>("StatusBar1")->currentMessage();
    }

    QStringList errorTexts() const {
        QStringList texts;
        for (const auto& m : fixture->dialogs.messages) texts << m.text;
        return texts;
    }

private slots:
    void init() {
        fixture = std::make_unique<WindowFixture>();
        duringRun = nullptr;
        outDir = fs::path(QDir::tempPath().toStdString()) /
                 ("mq-saved-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                  QTest::currentTestFunction());
        fs::remove_all(outDir);
        fs::create_directories(outDir);
    }
    void cleanup() {
        fixture.reset();
        fs::remove_all(outDir);
    }

    void savesEachMessageExactlyUnderItsNameInDisplayOrder() {
        // Load order differs from display order, which is by date received.
        const std::string a = textOf("A", 1400), b1 = "Subject: B\nlone line ends",
                          b2 = textOf("B", 700);
        TForm1& form = openInbox({message("B", b2, filetimeOf(2005, 1, 1)),
                                  message("A", a, filetimeOf(2003, 1, 1)),
                                  message("B", b1, filetimeOf(2004, 1, 1))});

        saveToFiles(form);

        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(namesIn(outDir), (QStringList{"[A].eml", "[B](2).eml", "[B].eml"}));
        QCOMPARE(readFile(outDir / "[A].eml"), a);
        QCOMPARE(readFile(outDir / "[B].eml"), b1 + "\r\n");  // earlier of the two B
        QCOMPARE(readFile(outDir / "[B](2).eml"), b2);
        QCOMPARE(remainingShown, (QStringList{"Item(s) Remaining...3", "Item(s) Remaining...2",
                                              "Item(s) Remaining...1", "Item(s) Remaining...0"}));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(statusLine(form),
                 "3 messages saved to " + QString::fromStdString(outDir.string()));
        // The line stays until the user does something else.
        fixture->clickRow(0);
        QCOMPARE(statusLine(form), QString());
    }

    void cancelDuringTheThirdOfFiveKeepsTwo() {
        std::vector<DbxMessage> messages;
        for (int i = 1; i <= 5; ++i)
            messages.push_back(
                message("m" + std::to_string(i), textOf("m", 1500), filetimeOf(2000 + i, 1, 1)));
        TForm1& form = openInbox(messages);
        duringRun = [](TForm3* dialog) {
            if (dialog->findChild<QLabel*>("LongLabel1")->text() == "Saving Message: [m3].eml")
                QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        };

        saveToFiles(form);

        QCOMPARE(namesIn(outDir), (QStringList{"[m1].eml", "[m2].eml"}));
        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(statusLine(form), QStringLiteral("Saving cancelled after 2 of 5 messages"));

        // The same stop during a single-file save still writes the first two.
        duringRun = [](TForm3* dialog) {
            if (dialog->findChild<QLabel*>("LongLabel1")->text() == "Adding Message: m3")
                QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        };
        saveToSingleFile(form, outDir / "all.txt");
        QCOMPARE(readFile(outDir / "all.txt"),
                 " \r\n" + textOf("m", 1500) + " \r\n" + textOf("m", 1500) + " \r\n");
        QCOMPARE(statusLine(form), QStringLiteral("Saving cancelled after 2 of 5 messages"));
    }

    void aCloseRequestDuringTheRunChangesNothing() {
        TForm1& form = openInbox({message("a", textOf("a", 1200), filetimeOf(2001, 1, 1)),
                                  message("b", textOf("b", 1200), filetimeOf(2002, 1, 1))});
        int closeRequests = 0;
        duringRun = [&closeRequests](TForm3* dialog) {
            ++closeRequests;
            dialog->close();
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
        };

        saveToFiles(form);

        QVERIFY(closeRequests > 2);
        QCOMPARE(namesIn(outDir), (QStringList{"[a].eml", "[b].eml"}));
    }

    void aLockedStoreGivesOneBoxAndNoFile() {
        TForm1& form = openInbox({message("a", "a\r\n", filetimeOf(2001, 1, 1)),
                                  message("b", "b\r\n", filetimeOf(2002, 1, 1)),
                                  message("c", "c\r\n", filetimeOf(2003, 1, 1))});
        const test::FileLock mailClient(fixture->storeDir() / "Inbox.dbx");

        saveToFiles(form);
        QCOMPARE(errorTexts(), QStringList{DbxError});
        QVERIFY(namesIn(outDir).isEmpty());

        // The single file is still written, holding its first line only.
        fixture->dialogs.messages.clear();
        saveToSingleFile(form, outDir / "all.txt");
        QCOMPARE(errorTexts(), QStringList{DbxError});
        QCOMPARE(readFile(outDir / "all.txt"), std::string(" \r\n"));
    }

    void aMissingFolderGivesOneBoxPerMessage() {
        TForm1& form = openInbox({message("a", "a\r\n", filetimeOf(2001, 1, 1)),
                                  message("b", "b\r\n", filetimeOf(2002, 1, 1)),
                                  message("c", "c\r\n", filetimeOf(2003, 1, 1))});
        const fs::path chosen = outDir;
        outDir = outDir / "gone";  // the folder the browser returns does not exist

        saveToFiles(form);

        const QString folder = QString::fromStdString(outDir.string());
        QCOMPARE(errorTexts(), (QStringList{"Error during file save to: " + folder + "/[a].eml",
                                            "Error during file save to: " + folder + "/[b].eml",
                                            "Error during file save to: " + folder + "/[c].eml"}));
        QVERIFY(!fs::exists(outDir));
        QVERIFY(!remainingShown.isEmpty());
        QCOMPARE(remainingShown.back(), QStringLiteral("Item(s) Remaining...0"));
        outDir = chosen;
    }

    void foldersOutsideTheCodePageKeepTheirNames() {
        // U+0119 has no place in page 1252.
        const fs::path chosen = outDir;
        outDir = outDir / "Zdj\u0119cia";
        fs::create_directories(outDir);
        TForm1& form = openInbox({message("a", "a\r\n", filetimeOf(2001, 1, 1))});
        saveToFiles(form);
        saveToSingleFile(form, outDir / "all.txt");
        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(namesIn(outDir), (QStringList{"[a].eml", "all.txt"}));

        // The next run offers the same folder.
        fixture->closeWindow();
        TForm1& again = fixture->start();
        QString offered;
        whenModal<TForm2>([&offered](TForm2* dialog) {
            offered = dialog->findChild<QLineEdit*>("Edit2")->text();
            dialog->findChild<QPushButton*>("Button2")->click();
        });
        again.SaveSelectedtoIndividualFiles1Click();
        QCOMPARE(offered, QString::fromStdString(outDir.string()));
        outDir = chosen;
    }

    void fileTimesAreTheMessageTimeInEitherZone() {
        if (!test::ScopedTimeZone::supported) QSKIP(test::ScopedTimeZone::unsupportedReason);
        // 09:00 UTC: 10:00 local one hour ahead in standard time, 11:00 with daylight time.
        const std::uint64_t received = filetimeOf(2026, 3, 14, 9, 0, 0);
        const qint64 expected = qint64((received - 116444736000000000ull) / 10000000);
        const char* zones[] = {"XST-1", "XST-1XDT-2,0/0,J365/25"};
        const QString saved = QString::fromStdString((outDir / "[dated].eml").string());
        for (const char* zone : zones) {
            const test::ScopedTimeZone inForce(zone);
            fs::remove_all(outDir);
            fs::create_directories(outDir);
            TForm1& form = openInbox({message("dated", "x\r\n", received)});
            saveToFiles(form, [](TForm2* dialog) {
                dialog->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
            });
            const QFileInfo info(saved);
            QVERIFY(info.exists());
            QCOMPARE(info.lastModified().toSecsSinceEpoch(), expected);
            QCOMPARE(info.lastRead().toSecsSinceEpoch(), expected);
            fixture->destroyWindow();
        }

        // Without the option the file keeps the time of its writing.
        const test::ScopedTimeZone inForce("XST-1");
        fs::remove_all(outDir);
        fs::create_directories(outDir);
        TForm1& form = openInbox({message("dated", "x\r\n", received)});
        saveToFiles(form);
        const QFileInfo info(saved);
        QVERIFY(info.exists());
        QVERIFY(std::abs(info.lastModified().toSecsSinceEpoch() - std::time(nullptr)) < 60);
    }

    void theSingleFileHoldsTheMessagesBetweenBlankLines() {
        const std::string a = textOf("A", 1100), b = "Subject: B\r\n\r\nno line end";
        TForm1& form = openInbox(
            {message("Re: B", b, filetimeOf(2004, 1, 1)), message("A", a, filetimeOf(2003, 1, 1))});

        saveToSingleFile(form, outDir / "all.txt");

        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(readFile(outDir / "all.txt"), " \r\n" + a + " \r\n" + b + "\r\n \r\n");
        QVERIFY(!remainingShown.isEmpty());
        QCOMPARE(remainingShown.back(), QStringLiteral("Item(s) Remaining...0"));
        QCOMPARE(statusLine(form),
                 "2 messages saved to " + QString::fromStdString((outDir / "all.txt").string()));
        // The dialog starts in the folder the last save went to, with the folder's name, its
        // filter and default extension; so does the next run of the program.
        saveToSingleFile(form, outDir / "again.txt");
        const QStringList inbox{"Text File (*.txt)", "txt",
                                QString::fromStdString((outDir / "Inbox.txt").string())};
        QCOMPARE(fixture->dialogs.saveRequests.back(), inbox);
        fixture->closeWindow();
        TForm1& again = fixture->start();
        fixture->clickFolder(QStringLiteral("Inbox"));
        again.SelectAll1Click();
        saveToSingleFile(again, outDir / "again.txt");
        QCOMPARE(fixture->dialogs.saveRequests.back(), inbox);
    }

    void aFailedSingleFileWriteKeepsTheChosenFile() {
        if (!test::FileSizeLimit::supported) QSKIP(test::FileSizeLimit::unsupportedReason);
        TForm1& form = openInbox({message("a", textOf("a", 5000), filetimeOf(2001, 1, 1))});
        const fs::path chosen = outDir / "keep.txt";
        std::ofstream(chosen, std::ios::binary) << "the user's file";

        {
            const test::FileSizeLimit full(1000);  // the disk fills up after 1000 bytes
            saveToSingleFile(form, chosen);
        }

        QCOMPARE(errorTexts(), QStringList{"Error during file save to: " +
                                           QString::fromStdString(chosen.string())});
        QCOMPARE(readFile(chosen), std::string("the user's file"));
        QCOMPARE(namesIn(outDir), QStringList{"keep.txt"});
    }
};

}  // namespace mq

QTEST_MAIN(mq::SaveWindowTest)
#include "SaveWindowTest.moc"
