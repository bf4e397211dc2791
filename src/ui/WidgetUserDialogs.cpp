#include "ui/WidgetUserDialogs.h"

#include "ui/CenteredMessageDlg.h"

#include <QFileDialog>

namespace mq {

void WidgetUserDialogs::showMessage(const QString& caption, const QString& text,
                                    QMessageBox::Icon icon) {
    CenteredMessageDlg(caption, text, icon);
}

QString WidgetUserDialogs::getSaveFileName(QWidget* parent, const QString& filter,
                                           const QString& defaultSuffix, const QString& startPath) {
    return getTitledSaveFileName(parent, QString(), filter, defaultSuffix, startPath);
}

QString WidgetUserDialogs::getTitledSaveFileName(QWidget* parent, const QString& title,
                                                 const QString& filter,
                                                 const QString& defaultSuffix,
                                                 const QString& startPath) {
    QFileDialog dialog(parent, title, startPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetUserDialogs::browseForFolder(QWidget* parent, const QString& caption,
                                           const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

}  // namespace mq
