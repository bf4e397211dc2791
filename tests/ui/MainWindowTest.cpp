#include "WindowFixture.h"

#include "platform/RegistryError.h"
#include "support/FileLock.h"
#include "ui/ImageList1.h"
#include "ui/VST1Model.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace mq;

namespace {

const char* const CommandNames[] = {
    "SaveSelectedtoIndividualFiles", "SaveSelectedToaSingleFile", "ExtractReplyToEmailAddresses",
    "ExtractMessageBodyEmailAddresses", "ExtractBothReplytoandmessagebodyemailaddresses"};

// How many of the fifteen command surfaces are enabled.
int enabledCommandSurfaces(TForm1& form) {
    int enabled = 0;
    for (const char* name : CommandNames) {
        const QString base = QString::fromLatin1(name);
        enabled += form.findChild<QAction*>(base + "1")->isEnabled();
        enabled += form.findChild<QAction*>(base + "2")->isEnabled();
        enabled += form.findChild<QToolButton*>(base + "3")->isEnabled();
    }
    return enabled;
}

bool selectAllEnabled(TForm1& form) {
    const bool item = form.findChild<QAction*>("SelectAll1")->isEnabled();
    const bool button = form.findChild<QToolButton*>("SelectAll2")->isEnabled();
    return item && button;
}

const auto* modelOf(WindowFixture& f) {
    return static_cast<const VST1Model*>(f.list()->model());
}

QStringList column(WindowFixture& f, int c) {
    QStringList texts;
    for (int row = 0; row < f.list()->model()->rowCount(); ++row) texts << f.cell(row, c);
    return texts;
}

// The columns that show the message icon in row 0.
QList<int> iconColumns(WindowFixture& f) {
    QList<int> columns;
    for (int c = 0; c < VST1Model::ColumnCount; ++c)
        if (!f.list()->model()->index(0, c).data(Qt::DecorationRole).isNull()) columns << c;
    return columns;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const QString StartupError =
    "Cannot access your default outlook express folders,\n\rIf outlook express is installed "
    "make sure it is not running";

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startupListsFoldersWithNothingLoaded() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();

        QCOMPARE(form.windowTitle(), QString("Mailquarry"));
        auto* folders = form.findChild<QListWidget*>("ListBox1");
        QCOMPARE(folders->count(), 3);
        QCOMPARE(folders->item(0)->text(), QString("Inbox"));
        QCOMPARE(folders->item(2)->text(), QString("No File"));
        QCOMPARE(folders->currentRow(), -1);
        QCOMPARE(f.list()->model()->rowCount(), 0);
        QCOMPARE(f.statusCounts(), QString("Displayed: 0   Selected: 0"));
        QCOMPARE(enabledCommandSurfaces(form), 0);
        QVERIFY(!selectAllEnabled(form));
        QVERIFY(f.dialogs.messages.empty());
        QCOMPARE(f.quitRequests, 0);

        // The pop-up menu in its designed order, under Open and Show Source.
        auto* popup = form.findChild<QMenu*>("PopupMenu1");
        QStringList order;
        for (QAction* item : popup->actions())
            order << (item->isSeparator() ? QString("-") : item->objectName());
        QCOMPARE(order,
                 QStringList({"Open2", "ShowSource2", "-", "SaveSelectedToaSingleFile2",
                              "SaveSelectedtoIndividualFiles2", "-",
                              "ExtractReplyToEmailAddresses2", "ExtractMessageBodyEmailAddresses2",
                              "ExtractBothReplytoandmessagebodyemailaddresses2"}));
    }

    void onlyTheUsersChoiceLoadsAFolder() {
        // With the speed bar hidden the folder list is the first control to take the focus.
        WindowFixture f;
        f.writeStandardStore();
        f.addViewValues("\"Toolbar\"=\"0\"");
        TForm1& form = f.start();
        auto* folders = form.findChild<QListWidget*>("ListBox1");
        QTRY_VERIFY(folders->hasFocus());
        QCOMPARE(f.list()->model()->rowCount(), 0);
        QVERIFY(folders->selectedItems().isEmpty());
        QCOMPARE(f.statusCounts(), QString("Displayed: 0   Selected: 0"));
        // The first key that moves in the list picks the first folder.
        QTest::keyClick(folders, Qt::Key_Down);
        QCOMPARE(folders->selectedItems().value(0)->text(), QString("Inbox"));
        QCOMPARE(f.list()->model()->rowCount(), 3);
        f.closeWindow();

        // With the bar shown no speed button takes the focus, and Tab into the list loads
        // nothing either.
        TForm1& again = f.start();
        for (QToolButton* button : again.findChildren<QToolButton*>())
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        folders = again.findChild<QListWidget*>("ListBox1");
        folders->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(folders->hasFocus());
        QCOMPARE(f.list()->model()->rowCount(), 0);
        QVERIFY(f.dialogs.messages.empty());
    }

