#include "ui/TForm1.h"

#include "save/FileNaming.h"
#include "save/SaveToFiles.h"
#include "save/SaveToSingleFile.h"
#include "ui/TForm2.h"
#include "ui/TForm3.h"
#include "ui/ui_TForm1.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace mq {

void TForm1::SaveSelectedtoIndividualFiles1Click() {
    TForm2 preferences(
        dialogs_, codePage_, [this](const QString& topic) { showHelp(topic); }, this);
    preferences.fill(Pref1, FileNameItems);
    if (preferences.exec() != QDialog::Accepted) return;
    preferences.readBack(Pref1, FileNameItems);

    progress_.ProgressTotal = static_cast<std::int32_t>(selectedRows().size());
    progress_.ProgressPrefix = "Saving Message: ";
    progress_.PendingOperation = 1;
    runProgressDialog(QStringLiteral("Saving to individual files"));
    showOutcome(savedOutcome(
        QDir::toNativeSeparators(QString::fromStdString(StripTrailingBackslash(Pref1.Directory)))));
}

void TForm1::SaveSelectedToaSingleFile1Click() {
    // Named after the folder the messages come from, in the folder used for it last time.
    const QListWidgetItem* folder = ui->ListBox1->currentItem();
    const QString name = folder == nullptr
                             ? QString()
                             : QString::fromStdString(safeFileName(folder->text().toStdString()));
    const QString path = dialogs_.getTitledSaveFileName(
        this, QStringLiteral("Save to a single text file"), QStringLiteral("Text File (*.txt)"),
        QStringLiteral("txt"),
        saveStartPath(Pref1.SingleFileDirectory,
                      name.isEmpty() ? QString() : name + QStringLiteral(".txt")));
    if (path.isEmpty()) return;
    Pref1.SingleFileDirectory = QDir::toNativeSeparators(QFileInfo(path).path()).toStdString();

    progress_.PendingOperation = 2;
    progress_.ProgressItem = path.toStdString();
    progress_.ProgressPrefix = "Adding Message: ";
    progress_.ProgressTotal = static_cast<std::int32_t>(selectedRows().size());
    runProgressDialog(QStringLiteral("Saving to a single text file"));
    showOutcome(savedOutcome(QDir::toNativeSeparators(path)));
}

void TForm1::SaveMessagesToFiles() {
    savedMessages_ = mq::SaveMessagesToFiles(*this, selectedMessages(), Pref1, FileNameItems,
                                             *FileList, locale_);
}

void TForm1::SaveMessagesToSingleFile(const std::string& path) {
    savedMessages_ =
        mq::SaveMessagesToSingleFile(*this, selectedMessages(), path) ? progress_.ProgressDone : 0;
}

void TForm1::showError(const std::string& text) {
    ++errorsShown_;
    dialogs_.showError(QString::fromStdString(text));
}

SelectedMessages TForm1::messageSource() {
    SelectedMessages messages{store_, CurrentFile, MessageInfoList, {}};
    if (!RecoveredMessages.empty()) messages.recovered = &RecoveredMessages;
    if (!FoundFiles.empty()) messages.files = &FoundFiles;
    return messages;
}

SelectedMessages TForm1::selectedMessages() {
    SelectedMessages messages = messageSource();
    for (const int row : selectedRows())
        if (row >= 0 && static_cast<std::size_t>(row) < MessageList.size())
            messages.rows.push_back(&MessageList[static_cast<std::size_t>(row)]);
    return messages;
}

void TForm1::runProgressDialog(const QString& caption) {
    savedMessages_ = 0;
    errorsShown_ = 0;
    TForm3 dialog(*this, this);
    dialog.setWindowTitle(caption);
    dialog.exec();
}

}  // namespace mq
