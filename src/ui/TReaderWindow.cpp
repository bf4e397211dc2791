#include "ui/TReaderWindow.h"

#include "platform/StoreFile.h"
#include "platform/TextDirection.h"
#include "save/FileNaming.h"
#include "ui/AnsiText.h"
#include "ui/ChosenFile.h"
#include "ui/CloseKeys.h"
#include "ui/MessageView.h"
#include "ui/TSourceWindow.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace mq {

TReaderWindow::TReaderWindow(std::string storedText, const AnsiCodePage& codePage,
                             const LocaleSettings& locale, UserDialogs& dialogs,
                             const QString& saveFolder, QWidget* parent, Navigation navigation)
    : QWidget(parent, Qt::Window),
      codePage_(codePage),
      dialogs_(dialogs),
      saveFolder_(saveFolder),
      navigation_(std::move(navigation)) {
    setObjectName(QStringLiteral("ReaderWindow"));
    setAttribute(Qt::WA_DeleteOnClose);

    // Keys of their own: Tab stays for moving between the controls and the text.
    const auto command = [this](const char* name, const QString& text, const QKeySequence& keys) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        if (!keys.isEmpty()) {
            button->setToolTip(text + QStringLiteral(" (") +
                               keys.toString(QKeySequence::NativeText) + QLatin1Char(')'));
            connect(new QShortcut(keys, this), &QShortcut::activated, button,
                    &QPushButton::animateClick);
        }
        return button;
    };
    Previous1 =
        command("Previous1", QStringLiteral("Previous"), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    Next1 = command("Next1", QStringLiteral("Next"), QKeySequence(Qt::CTRL | Qt::Key_Period));
    Previous1->setVisible(bool(navigation_));
    Next1->setVisible(bool(navigation_));
    SaveAttachment1 = command("SaveAttachment1", QStringLiteral("&Save Attachment..."), {});
    SaveAttachment1->setEnabled(false);
    SaveAllAttachments1 =
        command("SaveAllAttachments1", QStringLiteral("Save &All Attachments..."), {});
    ShowSource1 = new QPushButton(QStringLiteral("Show &Source"), this);
    ShowSource1->setObjectName(QStringLiteral("ShowSource1"));
    view_ = new MessageView(codePage, locale, this);
    view_->setObjectName(QStringLiteral("ReaderView"));

    auto* commands = new QHBoxLayout;
    commands->addWidget(Previous1);
    commands->addWidget(Next1);
    commands->addWidget(SaveAttachment1);
    commands->addWidget(SaveAllAttachments1);
    commands->addWidget(ShowSource1);
    commands->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    commands->setContentsMargins(6, 0, 6, 0);
    layout->addLayout(commands);
    layout->addWidget(view_, 1);

    connect(Previous1, &QPushButton::clicked, this, &TReaderWindow::Previous1Click);
    connect(Next1, &QPushButton::clicked, this, &TReaderWindow::Next1Click);
    connect(SaveAttachment1, &QPushButton::clicked, this, &TReaderWindow::SaveAttachment1Click);
    connect(SaveAllAttachments1, &QPushButton::clicked, this,
            &TReaderWindow::SaveAllAttachments1Click);
    connect(ShowSource1, &QPushButton::clicked, this, &TReaderWindow::ShowSource1Click);
    connect(view_, &MessageView::currentAttachmentChanged, this,
            [this](int index) { SaveAttachment1->setEnabled(index >= 0); });
    connect(view_, &MessageView::attachmentActivated, this, &TReaderWindow::SaveAttachment1Click);

    addCloseKeys(*this);
    showMessage(std::move(storedText));
    resize(800, 600);
    if (parent != nullptr) move(parent->window()->geometry().center() - rect().center());
}

void TReaderWindow::showMessage(std::string storedText) {
    // The source shown belongs to the message that goes.
    if (source_) source_->close();
    view_->setMessage(std::move(storedText));
    // A title bar shows a line at the most; a subject may be as long as the whole header.
    // Isolated, so that it cannot turn the title's own words after it.
    const QString subject = QString::fromStdString(view_->message().subject).left(256);
    setWindowTitle(subject.isEmpty()
                       ? QStringLiteral("No Subject")
                       : QString::fromStdString(isolatedDirection(subject.toStdString())));
    SaveAttachment1->setEnabled(view_->currentAttachment() >= 0);
    SaveAllAttachments1->setEnabled(!view_->message().attachments.empty());
}

void TReaderWindow::step(int by) {
    std::optional<ListedMessage> next = navigation_ ? navigation_(by) : std::nullopt;
    if (next) {
        showMessage(std::move(next->storedText));
        setFolder(next->folder);
    } else {
        QApplication::beep();  // the end of the list, or the list shows another folder now
    }
}

void TReaderWindow::Previous1Click() {
    step(-1);
}

void TReaderWindow::Next1Click() {
    step(1);
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

void TReaderWindow::SaveAllAttachments1Click() {
    const auto& attachments = view_->message().attachments;
    if (attachments.empty()) return;
    const QString folder =
        dialogs_.browseForFolder(this, QStringLiteral("Save All Attachments"), saveFolder_);
    if (folder.isEmpty()) return;
    saveFolder_ = folder;
    const std::string target = folder.toStdString();
    for (std::size_t index = 0; index < attachments.size(); ++index) {
        const std::optional<std::string> data =
            attachmentData(view_->storedText(), codePage_, index);
        if (!data) continue;
        const std::string name = freeFileName(target, attachmentFileName(attachments[index].name));
        // A folder that takes one file takes all; one that refuses it refuses the rest too.
        if (!saveToChosenFile(dialogs_, QString::fromStdString(joinPath(target, name)), *data))
            return;
    }
}

void TReaderWindow::ShowSource1Click() {
    if (!source_) {
        source_ = new TSourceWindow(widenAnsi(codePage_, view_->storedText()), windowTitle(), this);
        source_->setGeometry(geometry());
    }
    source_->show();
    source_->raise();
    source_->activateWindow();
}

}  // namespace mq
