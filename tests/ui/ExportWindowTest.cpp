#include "ModalAnswers.h"
#include "WindowFixture.h"

#include "ui/TExportDialog.h"
#include "ui/TForm3.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <fstream>
#include <iterator>

namespace mq {

namespace {

namespace fs = std::filesystem;

DbxMessage message(const std::string& subject) {
    DbxMessage m;
    m.subject = subject;
    m.text = "Subject: " + subject + "\r\n\r\n" + std::string(2000, 'x') + "\r\n";
    return m;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class ExportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void exportsTheTickedFoldersAndRemembersWhere() {
        WindowFixture fixture;
        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx", {message("a"), message("b")});
        const auto projects = store.addFolder("Projects", "Projects.dbx", {message("p")});
        store.addFolder("Nordlicht", "Nordlicht.dbx", {message("n"), message("m")}, projects);
        fixture.writeStore(store);
        const fs::path out = fixture.root() / "out";
        TForm1& form = fixture.start();

        // Nothing selected, no folder chosen: the command is there all the same.
        auto* command = form.findChild<QAction*>("ExportAllFolders1");
        QVERIFY(command->isEnabled());
        QStringList shown;
        bool progressShown = false;
        whenModal<TExportDialog>([&](TExportDialog* dialog) {
            auto* folders = dialog->findChild<QTreeWidget*>("FolderChecks");
            QTreeWidgetItem* inbox = folders->topLevelItem(0);
            QTreeWidgetItem* nordlicht = folders->topLevelItem(1)->child(0);
            shown << inbox->text(0) << nordlicht->text(0);
            QVERIFY(inbox->checkState(0) == Qt::Checked && nordlicht->checkState(0) == Qt::Checked);
            auto* exportButton = dialog->findChild<QPushButton*>("ExportButton");
            QVERIFY(!exportButton->isEnabled());  // no target yet
            fixture.dialogs.folderAnswers << QString::fromStdString(out.string());
            QTest::mouseClick(dialog->findChild<QPushButton*>("BrowseButton"), Qt::LeftButton);
            inbox->setCheckState(0, Qt::Unchecked);
            dialog->findChild<QRadioButton*>("EmlButton")->click();
            whenModal<TForm3>([&](TForm3*) { progressShown = true; });
            QTest::mouseClick(exportButton, Qt::LeftButton);
        });
        command->trigger();

        QCOMPARE(shown, (QStringList{"Inbox", "Nordlicht"}));
        QVERIFY(progressShown);
        QCOMPARE(fixture.dialogs.messages.size(), std::size_t(1));
        QCOMPARE(fixture.dialogs.messages[0].caption, QStringLiteral("Export All Folders"));
        QCOMPARE(fixture.dialogs.messages[0].text, "3 messages of 2 folders exported to " +
                                                       QString::fromStdString(out.string()) +
                                                       " (6.0 KB).");
        QVERIFY(!fs::exists(out / "Inbox"));
        QCOMPARE(readFile(out / "Projects" / "Nordlicht" / "[m].eml"), message("m").text);

        fixture.closeWindow();
        QCOMPARE(fixture.storedPref("Settings", "ExportDirectory"), out.string());
        QCOMPARE(fixture.storedPref("Settings", "ExportFormat"), std::string("eml"));
    }
};

}  // namespace mq

QTEST_MAIN(mq::ExportWindowTest)
#include "ExportWindowTest.moc"