    void openingFolderListsItsMessagesOldestFirst() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();

        f.clickFolder("Inbox");
        QCOMPARE(f.list()->model()->rowCount(), 3);
        QCOMPARE(column(f, 0), QStringList({"alice", "Bob", "_x"}));
        QCOMPARE(column(f, 1), QStringList({"", "bob@example.com", "x@example.org"}));
        QCOMPARE(column(f, 2), QStringList({"Re: a", "Re: ab", ""}));
        QCOMPARE(column(f, 3), QStringList({"", "me@example.com", "you"}));
        // Midnight shows the date alone.
        QCOMPARE(column(f, 4),
                 QStringList({"06/05/2003", "02/01/2004 10:20:30", "31/12/2005 23:59:59"}));
        QCOMPARE(f.list()->horizontalHeader()->model()->headerData(2, Qt::Horizontal).toString(),
                 QString("Subject"));
        QCOMPARE(modelOf(f)->headerImageIndex(4), ImageList1::SortedAscending);
        QCOMPARE(modelOf(f)->headerImageIndex(0), -1);
        QCOMPARE(iconColumns(f), QList<int>({0}));
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 0"));
        QVERIFY(selectAllEnabled(form));
        QCOMPARE(enabledCommandSurfaces(form), 0);

        // A sort of the user's own is undone when the folder is chosen again.
        f.clickHeader(0);
        QCOMPARE(column(f, 0), QStringList({"Bob", "alice", "_x"}));
        f.clickFolder("Empty");
        QCOMPARE(f.list()->model()->rowCount(), 0);
        QCOMPARE(f.statusCounts(), QString("Displayed: 0   Selected: 0"));
        for (int c = 0; c < VST1Model::ColumnCount; ++c)
            QCOMPARE(modelOf(f)->headerImageIndex(c), -1);
        QVERIFY(!selectAllEnabled(form));
        f.clickFolder("No File");
        QCOMPARE(f.list()->model()->rowCount(), 0);
        f.clickFolder("Inbox");
        QCOMPARE(column(f, 0), QStringList({"alice", "Bob", "_x"}));
        QCOMPARE(modelOf(f)->headerImageIndex(4), ImageList1::SortedAscending);
        QVERIFY(f.dialogs.messages.empty());
    }

    void selectionDrivesCountsAndCommands() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        f.clickFolder("Inbox");

        f.clickRow(0);
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 1"));
        QCOMPARE(enabledCommandSurfaces(form), 15);
        f.clickRow(2, Qt::ShiftModifier);
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 3"));
        f.clickRow(1, Qt::ControlModifier);
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 2"));
        QCOMPARE(form.selectedRows(), std::vector<int>({0, 2}));
        f.clickRow(0, Qt::ControlModifier);
        f.clickRow(2, Qt::ControlModifier);
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 0"));
        QCOMPARE(enabledCommandSurfaces(form), 0);

        QTest::mouseClick(form.findChild<QToolButton*>("SelectAll2"), Qt::LeftButton);
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 3"));
        QCOMPARE(enabledCommandSurfaces(form), 15);
        QVERIFY(!QApplication::overrideCursor());
    }

    void tabMovesBetweenTheFoldersTheListAndThePreview() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.findChild<QAction*>("PreviewPane1")->trigger();
        f.clickFolder("Inbox");
        f.clickRow(0);
        QWidget* folders = form.findChild<QListWidget*>("ListBox1");
        QWidget* text = form.findChild<QWidget*>("PreviewPane")->findChild<QWidget*>("MessageText");
        const auto press = [](int key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
            return QApplication::focusWidget();
        };
        folders->setFocus();
        const QModelIndex current = f.list()->currentIndex();
        QCOMPARE(press(Qt::Key_Tab), f.list());
        QCOMPARE(press(Qt::Key_Tab), text);  // not to the next cell
        QCOMPARE(f.list()->currentIndex(), current);
        QCOMPARE(press(Qt::Key_Tab), folders);
        QCOMPARE(press(Qt::Key_Backtab, Qt::ShiftModifier), text);
        QCOMPARE(press(Qt::Key_Backtab, Qt::ShiftModifier), f.list());
        QCOMPARE(press(Qt::Key_Tab, Qt::ControlModifier), text);
        QCOMPARE(press(Qt::Key_Backtab, Qt::ShiftModifier), f.list());
        QCOMPARE(press(Qt::Key_Backtab, Qt::ShiftModifier), folders);
    }

    void headerClicksSortWithAlternatingDirection() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        f.clickFolder("Inbox");

        f.clickHeader(4);
        QCOMPARE(column(f, 0), QStringList({"_x", "Bob", "alice"}));
        QCOMPARE(modelOf(f)->headerImageIndex(4), ImageList1::SortedDescending);
        f.clickHeader(4);
        QCOMPARE(column(f, 0), QStringList({"alice", "Bob", "_x"}));
        QCOMPARE(modelOf(f)->headerImageIndex(4), ImageList1::SortedAscending);

        // Selected rows are let go before the rows move.
        f.clickRow(0);
        f.clickRow(1, Qt::ShiftModifier);
        f.clickHeader(2);  // the direction keeps alternating across columns: descending
        QCOMPARE(column(f, 2), QStringList({"Re: ab", "Re: a", ""}));
        QCOMPARE(modelOf(f)->headerImageIndex(2), ImageList1::SortedDescending);
        QCOMPARE(modelOf(f)->headerImageIndex(4), -1);
        QCOMPARE(f.statusCounts(), QString("Displayed: 3   Selected: 0"));
        QCOMPARE(enabledCommandSurfaces(form), 0);
        f.clickHeader(0);  // ignoring case, '_' before the letters
        QCOMPARE(column(f, 0), QStringList({"_x", "alice", "Bob"}));
        QCOMPARE(modelOf(f)->headerImageIndex(0), ImageList1::SortedAscending);

        // In an empty folder a click only sets the glyph and the direction.
        f.clickFolder("Empty");
        f.clickHeader(1);
        QCOMPARE(modelOf(f)->headerImageIndex(1), ImageList1::SortedDescending);
        QCOMPARE(f.list()->model()->rowCount(), 0);
    }

    void draggedColumnTakesTheMessageIcon() {
        WindowFixture f;
        f.writeStandardStore();
        f.start();
        f.clickFolder("Inbox");

        QHeaderView* header = f.list()->horizontalHeader();
        const QPoint from(header->sectionViewportPosition(2) + 20, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
        for (int x = from.x(); x >= 2; x -= 20)
            QTest::mouseMove(header->viewport(), QPoint(x, from.y()));
        QTest::mouseMove(header->viewport(), QPoint(2, from.y()));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(2, from.y()));

        QCOMPARE(header->visualIndex(2), 0);
        QCOMPARE(header->visualIndex(0), 1);
        QCOMPARE(iconColumns(f), QList<int>({2}));
        // A drag is not a click: the order of the rows stays.
        QCOMPARE(column(f, 0), QStringList({"alice", "Bob", "_x"}));
    }

    void closingStoresTheLayoutAndTheNextStartRestoresIt() {
        WindowFixture f;
        f.writeStandardStore();
        // The user's documents folder, as the desktop names it.
        const std::filesystem::path documents = f.root() / "Mine";
        std::filesystem::create_directories(documents);
        std::ofstream(f.root() / "config" / "user-dirs.dirs")
            << "XDG_DOCUMENTS_DIR=\"" << documents.string() << "\"\n";
        {
            TForm1& form = f.start();
            QVERIFY(form.findChild<QFrame*>("Panel2")->isVisible());
            form.findChild<QAction*>("Speedbar1")->trigger();
            QVERIFY(!form.findChild<QFrame*>("Panel2")->isVisible());
            QVERIFY(!form.findChild<QAction*>("Speedbar1")->isChecked());
            form.findChild<QAction*>("Statusbar2")->trigger();
            form.findChild<QAction*>("Statusbar2")->trigger();
            QVERIFY(form.findChild<QStatusBar*>("StatusBar1")->isVisible());
            QHeaderView* header = f.list()->horizontalHeader();
            header->resizeSection(2, 222);
            header->moveSection(header->visualIndex(4), 0);
        }
        f.closeWindow();

        QCOMPARE(f.storedPref("View", "Toolbar"), std::optional<std::string>("0"));
        QCOMPARE(f.storedPref("View", "Statusbar"), std::optional<std::string>("1"));
        QCOMPARE(f.storedPref("View", "Column2"), std::optional<std::string>("222"));
        QCOMPARE(f.storedPref("View", "Column4"), std::optional<std::string>("140"));
        QCOMPARE(f.storedPref("View", "ColumnPosition"), std::optional<std::string>("12340"));
        QCOMPARE(f.storedPref("Settings", "FileNameFormat"),
                 std::optional<std::string>("From0,To0,Subject1,Date0,Reply_To_Address0"));
        // No save folder was set: the documents folder stands in, not the program's own
        // folder, which may be written to here.
        QCOMPARE(f.storedPref("Settings", "Directory"),
                 std::optional<std::string>(documents.string() + "/"));

        TForm1& again = f.start();
        QVERIFY(!again.findChild<QFrame*>("Panel2")->isVisible());
        QVERIFY(!again.findChild<QAction*>("Speedbar1")->isChecked());
        QVERIFY(again.findChild<QAction*>("Statusbar2")->isChecked());
        QHeaderView* header = f.list()->horizontalHeader();
        QCOMPARE(header->sectionSize(2), 222);
        QCOMPARE(header->logicalIndex(0), 4);
        QCOMPARE(header->logicalIndex(4), 3);
        f.clickFolder("Inbox");
        QCOMPARE(iconColumns(f), QList<int>({4}));
    }

    void windowPlaceAndFolderPaneAreRemembered() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        form.setGeometry(30, 40, 700, 500);
        form.findChild<QSplitter*>("Splitter1")->setSizes({250, 446});
        QTRY_COMPARE(form.findChild<QWidget*>("Panel3")->width(), 250);
        f.closeWindow();

        TForm1& again = f.start();
        QCOMPARE(again.geometry(), QRect(30, 40, 700, 500));
        QCOMPARE(again.findChild<QWidget*>("Panel3")->width(), 250);
        QCOMPARE(again.findChild<QLabel*>("StatusPanel0")->width(), 252);
        f.closeWindow();

        // A place on no screen is not used: the window opens at its designed size, as far as
        // the screen holds it.
        f.addViewValues("\"WindowLeft\"=\"-20000\"");
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QCOMPARE(f.start().size(), QSize(1040, 640).boundedTo(screen));
    }

    void storedColumnPositions_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<int>>("order");  // logical columns from left to right
        QTest::addColumn<QString>("storedBack");
        QTest::newRow("received first") << "12340" << QList<int>{4, 0, 1, 2, 3} << "12340";
        QTest::newRow("from last") << "40123" << QList<int>{1, 2, 3, 4, 0} << "40123";
        QTest::newRow("too short") << "012" << QList<int>{0, 1, 2, 3, 4} << "01234";
        QTest::newRow("not a digit") << "0a234" << QList<int>{0, 1, 2, 3, 4} << "01234";
    }

    void storedColumnPositions() {
        QFETCH(QString, stored);
        QFETCH(QList<int>, order);
        QFETCH(QString, storedBack);
        WindowFixture f;
        f.writeStandardStore();
        f.addViewValues("\"ColumnPosition\"=\"" + stored.toStdString() + "\"");
        f.start();
        QHeaderView* header = f.list()->horizontalHeader();
        QList<int> shown;
        for (int position = 0; position < VST1Model::ColumnCount; ++position)
            shown << header->logicalIndex(position);
        QCOMPARE(shown, order);
        f.closeWindow();
        QCOMPARE(f.storedPref("View", "ColumnPosition"),
                 std::optional<std::string>(storedBack.toStdString()));
    }

    void exitWritesNothing() {
        WindowFixture f;
        f.writeStandardStore();
        f.start();
        f.closeWindow();
        const std::string stored = readFile(f.registryPath());

        // The program runs to its own end after the speed button and after the menu item.
        for (const bool speedButton : {true, false}) {
            TForm1& form = f.start();
            f.list()->horizontalHeader()->resizeSection(0, 77);
            form.findChild<QAction*>("Speedbar1")->trigger();
            if (speedButton)
                QTest::mouseClick(form.findChild<QToolButton*>("SpeedButton4"), Qt::LeftButton);
            else
                form.findChild<QAction*>("Exit1")->trigger();
            QVERIFY(f.runToEnd());
            QCOMPARE(readFile(f.registryPath()), stored);
        }
        QCOMPARE(f.quitRequests, 2);
        QVERIFY(f.dialogs.messages.empty());
    }

    void fatalStoreErrorsShowTheirBoxAndEnd() {
        {
            WindowFixture f;
            writeStoreRegistry(f.registryPath(), f.storeDir().string());  // no files at all
            TForm1& form = f.start();
            QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
            QCOMPARE(f.dialogs.messages[0].caption, QString("Error"));
            QCOMPARE(f.dialogs.messages[0].text, StartupError);
            QCOMPARE(f.dialogs.messages[0].icon, QMessageBox::Critical);
            // Then the chooser, at the nearest folder there is; its Cancel ends the program.
            QCOMPARE(f.dialogs.storeRequests,
                     QStringList(QString::fromStdString(f.root().string())));
            QCOMPARE(f.quitRequests, 1);
            // Start-up still ran to its end on what was read.
            QCOMPARE(form.findChild<QListWidget*>("ListBox1")->count(), 0);
            QCOMPARE(f.statusCounts(), QString("Displayed: 0   Selected: 0"));
            QVERIFY(f.runToEnd());
            QCOMPARE(f.storedPref("View", "Toolbar"), std::nullopt);
        }
        {
            // A folder list cut short before its item count is damaged, not empty.
            WindowFixture f;
            f.writeStandardStore();
            std::filesystem::resize_file(f.storeDir() / "folders.dbx", 199);
            f.start();
            QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
            QCOMPARE(f.dialogs.messages[0].text, StartupError);
            QVERIFY(f.runToEnd());
        }
        {
            WindowFixture f;
            f.writeStandardStore();
            {
                const test::FileLock mailClient(f.storeDir() / "folders.dbx");
                f.start();
            }
            QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
            QCOMPARE(f.dialogs.messages[0].text, StartupError);
            QCOMPARE(f.quitRequests, 1);
        }
        {
            WindowFixture f;
            f.writeStandardStore();
            std::filesystem::remove(f.storeDir() / "Inbox.dbx");
            f.start();
            f.clickFolder("Inbox");
            QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
            QCOMPARE(f.dialogs.messages[0].caption, QString("Error"));
            QCOMPARE(f.dialogs.messages[0].text,
                     QString("DBX File Inbox.dbx cannot be accessed, make sure that Outlook "
                             "Express is not running"));
            QCOMPARE(f.quitRequests, 1);
            QCOMPARE(f.statusCounts(), QString("Displayed: 0   Selected: 0"));
            QVERIFY(!QApplication::overrideCursor());
            QVERIFY(f.runToEnd());
            QCOMPARE(f.storedPref("View", "Toolbar"), std::nullopt);
        }
    }

    void preferenceLoadFailureIsShownAndStartUpGoesOn() {
        WindowFixture f;
        f.writeStandardStore();
        f.addViewValues("\"Column0\"=\"99\"\r\n\"Column2\"=dword:00000010");
        TForm1& form = f.start();
        QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
        QCOMPARE(f.dialogs.messages[0].caption, QString("Error"));
        QCOMPARE(f.dialogs.messages[0].text, QString("Invalid data type for 'Column2'"));
        QCOMPARE(f.quitRequests, 0);
        QCOMPARE(form.findChild<QListWidget*>("ListBox1")->count(), 3);
        QCOMPARE(f.list()->horizontalHeader()->sectionSize(0), 99);
        f.clickFolder("Inbox");
        QCOMPARE(f.list()->model()->rowCount(), 3);
    }

    void failedPreferenceWriteIsShownAndTheWindowCloses() {
        // A registry whose values cannot be written, as with a full or read-only disk.
        class UnwritableRegistry : public RegistryFile {
        public:
            using RegistryFile::RegistryFile;
            void setString(RegistryKey&, std::string_view name, std::string_view) override {
                throw RegistryError::setDataFailed(std::string(name));
            }
            void setUtf8String(RegistryKey&, std::string_view name, std::string_view) override {
                throw RegistryError::setDataFailed(std::string(name));
            }
        };
        WindowFixture f;
        f.writeStandardStore();
        UnwritableRegistry registry(f.registryPath());
        TForm1 form(registry, f.dialogs, f.locale, f.codePage, [] {});
        form.show();
        QVERIFY(form.close());
        QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
        QCOMPARE(f.dialogs.messages[0].caption, QString("Error"));
        QCOMPARE(f.dialogs.messages[0].text, QString("Failed to set data for 'Directory'"));
    }

    void hintsAndTheHintPanelFollowTheControls() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        auto* hintPanel = form.findChild<QLabel*>("StatusPanel0");
        const auto enter = [](QWidget* widget) {
            QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(widget, &event);
        };
        const auto leave = [](QWidget* widget) {
            QEvent event(QEvent::Leave);
            QApplication::sendEvent(widget, &event);
        };
        auto* folders = form.findChild<QListWidget*>("ListBox1");
        enter(folders->viewport());
        QCOMPARE(hintPanel->text(), QString("List of Folders"));
        auto* saveButton = form.findChild<QToolButton*>("SaveSelectedToaSingleFile3");
        enter(saveButton);
        QCOMPARE(hintPanel->text(), QString("Save to a single text file"));
        QCOMPARE(saveButton->toolTip(), QString("Save to a single text file"));
        leave(saveButton);
        QCOMPARE(hintPanel->text(), QString("Speedbar"));
        enter(f.list()->viewport());
        QCOMPARE(hintPanel->text(), QString());
        enter(form.findChild<QSplitter*>("Splitter1")->handle(1));
        QCOMPARE(hintPanel->text(), QString("Resizing Bar"));
        enter(form.findChild<QStatusBar*>("StatusBar1"));
        QCOMPARE(hintPanel->text(), QString("Statusbar"));

        QCOMPARE(hintPanel->width(), 172);
        auto* splitter = form.findChild<QSplitter*>("Splitter1");
        QSplitterHandle* handle = splitter->handle(1);
        const QPoint grip(handle->width() / 2, handle->height() / 2);
        auto* folderPane = form.findChild<QWidget*>("Panel3");
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        for (int step = 0; step < 5 && folderPane->width() != 250; ++step)
            QTest::mouseMove(handle, grip + QPoint(250 - folderPane->width(), 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip);
        QCOMPARE(folderPane->width(), 250);
        QCOMPARE(hintPanel->width(), 252);
        form.resize(form.width() + 50, form.height());
        QCOMPARE(hintPanel->width(), 252);
    }

    void realInboxShowsItsMessage() {
        const std::filesystem::path sample =
            std::filesystem::path(MQ_SHARED_SAMPLES_DIR) / "oe5-inbox-1msg.dbx";
        if (!std::filesystem::exists(sample)) QSKIP("the shared sample folder is absent");
        WindowFixture f;
        f.locale.shortDateFormat = "yyyy-mm-dd";
        f.locale.longTimeFormat = "hh.nn.ss";
        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx");
        f.writeStore(store);
        std::filesystem::copy_file(sample, f.storeDir() / "Inbox.dbx",
                                   std::filesystem::copy_options::overwrite_existing);
        f.start();
        f.clickFolder("Inbox");
        QCOMPARE(f.list()->model()->rowCount(), 1);
        QCOMPARE(f.cell(0, 0), QString("Wealth_Enterprises_2002"));
        QCOMPARE(f.cell(0, 1), QString("off_1@webstation.com"));
        QCOMPARE(f.cell(0, 2), QString("Please read you won't be sorry........"));
        QCOMPARE(f.cell(0, 3), QString("tassilo.parseval@post.rwth-aachen.de"));
        QCOMPARE(f.cell(0, 4), QString("2002-04-14 00.27.57"));
        QCOMPARE(f.statusCounts(), QString("Displayed: 1   Selected: 0"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
