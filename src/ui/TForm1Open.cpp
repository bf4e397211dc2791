#include "ui/TForm1.h"

#include "store/StoreLocation.h"
#include "ui/ui_TForm1.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>

namespace mq {

namespace {

const char* const NoStoreText = "No store open: use File > Open Store...";
constexpr int StatusLineMilliseconds = 15'000;

// Where a chooser for `path` starts: the path's nearest folder that exists, else the home
// folder (a Windows path read on another system has none).
QString nearestExistingFolder(const QString& path) {
    QString folder = QDir::cleanPath(path);
    while (!folder.isEmpty() && !QFileInfo(folder).isRelative()) {
        if (QFileInfo(folder).isDir()) return folder;
        const QString parent = QFileInfo(folder).path();
        if (parent == folder) break;
        folder = parent;
    }
    return QDir::homePath();
}

}  // namespace

void TForm1::openStartStore() {
    // Without a store the status bar keeps saying how to open one.
    connect(ui->StatusBar1, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty() && !storeOpen_) ui->StatusBar1->showMessage(NoStoreText);
    });
    showNoStore();

    std::string root;
    bool registryFailed = false;
    if (startStorePath_.isEmpty()) {
        try {
            root = Get_OE_Directory(registry_);
        } catch (const std::exception&) {
            registryFailed = true;  // a Store Root of the wrong type: no store can be read
        }
    }
    if (!startStorePath_.isEmpty() || (root.empty() && !registryFailed)) {
        // A path asked for, or a machine that never had the mail client: the path, else the
        // most recent store, else the window without a store and the chooser once it shows.
        if (!startStorePath_.isEmpty() && OpenStore(startStorePath_)) return;
        if (startStorePath_.isEmpty() && !Pref1.RecentStores.empty()) {
            // One that no longer opens is forgotten, with a line that says so.
            OpenRecentStore(QString::fromStdString(Pref1.RecentStores.front()));
            if (storeOpen_) return;
        }
        QTimer::singleShot(0, this, [this] { chooseStore(QDir::homePath(), false); });
        return;
    }

    try {
        store_.Read_OE_File("folders.dbx", &FolderList);
        fillFolderList();
        storeShown();
        return;
    } catch (const std::exception&) {
        FolderList.clear();  // a read that ran out of memory gives back what it holds
    }
    dialogs_.showError(
        QStringLiteral("Cannot access your default outlook express folders,\n\rIf outlook "
                       "express is installed make sure it is not running"));
    // The registry's store may not exist on this machine at all: the user may still point
    // at a copy of it. Only a Cancel there ends the program.
    if (!chooseStore(nearestExistingFolder(QString::fromStdString(
                         registryFailed ? std::string() : AnsiCodePage::system().toUtf8(root))),
                     true))
        Exit1Click();
}

void TForm1::OpenStore1Click() {
    QString start;
    try {
        if (storeOpen_) start = QString::fromStdString(store_.source().storePath());
    } catch (const std::exception&) {
        // The registry went wrong since: the home folder will do.
    }
    if (!start.isEmpty() && QFileInfo(start).isFile()) start = QFileInfo(start).path();
    chooseStore(nearestExistingFolder(start), false);
}

bool TForm1::chooseStore(const QString& startFolder, bool untilOpened) {
    for (;;) {
        const QString chosen = dialogs_.chooseStore(this, startFolder);
        if (chosen.isEmpty()) return false;
        if (OpenStore(chosen)) return true;
        if (!untilOpened) return false;
    }
}

bool TForm1::OpenStore(const QString& path) {
    const QString problem = tryOpenStore(path);
    if (problem.isEmpty()) return true;
    dialogs_.showError(problem);
    return false;
}

