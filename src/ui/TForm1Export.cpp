#include "ui/TForm1.h"

#include "ui/TExportDialog.h"

#include <QApplication>

namespace mq {

void TForm1::ExportAllFolders1Click() {
    TExportDialog dialog(dialogs_, AnsiCodePage::store(), FolderList, this);
    dialog.fill(Pref1);
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.readBack(Pref1);

    // Counting the messages reads every chosen folder's records: the time a folder takes to
    // open, for each of them.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PendingExport = planExport(store_, FolderList, dialog.chosenFolders(), Pref1.ExportDirectory,
                               parseExportFormat(Pref1.ExportFormat).value_or(ExportFormat::Mbox));
    QApplication::restoreOverrideCursor();

    progress_.begin(PendingExport->messages);
    progress_.ProgressPrefix = "Exporting: ";
    progress_.ProgressItem.clear();
    progress_.PendingOperation = 4;
    runProgressDialog(QStringLiteral("Exporting all folders"));

    // No summary when the run ended in a failure that was shown already.
    if (ExportResult) {
        dialogs_.showMessage(
            QStringLiteral("Export All Folders"),
            QString::fromStdString(exportSummaryText(*ExportResult, PendingExport->target)),
            ExportResult->complete() ? QMessageBox::Information : QMessageBox::Warning);
    }
    PendingExport.reset();
    ExportResult.reset();
}

void TForm1::ExportAllFolders() {
    ExportResult = mq::ExportAllFolders(*this, store_, FolderList, *PendingExport, Pref1,
                                        FileNameItems, locale_);
}

}  // namespace mq
