#include "WindowFixture.h"

#include "support/MailDate.h"
#include "ui/ApplicationExit.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace mq {

namespace {

DbxMessage message(std::string from, std::string replyTo, std::string subject, std::string to,
                   std::uint64_t received) {
    DbxMessage m;
    m.text = "Subject: " + subject + "\r\n\r\nBody\r\n";
    m.from = std::move(from);
    m.replyTo = std::move(replyTo);
    m.subject = std::move(subject);
    m.to = std::move(to);
    m.received = received;
    return m;
}

}  // namespace

WindowFixture::WindowFixture() {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root() / "config").string()));
}

WindowFixture::~WindowFixture() {
    destroyWindow();
}

std::filesystem::path WindowFixture::root() const {
    return std::filesystem::path(dir_.path().toStdString());
}

std::filesystem::path WindowFixture::storeDir() const {
    return root() / "store";
}

std::filesystem::path WindowFixture::registryPath() const {
    return registryFileIn(root() / "config");
}

void WindowFixture::writeStandardStore() {
    StoreBuilder store;
    store.addFolder(
        "Inbox", "Inbox.dbx",
        {message("Bob", "bob@example.com", "Re: ab", "me@example.com",
                 filetimeOf(2004, 1, 2, 10, 20, 30)),
         message("alice", "", "Re: a", "", filetimeOf(2003, 5, 6)),
         message("_x", "x@example.org", "", "you", filetimeOf(2005, 12, 31, 23, 59, 59))});
    store.addFolder("Empty", "Empty.dbx");
    store.addFolder("No File", "");
    writeStore(store);
}

void WindowFixture::writeStore(const StoreBuilder& store) {
    store.write(storeDir());
    writeStoreRegistry(registryPath(), storeDir().string());
}

void WindowFixture::addViewValues(const std::string& lines) {
    std::ofstream file(registryPath(), std::ios::app | std::ios::binary);
    file << "\r\n[HKEY_CURRENT_USER\\Software\\Tarnwick Software\\Mailquarry\\View]\r\n"
         << lines << "\r\n";
}

TForm1& WindowFixture::start(const QString& storePath) {
    destroyWindow();
    registry_ = std::make_unique<RegistryFile>(registryPath());
    const int ended = quitRequests;
    form_ = std::make_unique<TForm1>(
        *registry_, dialogs, locale, codePage,
        [this] {
            ++quitRequests;
            postApplicationExit();
        },
        storePath);
    // As in the program: a window whose start-up ended it is never shown.
    if (quitRequests != ended) return *form_;
    form_->show();
    form_->activateWindow();
    if (!QTest::qWaitForWindowExposed(form_.get())) qWarning("the main window was not exposed");
    return *form_;
}

void WindowFixture::closeWindow() {
    if (form_) form_->close();
    destroyWindow();
}

bool WindowFixture::runToEnd() {
    bool ended = quitRequests > endsRun_;
    // One run of the loop per end posted, so that none is left over to stop a later loop.
    for (; endsRun_ < quitRequests; ++endsRun_) {
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, [&ended] {
            ended = false;
            QCoreApplication::exit(1);
        });
        stuck.start(10'000);
        QApplication::exec();
    }
    destroyWindow();
    return ended;
}

void WindowFixture::destroyWindow() {
    // An end still posted would stop whatever event loop runs next.
    if (endsRun_ < quitRequests) runToEnd();
    form_.reset();
    registry_.reset();
}

std::optional<std::string> WindowFixture::storedPref(const std::string& subkey,
                                                     const std::string& name) {
    RegistryFile registry(registryPath());
    RegistryKeyPtr key = registry.openKey("Software\\Tarnwick Software\\Mailquarry\\" + subkey);
    if (!key) return std::nullopt;
    std::optional<RegValue> value = registry.queryValue(*key, name);
    registry.closeKey(std::move(key));
    if (!value) return std::nullopt;
    return value->data;
}

QTableView* WindowFixture::list() {
    return form_->findChild<QTableView*>("VST1");
}

void WindowFixture::clickFolder(const QString& name) {
    auto* folders = form_->findChild<QListWidget*>("ListBox1");
    const QList<QListWidgetItem*> items = folders->findItems(name, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    const QRect rect = folders->visualItemRect(items.first());
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, rect.center());
}

void WindowFixture::clickRow(int row, Qt::KeyboardModifiers modifiers) {
    const QRect rect = list()->visualRect(list()->model()->index(row, 2));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, rect.center());
}

void WindowFixture::clickHeader(int column) {
    QHeaderView* header = list()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QString WindowFixture::statusCounts() {
    return form_->findChild<QLabel*>("StatusPanel1")->text();
}

QString WindowFixture::cell(int row, int column) {
    return list()->model()->index(row, column).data().toString();
}

}  // namespace mq
