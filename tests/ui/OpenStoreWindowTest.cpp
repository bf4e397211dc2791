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
#include <QTest>

using namespace mq;

namespace {

// The folder names, the status bar's message and the Recent Stores, as the user sees them.
QString shown(TForm1& form) {
    QStringList texts;
    for (const QListWidgetItem* item :
         form.findChild<QListWidget*>("ListBox1")->findItems("*", Qt::MatchWildcard))
        texts << item->text();
    texts << form.findChild<QStatusBar*>("StatusBar1")->currentMessage();
    for (QAction* item : form.findChild<QMenu*>("RecentStores1")->actions()) texts << item->text();
    return texts.join('|');
}

// The standard store's Inbox.dbx alone in a folder whose name the ANSI page lacks.
QString writeLooseInbox(WindowFixture& f) {
    f.writeStandardStore();
    const std::filesystem::path loose = f.root() / test::utf8Path("copied \xe2\x98\x83");
    std::filesystem::create_directories(loose);
    std::filesystem::copy_file(f.storeDir() / "Inbox.dbx", loose / "Inbox.dbx");
    return QString::fromStdString(test::toUtf8(loose));
}

}  // namespace

class OpenStoreWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startUpWithoutStoreRootAsksAndWaits() {
        WindowFixture f;  // no registry file: a machine that never had the mail client
        TForm1& form = f.start();
        QTRY_COMPARE(f.dialogs.storeRequests, QStringList(QDir::homePath()));  // then Cancel
        QCOMPARE(shown(form), QString("No store open: use File > Open Store..."));
        QVERIFY(!form.findChild<QAction*>("ExportAllFolders1")->isEnabled());
        QVERIFY(!form.findChild<QAction*>("FindMessages1")->isEnabled());
        QVERIFY(f.dialogs.messages.empty() && f.quitRequests == 0 && form.isVisible());
    }

    void pathsOpenFromCommandLineRecentStoresAndDrops() {
        WindowFixture f;
        const QString loose = writeLooseInbox(f);  // the registry names the standard store
        TForm1& form = f.start(loose + "/Inbox.dbx");
        QCOMPARE(shown(form), "Inbox||" + loose + "/Inbox.dbx");
        QCOMPARE(form.windowTitle(), QString("Mailquarry - Inbox.dbx"));
        const QString root = QString::fromStdString(f.root().string());
        QVERIFY(!form.OpenStore(root));  // no .dbx there: a box, and the store stays
        QVERIFY(f.dialogs.messages.at(0).text.startsWith("Cannot open \"" + root + "\""));
        QVERIFY(form.OpenStore(loose));
        form.findChild<QAction*>("Exit1")->trigger();  // the list is kept all the same
        QVERIFY(f.runToEnd());

        // Without a Store Root the next run opens the most recent store.
        {
            RegistryFile registry(f.registryPath());
            RegistryKeyPtr key = registry.openKey("Identities");
            registry.setString(*key, "Default User ID", "");
            registry.closeKey(std::move(key));
        }
        TForm1& again = f.start();
        QCOMPARE(again.storePath(), loose.toStdString());
        QCOMPARE(shown(again), "Inbox||" + loose + "|" + loose + "/Inbox.dbx");
        std::filesystem::remove(test::utf8Path(loose.toStdString() + "/Inbox.dbx"));
        again.findChild<QMenu*>("RecentStores1")->actions().at(1)->trigger();
        QCOMPARE(shown(again), "Inbox|" + loose +
                                   "/Inbox.dbx no longer opens: it was taken off "
                                   "Recent Stores.|" +
                                   loose);

        // Two dropped: the first opens, and the status bar says what became of the other.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(f.storeDir().string())),
                      QUrl::fromLocalFile(loose)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&again, &enter);
        QApplication::sendEvent(&again, &dropped);
        QVERIFY(enter.isAccepted() && dropped.isAccepted());
        QTRY_VERIFY(shown(again).startsWith("Inbox|Empty|No File|Opened "));
        QVERIFY(shown(again).contains("the other 1 dropped"));
        QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
    }
};

QTEST_MAIN(OpenStoreWindowTest)
#include "OpenStoreWindowTest.moc"
