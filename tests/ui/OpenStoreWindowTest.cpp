#include "WindowFixture.h"

#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include <filesystem>

using namespace mq;

namespace {

namespace fs = std::filesystem;

QStringList folderNames(TForm1& form) {
    QStringList names;
    const auto* folders = form.findChild<QListWidget*>("ListBox1");
    for (int row = 0; row < folders->count(); ++row) names << folders->item(row)->text();
    return names;
}

QString statusMessage(TForm1& form) {
    return form.findChild<QStatusBar*>("StatusBar1")->currentMessage();
}

QStringList recentStores(TForm1& form) {
    QStringList paths;
    for (QAction* item : form.findChild<QMenu*>("RecentStores1")->actions())
        paths << item->text();
    return paths;
}

// The standard store's Inbox.dbx copied alone into a folder whose name the ANSI page lacks.
QString writeLooseInbox(WindowFixture& f) {
    f.writeStandardStore();
    const fs::path loose = f.root() / test::utf8Path("copied \xe2\x98\x83");
    fs::create_directories(loose);
    fs::copy_file(f.storeDir() / "Inbox.dbx", loose / "Inbox.dbx");
    return QString::fromStdString(test::toUtf8(loose));
}

const QString NoStore = "No store open: use File > Open Store...";

}  // namespace

class OpenStoreWindowTest : public QObject {
    Q_OBJECT

private slots:
    void withoutStoreRootTheWindowAsksAndWaits() {
        WindowFixture f;  // no registry file at all, as on a machine without the mail client
        TForm1& form = f.start();
        QTRY_COMPARE(f.dialogs.storeRequests.size(), 1);  // the chooser, once the window shows
        QCOMPARE(f.quitRequests, 0);
        QVERIFY(form.isVisible());
        QCOMPARE(statusMessage(form), NoStore);
        QCOMPARE(folderNames(form), QStringList());
        QVERIFY(!form.findChild<QAction*>("ExportAllFolders1")->isEnabled());
        QVERIFY(!form.findChild<QAction*>("RecoverMessages1")->isEnabled());
        QVERIFY(f.dialogs.messages.empty());
    }

    void unreadableStoreRootOffersTheChooserInsteadOfEnding() {
        WindowFixture f;
        const QString loose = writeLooseInbox(f);
        // A registry file brought from the old machine.
        writeStoreRegistry(f.registryPath(), "C:\\Documents and Settings\\ann\\Outlook Express");
        f.dialogs.storeAnswers << f.root().string().c_str() << loose;
        TForm1& form = f.start();
        // The designed box, the chooser at home (the path has no folder here), a box for a
        // folder that is no store, the chooser again, and the store chosen.
        QCOMPARE(f.dialogs.messages.size(), std::size_t(2));
        QVERIFY(f.dialogs.messages[1].text.contains("\"" + QString(f.root().string().c_str()) +
                                                    "\""));
        QCOMPARE(f.dialogs.storeRequests, QStringList({QDir::homePath(), QDir::homePath()}));
        QCOMPARE(f.quitRequests, 0);
        QCOMPARE(folderNames(form), QStringList("Inbox"));
        QCOMPARE(form.windowTitle(), QString("Mailquarry - copied \u2603"));
        f.clickFolder("Inbox");
        QCOMPARE(f.list()->model()->rowCount(), 3);
    }

    void commandLineWinsAndRecentStoresOutliveTheRun() {
        WindowFixture f;
        const QString loose = writeLooseInbox(f);  // the registry names the standard store
        TForm1& form = f.start(loose + "/Inbox.dbx");
        QCOMPARE(folderNames(form), QStringList("Inbox"));
        QCOMPARE(form.windowTitle(), QString("Mailquarry - Inbox.dbx"));
        QCOMPARE(recentStores(form), QStringList(loose + "/Inbox.dbx"));
        QVERIFY(form.findChild<QAction*>("ExportAllFolders1")->isEnabled());
        // Opening another store leaves the first on the list, below it.
        QVERIFY(form.OpenStore(loose));
        QCOMPARE(recentStores(form), QStringList({loose, loose + "/Inbox.dbx"}));
        form.findChild<QAction*>("Exit1")->trigger();  // kept even when nothing else is
        QVERIFY(f.runToEnd());

        // A new run without a Store Root opens the most recent store.
        {
            RegistryFile registry(f.registryPath());
            RegistryKeyPtr key = registry.openKey("Identities");
            registry.setString(*key, "Default User ID", "");
            registry.closeKey(std::move(key));
        }
        TForm1& again = f.start();
        QCOMPARE(again.storePath(), loose.toStdString());
        QCOMPARE(recentStores(again), QStringList({loose, loose + "/Inbox.dbx"}));

        // A store gone since is taken off the list, with a line that says so.
        fs::remove(loose.toStdString() + "/Inbox.dbx");
        again.findChild<QMenu*>("RecentStores1")->actions().at(1)->trigger();
        QVERIFY(statusMessage(again).contains("no longer opens"));
        QCOMPARE(recentStores(again), QStringList(loose));
        QCOMPARE(again.storePath(), loose.toStdString());  // what was open stays open
    }

    void droppedStoreOpens() {
        WindowFixture f;
        const QString loose = writeLooseInbox(f);
        TForm1& form = f.start();
        QCOMPARE(folderNames(form), QStringList({"Inbox", "Empty", "No File"}));

        const auto drop = [&form](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            const QPoint at = form.rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form, &enter);
            QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form, &dropped);
            return enter.isAccepted() && dropped.isAccepted();
        };
        QVERIFY(drop({QUrl("https://example.com/Inbox.dbx")}));
        QVERIFY(statusMessage(form).contains("on this computer"));
        QCOMPARE(folderNames(form), QStringList({"Inbox", "Empty", "No File"}));

        QVERIFY(drop({QUrl::fromLocalFile(loose), QUrl::fromLocalFile(f.root().string().c_str())}));
        QTRY_COMPARE(folderNames(form), QStringList("Inbox"));
        QVERIFY(statusMessage(form).contains("the other 1 dropped"));
        QVERIFY(f.dialogs.messages.empty());
    }
};

QTEST_MAIN(OpenStoreWindowTest)
#include "OpenStoreWindowTest.moc"