QString TForm1::tryOpenStore(const QString& path) {
    std::optional<StoreReader> reader;
    mq::FolderList folders;
    try {
        reader.emplace(StoreSource::open(path.toStdString()));
        reader->Read_OE_File("folders.dbx", &folders);
    } catch (const StoreOpenError& e) {
        return QString::fromStdString(e.what());
    } catch (const std::exception& e) {
        return QStringLiteral("Cannot open \"%1\": %2").arg(path, QString::fromStdString(e.what()));
    }

    clearMessageList();
    ui->ListBox1->clearSelection();
    store_.setSource(reader->source());
    FolderList = std::move(folders);
    CurrentFile = "folders.dbx";
    fillFolderList();
    storeShown();
    const QString name = QFileInfo(QString::fromStdString(store_.source().storePath())).fileName();
    setWindowTitle(QStringLiteral("Mailquarry - ") +
                   (name.isEmpty() ? QString::fromStdString(store_.source().storePath()) : name));
    rememberStore(store_.source().storePath());
    VST1Click();
    return {};
}

std::string TForm1::storePath() const {
    try {
        return storeOpen_ ? store_.source().storePath() : std::string();
    } catch (const std::exception&) {
        return {};
    }
}

void TForm1::showNoStore() {
    storeOpen_ = false;
    ui->ExportAllFolders1->setEnabled(false);
    ui->FindMessages1->setEnabled(false);
    ui->RecoverMessages1->setEnabled(false);
    fillRecentStores();
    // Once the window shows: a message shown before would leave the panels showing under it.
    QTimer::singleShot(0, this, [this] {
        if (!storeOpen_) ui->StatusBar1->showMessage(NoStoreText);
    });
}

void TForm1::storeShown() {
    storeOpen_ = true;
    ui->ExportAllFolders1->setEnabled(true);
    ui->FindMessages1->setEnabled(true);
    ui->RecoverMessages1->setEnabled(false);  // until a folder with a file is chosen
    ui->StatusBar1->clearMessage();
}

void TForm1::OpenRecentStore(const QString& path) {
    if (tryOpenStore(path).isEmpty()) return;
    std::erase(Pref1.RecentStores, path.toStdString());
    rememberStore({});
    statusLine(path + QStringLiteral(" no longer opens: it was taken off Recent Stores."));
}

void TForm1::rememberStore(const std::string& path) {
    std::vector<std::string>& recent = Pref1.RecentStores;
    if (!path.empty()) {
        std::erase(recent, path);
        recent.insert(recent.begin(), path);
        if (recent.size() > TPref::MaxRecentStores) recent.resize(TPref::MaxRecentStores);
    }
    fillRecentStores();
    try {
        Pref1.SaveRecentStores(registry_);
    } catch (const std::exception& e) {
        statusLine(QStringLiteral("Recent Stores cannot be kept: ") + widen(e.what()));
    }
}

void TForm1::fillRecentStores() {
    QMenu* menu = ui->RecentStores1;
    menu->clear();
    for (const std::string& stored : Pref1.RecentStores) {
        const QString path = QString::fromStdString(stored);
        QString text = path;
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        connect(menu->addAction(text), &QAction::triggered, this,
                [this, path] { OpenRecentStore(path); });
    }
    menu->setEnabled(!Pref1.RecentStores.empty());
}

void TForm1::statusLine(const QString& text) {
    ui->StatusBar1->showMessage(text, StatusLineMilliseconds);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) return;
    event->acceptProposedAction();
    const QUrl first = urls.constFirst();
    if (!first.isLocalFile()) {
        statusLine(QStringLiteral("Only a folder or a .dbx file on this computer opens as a "
                                  "store, not ") +
                   first.toDisplayString());
        return;
    }
    // After the drop has ended: the box of a store that does not open must not hold up the
    // program the drag came from.
    const QString path = first.toLocalFile();
    const auto others = urls.size() - 1;
    QTimer::singleShot(0, this, [this, path, others] {
        if (OpenStore(path) && others > 0)
            statusLine(QStringLiteral("Opened %1; the other %2 dropped were left alone: one "
                                      "store opens at a time.")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(others));
    });
}

}  // namespace mq
