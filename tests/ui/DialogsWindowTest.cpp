#include "ModalAnswers.h"
#include "ScriptedDialogs.h"
#include "WindowFixture.h"

#include "platform/AnsiCodePage.h"
#include "ui/TForm2.h"
#include "ui/ProgressSubject.h"
#include "ui/TAboutBox.h"
#include "ui/TForm3.h"
#include "ui/TForm6.h"
#include "ui/TLongLabel.h"
#include "ui/TSubjectObserver.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <chrono>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace mq {

namespace {

// A main window's side of the progress dialog without a window: counts what it is asked.
class CountingSubject : public ProgressSubject {
public:
    void SaveMessagesToFiles() override {
        ++runs;
        if (failure) throw std::runtime_error(failure);
    }
    void SaveMessagesToSingleFile(const std::string& path) override { runs += path == "p" ? 1 : 0; }
    void ExtractBodyAddresses() override {
        ++runs;
        for (; !progress().Cancelled && notifications < notificationLimit; ++notifications) {
            NotifyObservers();
            // A few microseconds a block, as a read takes.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(5);
            while (std::chrono::steady_clock::now() < until) {
            }
        }
    }
    void ExportAllFolders() override { ++runs; }
    void RecoverMessages() override { ++runs; }
    void FindMessages() override { ++runs; }
    void showError(const std::string& text) override { errors.push_back(text); }
    int runs = 0;
    int notificationLimit = 0;  // the body-address run notifies until cancelled or this many
    int notifications = 0;
    const char* failure = nullptr;
    std::vector<std::string> errors;
};

TPref storedPrefs() {
    TPref pref;
    pref.Default_Filename = "No Subject";
    pref.Default_Extension = ".TXT";
    pref.Directory = "/mail/";
    pref.Remove_Re = false;
    pref.CreationDate = true;
    pref.FileNameDateFormat = "yyyymmdd";
    pref.EncloseItems = true;
    return pref;
}

FileNameItems defaultSlots() {
    FileNameItems items;
    parseFileNameFormat("From0,To0,Subject1,Date0,Reply_To_Address0", items);
    return items;
}

// Calls `seen` for every event of `type` that reaches `watched`.
class EventSpy : public QObject {
public:
    EventSpy(QObject* watched, QEvent::Type type, std::function<void()> seen)
        : type_(type), seen_(std::move(seen)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) seen_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> seen_;
};

template <class T>
T* child(QWidget* parent, const char* name) {
    T* found = parent->findChild<T*>(name);
    if (!found) qFatal("no control %s", name);
    return found;
}

}  // namespace

class DialogsWindowTest : public QObject {
    Q_OBJECT

private:
    ScriptedDialogs dialogs;
    AnsiCodePage codePage{1252};
    QStringList helpTopics;

