#include "ui/TReaderWindow.h"

#include "save/FileNaming.h"
#include "ui/AnsiText.h"
#include "ui/ChosenFile.h"
#include "ui/MessageView.h"
#include "ui/UserDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mq {

TReaderWindow::TReaderWindow(std::string storedText, const AnsiCodePage& codePage,
                             const LocaleSettings& locale, UserDialogs& dialogs,
                             const QString& saveFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), codePage_(codePage), dialogs_(dialogs), saveFolder_(saveFolder) {
    setObjectName(QStringLiteral("ReaderWindow"));
    setAttribute(Qt::WA_DeleteOnClose);

    SaveAttachment1 = new QPushButton(QStringLiteral("&Save Attachment..."), this);
    SaveAttachment1->setObjectName(QStringLiteral("SaveAttachment1"));
    SaveAttachment1->setEnabled(false);
    ShowSource1 = new QPushButton(QStringLiteral("Show &Source"), this);
    ShowSource1->setObjectName(QStringLiteral("ShowSource1"));
    view_ = new MessageView(codePage, locale, this);
    view_->setObjectName(QStringLiteral("ReaderView"));

    auto* commands = new QHBoxLayout;
    commands->addWidget(SaveAttachment1);
    commands->addWidget(ShowSource1);
    commands->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    commands->setContentsMargins(6, 0, 6, 0);
    layout->addLayout(commands);
    layout->addWidget(view_, 1);

    connect(SaveAttachment1, &QPushButton::clicked, this, &TReaderWindow::SaveAttachment1Click);
    connect(ShowSource1, &QPushButton::clicked, this, &TReaderWindow::ShowSource1Click);
    connect(view_, &MessageView::currentAttachmentChanged, this,
            [this](int index) { SaveAttachment1->setEnabled(index >= 0); });
    connect(view_, &MessageView::attachmentActivated, this, &TReaderWindow::SaveAttachment1Click);

    view_->setMessage(std::move(storedText));
    // A title bar shows a line at the most; a subject may be as long as the whole header.
    const QString subject = QString::fromStdString(view_->message().subject).left(256);
    setWindowTitle(subject.isEmpty() ? QStringLiteral("No Subject") : subject);
    resize(800, 600);
    if (parent != nullptr) move(parent->window()->geometry().center() - rect().center());
}

void TReaderWindow::setFolder(const QString& name) {
    view_->setFolder(name);
}

void TReaderWindow::SaveAttachment1Click() {
    const int index = view_->currentAttachment();
    const auto& attachments = view_->message().attachments;
    if (index < 0 || static_cast<std::size_t>(index) >= attachments.size()) return;
    const QString suggested = QDir(saveFolder_)
                                  .filePath(QString::fromStdString(attachmentFileName(
                                      attachments[static_cast<std::size_t>(index)].name)));
    const QString path =
        dialogs_.getTitledSaveFileName(this, QStringLiteral("Save Attachment"),
                                       QStringLiteral("All Files (*)"), QString(), suggested);
    if (path.isEmpty()) return;
    saveFolder_ = QFileInfo(path).path();
    const std::optional<std::string> data =
        attachmentData(view_->storedText(), codePage_, static_cast<std::size_t>(index));
    if (data) saveToChosenFile(dialogs_, path, *data);
}

void TReaderWindow::ShowSource1Click() {
    if (!source_) {
        source_ = new QPlainTextEdit(this);
        source_->setWindowFlag(Qt::Window);
        source_->setAttribute(Qt::WA_DeleteOnClose);
        source_->setObjectName(QStringLiteral("SourceView"));
        source_->setAccessibleName(QStringLiteral("Message source"));
        source_->setWindowTitle(windowTitle() + QStringLiteral(" - Source"));
        source_->setReadOnly(true);
        source_->setLineWrapMode(QPlainTextEdit::NoWrap);
        source_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        source_->setPlainText(widenAnsi(codePage_, view_->storedText()));
        source_->setGeometry(geometry());
    }
    source_->show();
    source_->raise();
    source_->activateWindow();
}

}  // namespace mq
