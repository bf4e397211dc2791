#include "ui/HelpViewer.h"

#include "ui/UserDialogs.h"

#include <QDialog>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace mq {

namespace {

const QString ViewerName = QStringLiteral("HelpViewer");

QTextBrowser* helpBrowser(QWidget* owner) {
    if (auto* existing = owner->findChild<QDialog*>(ViewerName, Qt::FindDirectChildrenOnly))
        return existing->findChild<QTextBrowser*>();
    auto* viewer = new QDialog(owner);
    viewer->setObjectName(ViewerName);
    viewer->setWindowTitle(QStringLiteral("Mailquarry Help"));
    viewer->resize(640, 520);
    auto* browser = new QTextBrowser(viewer);
    browser->setAccessibleName(QStringLiteral("Help text"));
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(viewer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    return browser;
}

}  // namespace

void showHelpTopic(QWidget* owner, UserDialogs& dialogs, const QString& helpFile,
                   const QString& topic) {
    const QFileInfo info(helpFile);
    if (!info.isFile() || !info.isReadable()) {
        dialogs.showMessage(QStringLiteral("Help"),
                            QStringLiteral("Cannot find the help file ") + helpFile + u'.',
                            QMessageBox::Warning);
        return;
    }
    QTextBrowser* browser = helpBrowser(owner);
    QWidget* viewer = browser->window();
    viewer->show();
    QUrl page = QUrl::fromLocalFile(info.absoluteFilePath());
    page.setFragment(topic);
    // The file's name does not say HTML, so the browser is told.
    browser->setSource(page, QTextDocument::HtmlResource);
    viewer->raise();
    viewer->activateWindow();
}

}  // namespace mq