    std::unique_ptr<TForm2> openPreferences(const TPref& pref, const FileNameItems& items) {
        auto form = std::make_unique<TForm2>(
            dialogs, codePage, [this](const QString& topic) { helpTopics << topic; }, nullptr);
        form->fill(pref, items);
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) qWarning("the dialog is not active");
        return form;
    }

    // Types into the default name and moves on to the next control.
    void leaveEdit1With(TForm2& form, const QString& text) {
        auto* edit = child<QLineEdit>(&form, "Edit1");
        edit->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(edit->hasFocus());
        edit->setText(text);
        child<QComboBox>(&form, "ComboBox1")->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        dialogs.messages.clear();
        helpTopics.clear();
    }

    void preferencesFillAndReadBackAsStored() {
        auto form = openPreferences(storedPrefs(), defaultSlots());
        QCOMPARE(form->windowTitle(), QStringLiteral("Save Preferences"));
        QCOMPARE(child<QComboBox>(form.get(), "ComboBox1")->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(form.get(), "Edit2")->text(), QStringLiteral("/mail/"));
        QVERIFY(child<QLineEdit>(form.get(), "Edit2")->isReadOnly());
        auto* list = child<QListWidget>(form.get(), "CheckListBox1");
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->item(2)->text(), QStringLiteral("Subject"));
        QCOMPARE(list->item(2)->checkState(), Qt::Checked);
        QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);

        TPref pref = storedPrefs();
        FileNameItems items = defaultSlots();
        form->readBack(pref, items);
        QCOMPARE(pref.Default_Extension, std::string(".txt"));  // stored in lower case
        QCOMPARE(pref.Directory, std::string("/mail/"));
        QVERIFY(pref.CreationDate);
        QCOMPARE(formatFileNameFormat(items),
                 std::string("From0,To0,Subject1,Date0,Reply_To_Address0"));

        child<QComboBox>(form.get(), "ComboBox1")->setCurrentIndex(0);
        form->readBack(pref, items);
        QCOMPARE(pref.Default_Extension, std::string(".eml"));

        // Tab walks the controls in the designed order.
        QStringList order;
        QWidget* widget = child<QLineEdit>(form.get(), "Edit1");
        do {
            if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != child<QLineEdit>(form.get(), "Edit1"));
        QCOMPARE(order, (QStringList{"Edit1", "ComboBox1", "CheckBox1", "Edit2", "Button1",
                                     "Button4", "Button2", "Button3", "CheckBox2", "Edit3",
                                     "CheckListBox1", "CheckBox3"}));
    }

    void moveButtonsCarryTheTickAlong() {
        auto form = openPreferences(storedPrefs(), defaultSlots());
        auto* list = child<QListWidget>(form.get(), "CheckListBox1");
        auto* up = child<QPushButton>(form.get(), "SpeedButton1");
        auto* down = child<QPushButton>(form.get(), "SpeedButton2");
        QVERIFY(!up->isEnabled() && !down->isEnabled());

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(2)).center());
        QVERIFY(up->isEnabled() && down->isEnabled());
        up->click();
        up->click();
        up->click();  // already first: nothing moves
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Subject"));
        QCOMPARE(list->item(0)->checkState(), Qt::Checked);

        list->setCurrentRow(4);
        down->click();  // already last
        QCOMPARE(list->item(4)->text(), QStringLiteral("Reply_To_Address"));

        TPref pref = storedPrefs();
        FileNameItems items = defaultSlots();
        form->readBack(pref, items);
        QCOMPARE(formatFileNameFormat(items),
                 std::string("Subject1,From0,To0,Date0,Reply_To_Address0"));
    }

    void leavingTheDefaultNameChecksIt() {
        auto form = openPreferences(storedPrefs(), defaultSlots());
        auto* edit = child<QLineEdit>(form.get(), "Edit1");
        auto* removeRe = child<QCheckBox>(form.get(), "CheckBox1");

        leaveEdit1With(*form, "What? Now");
        QCOMPARE(dialogs.messages.size(), std::size_t(1));
        QCOMPARE(dialogs.messages[0].caption, QStringLiteral("Information"));
        QCOMPARE(dialogs.messages[0].text, QStringLiteral("Default Filename Corrected"));
        QCOMPARE(edit->text(), QStringLiteral("What  Now"));
        QTRY_VERIFY(edit->hasFocus());

        removeRe->setChecked(true);
        leaveEdit1With(*form, "Re: Notes");
        QCOMPARE(edit->text(), QStringLiteral("Notes"));
        removeRe->setChecked(false);
        leaveEdit1With(*form, "Re: Notes");
        QCOMPARE(edit->text(), QStringLiteral("Re  Notes"));

        dialogs.messages.clear();
        leaveEdit1With(*form, " ?*| ");
        QCOMPARE(dialogs.messages.size(), std::size_t(1));
        QCOMPARE(dialogs.messages[0].caption, QStringLiteral("Error"));
        QCOMPARE(dialogs.messages[0].text, QStringLiteral("Error in Default Filename"));
        QCOMPARE(edit->text(), QStringLiteral("No Subject"));  // the stored name, not the last

        dialogs.messages.clear();
        leaveEdit1With(*form, "Fine name");
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(edit->text(), QStringLiteral("Fine name"));
    }

    void neitherEnterNorEscCloses() {
        auto form = openPreferences(storedPrefs(), defaultSlots());
        child<QLineEdit>(form.get(), "Edit3")->setFocus();
        QTest::keyClick(form.get(), Qt::Key_Return);
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QCOMPARE(form->result(), 0);

        child<QPushButton>(form.get(), "Button3")->click();
        QCOMPARE(helpTopics, QStringList{"Topic2"});
        QVERIFY(form->isVisible());

        child<QPushButton>(form.get(), "Button2")->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
    }

    void browsingStartsFromTheFolderShown() {
        auto form = openPreferences(storedPrefs(), defaultSlots());
        dialogs.folderAnswers << "/elsewhere";
        child<QPushButton>(form.get(), "Button1")->click();
        QCOMPARE(dialogs.browseRequests.back(), QStringLiteral("/mail/"));
        QCOMPARE(child<QLineEdit>(form.get(), "Edit2")->text(), QStringLiteral("/elsewhere"));
        child<QPushButton>(form.get(), "Button1")->click();  // cancelled: no change
        QCOMPARE(child<QLineEdit>(form.get(), "Edit2")->text(), QStringLiteral("/elsewhere"));

        TPref empty = storedPrefs();
        empty.Directory.clear();
        auto second = openPreferences(empty, defaultSlots());
        child<QPushButton>(second.get(), "Button1")->click();
        QCOMPARE(dialogs.browseRequests.back(), QDir::homePath());
    }

    void cancelledPreferencesSaveNothing() {
        WindowFixture fixture;
        fixture.writeStandardStore();
        TForm1& form = fixture.start();
        fixture.clickFolder("Inbox");
        form.SelectAll1Click();
        bool progressShown = false;
        whenModal<TForm2>([](TForm2* dialog) {
            child<QLineEdit>(dialog, "Edit3")->setText("hh");
            child<QCheckBox>(dialog, "CheckBox3")->setChecked(false);
            child<QListWidget>(dialog, "CheckListBox1")->item(0)->setCheckState(Qt::Checked);
            child<QPushButton>(dialog, "Button2")->click();
        });
        whenModal<TForm3>([&progressShown](TForm3*) { progressShown = true; });
        form.findChild<QAction*>("SaveSelectedtoIndividualFiles1")->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!progressShown);

        // The next opening shows the options as they were.
        whenModal<TForm2>([](TForm2* dialog) {
            QCOMPARE(child<QLineEdit>(dialog, "Edit3")->text(), QStringLiteral("yyyymmdd"));
            QVERIFY(child<QCheckBox>(dialog, "CheckBox3")->isChecked());
            child<QPushButton>(dialog, "Button2")->click();
        });
        form.findChild<QAction*>("SaveSelectedtoIndividualFiles1")->trigger();
        fixture.closeWindow();
        QCOMPARE(fixture.storedPref("Settings", "FileNameDateFormat"), std::string("yyyymmdd"));
        QCOMPARE(fixture.storedPref("Settings", "FileNameFormat"),
                 std::string("From0,To0,Subject1,Date0,Reply_To_Address0"));
    }

    void progressDialogRunsThePendingOperationOnce() {
        const int operations[] = {1, 2, 3, 4, 5, 99};
        for (const int operation : operations) {
            CountingSubject subject;
            subject.progress().ProgressTotal = 4;
            subject.progress().ProgressItem = "p";
            subject.progress().PendingOperation = operation;
            TForm3 dialog(subject, nullptr);
            QCOMPARE(child<QProgressBar>(&dialog, "ProgressBar1")->maximum(), 4);
            QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
            QVERIFY(dialog.width() >= 396 && dialog.height() >= 103);
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(dialog.exec(), int(QDialog::Accepted));
            QVERIFY2(clock.elapsed() < 1000, "closes on the timer tick after the operation");
            QCOMPARE(subject.runs, operation == 99 ? 0 : 1);
            QVERIFY(dialog.Finished);
        }

        // A failure inside the operation is shown; the dialog still closes.
        CountingSubject failing;
        failing.failure = "no memory left";
        failing.progress().PendingOperation = 1;
        TForm3 dialog(failing, nullptr);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(failing.errors, std::vector<std::string>{"no memory left"});
        QVERIFY(failing.progress().Cancelled);
    }

    void cancelReachesARunThatNotifiesOften() {
        // The click waits in the event queue, as a person's does, until a notification
        // processes the pending events.
        CountingSubject subject;
        subject.notificationLimit = 100'000;
        subject.progress().PendingOperation = 3;
        TForm3 dialog(subject, nullptr);
        TSubjectObserver clicker;
        clicker.Active = true;
        clicker.OnUpdate = [&](TSubjectObserver*) {
            if (subject.notifications == 0)
                QMetaObject::invokeMethod(child<QPushButton>(&dialog, "Button1"),
                                          &QPushButton::click, Qt::QueuedConnection);
        };
        subject.AttachObserver(&clicker);
        dialog.exec();
        subject.DetachObserver(&clicker);
        QVERIFY(subject.progress().Cancelled);
        QVERIFY(subject.notifications < 100'000);
    }

    void theProgressIsDrawnWhileTheRunGoesOn() {
        CountingSubject subject;
        subject.notificationLimit = 20'000;  // at least 100 ms: several frames
        subject.progress().PendingOperation = 3;
        subject.progress().ProgressTotal = 1;
        TForm3 dialog(subject, nullptr);
        // Paint events of the bar between the first notification and the end of the run.
        int paintedDuringRun = 0;
        auto* bar = child<QProgressBar>(&dialog, "ProgressBar1");
        EventSpy spy(bar, QEvent::Paint, [&] {
            if (subject.notifications > 0 && !dialog.Finished) ++paintedDuringRun;
        });
        dialog.exec();
        QVERIFY(paintedDuringRun >= 2);
    }

    void progressViewShowsTheLastComponent() {
        CountingSubject subject;
        TForm3 dialog(subject, nullptr);
        ProgressState& state = subject.progress();
        state.ProgressTotal = 3;
        state.ProgressDone = 1;
        state.ProgressPrefix = "Adding Message: ";
        state.ProgressItem = "Re: Hello";
        subject.NotifyObservers();
        QCOMPARE(child<QLabel>(&dialog, "Label2")->text(), QStringLiteral("Item(s) Remaining...2"));
        QCOMPARE(child<QLabel>(&dialog, "LongLabel1")->text(),
                 QStringLiteral("Adding Message:  Hello"));
        state.ProgressItem = "C:\\mail\\all.txt";
        subject.NotifyObservers();
        QCOMPARE(child<QLabel>(&dialog, "LongLabel1")->text(),
                 QStringLiteral("Adding Message: all.txt"));
        // The bar takes its value when it is drawn, at the latest as the run ends.
        dialog.exec();
        QCOMPARE(child<QProgressBar>(&dialog, "ProgressBar1")->value(), 1);
    }

    void observersAreCalledOnceInOrder() {
        CountingSubject subject;
        QStringList calls;
        TSubjectObserver first, second, idle, late;
        first.Active = second.Active = late.Active = true;
        first.OnUpdate = [&](TSubjectObserver*) {
            calls << "first";
            subject.AttachObserver(&late);  // joins from the next round on
        };
        second.OnUpdate = [&](TSubjectObserver* self) {
            calls << "second";
            subject.DetachObserver(self);
        };
        idle.OnUpdate = [&](TSubjectObserver*) { calls << "idle"; };
        late.OnUpdate = [&](TSubjectObserver*) { calls << "late"; };
        subject.AttachObserver(&first);
        subject.AttachObserver(&first);
        subject.AttachObserver(&second);
        subject.AttachObserver(&idle);
        subject.NotifyObservers();
        subject.NotifyObservers();
        subject.DetachObserver(&second);  // not attached any more: nothing happens
        QCOMPARE(calls, (QStringList{"first", "second", "first", "late"}));
    }

    void longLabelShortensOnlyTheDrawing() {
        TLongLabel label;
        QCOMPARE(label.EllipsType(), TLongLabel::etNone);
        label.resize(120, 16);
        const QString path = QStringLiteral("C:\\Documents\\Mail\\Archive\\2026\\december.txt");
        label.setText(path);
        QCOMPARE(label.shownText(120), path);

        label.setEllipsType(TLongLabel::etEndEllips);
        const QString end = label.shownText(120);
        QVERIFY(end.endsWith(QChar(0x2026)) || end.endsWith(QStringLiteral("...")));
        QVERIFY(path.startsWith(end.left(3)));
        QVERIFY(QFontMetrics(label.font()).horizontalAdvance(end) <= 120);

        label.setEllipsType(TLongLabel::etPathEllips);
        const QString middle = label.shownText(160);
        QVERIFY(middle.endsWith(QStringLiteral("\\december.txt")));
        QVERIFY(middle.contains(QStringLiteral("...")));
        QVERIFY(middle.startsWith(QStringLiteral("C:")));
        QVERIFY(QFontMetrics(label.font()).horizontalAdvance(middle) <= 160);
        QCOMPARE(label.text(), path);

        label.setEnabled(false);
        QVERIFY(!label.grab().isNull());  // the two-colour drawing paints without trouble
    }

    void aboutIdentitiesAndHelpFromTheMenus() {
        QApplication::setApplicationName("Mailquarry");
        WindowFixture fixture;
        fixture.writeStandardStore();
        TForm1& form = fixture.start();

        whenModal<TAboutBox>([](TAboutBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("About"));
            QCOMPARE(child<QLabel>(box, "ProductName")->text(), QStringLiteral("Mailquarry"));
            QVERIFY(child<QLabel>(box, "Version")
                        ->text()
                        .contains(QCoreApplication::applicationVersion()));
            child<QPushButton>(box, "OKButton")->click();
        });
        form.findChild<QAction*>("About1")->trigger();

        whenModal<TForm6>([](TForm6* notice) {
            QCOMPARE(child<QLabel>(notice, "Label1")->text(),
                     QStringLiteral("Mailquarry opens your default identity on startup.  If you "
                                    "need to work with another identity then simply change your "
                                    "default identity temporarily in outlook express and then "
                                    "restart mailquarry."));
            notice->close();  // the close box
        });
        form.findChild<QAction*>("Identities1")->trigger();
        QVERIFY(!QApplication::activeModalWidget());

        // No help file beside this program: the viewer's complaint and nothing else.
        const QString helpFile =
            QCoreApplication::applicationDirPath() + '/' +
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + ".hlp";
        QFile::remove(helpFile);
        form.findChild<QAction*>("Contents1")->trigger();
        QCOMPARE(fixture.dialogs.messages.size(), std::size_t(1));
        QVERIFY(fixture.dialogs.messages[0].text.contains(helpFile));
        QVERIFY(!form.findChild<QDialog*>("HelpViewer"));

        std::ofstream(helpFile.toStdString())
            << "<html><body><a name=\"Topic1\"></a><p>One</p><a name=\"Topic2\"></a></body></html>";
        form.findChild<QAction*>("Contents1")->trigger();
        auto* viewer = form.findChild<QDialog*>("HelpViewer");
        QVERIFY(viewer);
        auto* browser = viewer->findChild<QTextBrowser*>();
        QVERIFY(browser);
        QCOMPARE(browser->source().fragment(), QStringLiteral("Topic1"));
        QVERIFY(browser->toPlainText().contains("One"));
        QFile::remove(helpFile);
    }
};

}  // namespace mq

QTEST_MAIN(mq::DialogsWindowTest)
#include "DialogsWindowTest.moc"
