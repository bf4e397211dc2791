// The main window's two lists: the folders of the store and the messages of the chosen one.
#include "ui/TForm1.h"

#include "platform/StoreFile.h"
#include "ui/AnsiText.h"
#include "ui/ImageList1.h"
#include "ui/MessageView.h"
#include "ui/VST1Model.h"
#include "ui/ui_TForm1.h"
#include "view/MessageSort.h"
#include "view/ReceivedText.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>

#include <algorithm>
#include <exception>

namespace mq {

namespace {

// A cell or a folder item shows a few hundred characters at the most; the rest of a longer
// text, which only a damaged store holds, would cost its whole length at every repaint.
constexpr std::size_t ShownLength = 1024;

std::string_view shown(std::string_view text) {
    return text.substr(0, ShownLength);
}

}  // namespace

void TForm1::fillFolderList() {
    useStoreEncoding();
    ui->ListBox1->clear();
    listFolders();
    // No row is current either, so the first key that moves in the list picks the first
    // folder rather than the second.
    ui->ListBox1->setCurrentIndex(QModelIndex());
}

void TForm1::listFolders() {
    // Rows of one record share its name: widened once, the items share the text.
    std::vector<QString> names(FolderList.records().size());
    for (std::size_t record = 0; record < names.size(); ++record)
        names[record] = widenStore(shown(FolderList.records()[record].Name));
    for (std::size_t row = 0; row < FolderList.size(); ++row) {
        const QString& name = names[FolderList.recordOf(row)];
        if (QListWidgetItem* item = ui->ListBox1->item(static_cast<int>(row)))
            item->setText(name);
        else
            ui->ListBox1->addItem(name);
    }
}

void TForm1::ListBox1Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui->StatusBar1->clearMessage();
    VST1Click();

    const QModelIndexList selected = ui->ListBox1->selectionModel()->selectedRows();
    const int index = selected.isEmpty() ? -1 : selected.first().row();
    if (index < 0 || index >= static_cast<int>(FolderList.size())) {
        QApplication::restoreOverrideCursor();
        return;
    }
    // A file name leading out of the store folder is no file of this store.
    const std::string& fileName = FolderList[static_cast<std::size_t>(index)].FileName;
    CurrentFile = isStoreFileName(fileName) ? fileName : std::string();
    ui->RecoverMessages1->setEnabled(!CurrentFile.empty());

    clearMessageList();
    try {
        if (!CurrentFile.empty()) store_.Read_OE_File(CurrentFile, &MessageInfoList);
        // A folder too big for the memory there is fails like an unreadable one.
        listMessages();
        showIndexHint();
    } catch (const std::exception&) {
        clearMessageList();  // gives back what the box may need
        dialogs_.showError(QStringLiteral("DBX File ") + widenStore(CurrentFile) +
                           QStringLiteral(" cannot be accessed, make sure that Outlook Express "
                                          "is not running"));
        Exit1Click();
    }

    VST1Click();
    QApplication::restoreOverrideCursor();
}

void TForm1::clearMessageList() {
    ++listGeneration_;
    MessageInfoList.clear();
    RecoveredMessages = {};
    recoveredPanel_->hide();
    FoundFiles = {};
    FoundFolders = {};
    foundPanel_->hide();
    for (int column = 0; column < VST1Model::ColumnCount; ++column)
        model_->setHeaderImageIndex(column, -1);
    setRowCount(0);
    MessageList.clear();
}

void TForm1::listMessages() {
    if (!MessageInfoList.empty()) {
        MessageList = buildMessageList(MessageInfoList);
        SortAscending = true;
        SortColumns(static_cast<int>(MessageColumn::Received));
    }
    setRowCount(static_cast<int>(MessageInfoList.size()));
    ui->VST1->viewport()->update();
}

void TForm1::setRowCount(int rows) {
    model_->setRowCount(rows);
    schedulePreview();
}

QString TForm1::VST1GetText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(MessageList.size())) return {};
    const TMessHead& message = MessageList[static_cast<std::size_t>(row)];
    switch (column) {
        case 0:
            return widenStore(shown(message.From));
        case 1:
            return widenStore(shown(message.ReplyTo));
        case 2:
            return incompleteMark(message) + widenStore(shown(message.Subject));
        case 3:
            return widenStore(shown(message.To));
        case 4:
            return widen(receivedText(message.Received, locale_));
        default:
            return {};
    }
}

int TForm1::VST1GetImageIndex(int /*row*/, int column) const {
    return ui->VST1->horizontalHeader()->visualIndex(column) == 0 ? ImageList1::Message : -1;
}

std::vector<int> TForm1::selectedRows() const {
    std::vector<int> rows;
    const QModelIndexList selected = ui->VST1->selectionModel()->selectedRows();
    rows.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& index : selected) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TForm1::VST1Click() {
    const qsizetype selected = ui->VST1->selectionModel()->selectedRows().size();

    const bool hasRows = model_->rowCount() > 0;
    ui->SelectAll1->setEnabled(hasRows);
    ui->SelectAll2->setEnabled(hasRows);

    const bool hasSelection = selected > 0;
    for (QAction* item :
         {ui->SaveSelectedtoIndividualFiles1, ui->SaveSelectedtoIndividualFiles2,
          ui->SaveSelectedToaSingleFile1, ui->SaveSelectedToaSingleFile2,
          ui->ExtractReplyToEmailAddresses1, ui->ExtractReplyToEmailAddresses2,
          ui->ExtractMessageBodyEmailAddresses1, ui->ExtractMessageBodyEmailAddresses2,
          ui->ExtractBothReplytoandmessagebodyemailaddresses1,
          ui->ExtractBothReplytoandmessagebodyemailaddresses2})
        item->setEnabled(hasSelection);
    for (QToolButton* button :
         {ui->SaveSelectedtoIndividualFiles3, ui->SaveSelectedToaSingleFile3,
          ui->ExtractReplyToEmailAddresses3, ui->ExtractMessageBodyEmailAddresses3,
          ui->ExtractBothReplytoandmessagebodyemailaddresses3})
        button->setEnabled(hasSelection);

    countsPanel_->setText(
        QStringLiteral("Displayed: %1   Selected: %2").arg(MessageList.size()).arg(selected));
}

void TForm1::VST1Change() {
    ui->StatusBar1->clearMessage();
    VST1Click();
}

void TForm1::VST1HeaderClick(int column) {
    ui->VST1->clearSelection();
    SortAscending = !SortAscending;
    SortColumns(column);
}

void TForm1::SortColumns(int column) {
    for (int c = 0; c < VST1Model::ColumnCount; ++c) model_->setHeaderImageIndex(c, -1);
    model_->setHeaderImageIndex(
        column, SortAscending ? ImageList1::SortedAscending : ImageList1::SortedDescending);
    sortMessageList(MessageList, column, SortAscending, locale_);
    model_->repaintAll();
    schedulePreview();  // the current row holds another message now
}

void TForm1::SelectAll1Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui->VST1->selectAll();
    QApplication::restoreOverrideCursor();
}

}  // namespace mq
