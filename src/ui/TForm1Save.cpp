#include "ui/TForm1.h"

#include "save/SaveToFiles.h"
#include "save/SaveToSingleFile.h"
#include "save/TForm2.h"
#include "ui/TForm3.h"

#include <QApplication>

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
}

void TForm1::SaveSelectedToaSingleFile1Click() {
    const QString path = dialogs_.getTitledSaveFileName(
        this, QStringLiteral("Save to a single text file"), QStringLiteral("Text File (*.txt)"),
        QStringLiteral("txt"), SaveDialog1Path);
    if (path.isEmpty()) return;
    SaveDialog1Path = path;

    progress_.PendingOperation = 2;
    progress_.ProgressItem = path.toStdString();
    progress_.ProgressPrefix = "Adding Message: ";
    progress_.ProgressTotal = static_cast<std::int32_t>(selectedRows().size());
    runProgressDialog(QStringLiteral("Saving to a single text file"));
}

void TForm1::SaveMessagesToFiles() {
    mq::SaveMessagesToFiles(*this, selectedMessages(), Pref1, FileNameItems, *FileList, locale_);
}

void TForm1::SaveMessagesToSingleFile(const std::string& path) {
    mq::SaveMessagesToSingleFile(*this, selectedMessages(), path);
}

void TForm1::showError(const std::string& text) {
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
    TForm3 dialog(*this, this);
    dialog.setWindowTitle(caption);
    dialog.exec();
}

}  // namespace mq
