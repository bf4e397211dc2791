#include "ui/WidgetUserDialogs.h"

#include "ui/CenteredMessageDlg.h"

#include <QFileDialog>
#include <QFileInfo>

namespace mq {

namespace {

// A folder chooser that takes a .dbx file as well: the folder mode alone would only open a
// file's folder when the file is picked.
class StoreChooser : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty() && QFileInfo(chosen.constFirst()).isFile())
            QDialog::accept();
        else
            QFileDialog::accept();
    }
};

}  // namespace

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

QString WidgetUserDialogs::chooseStore(QWidget* parent, const QString& startFolder) {
    StoreChooser dialog(parent, QStringLiteral("Open Store"), startFolder,
                        QStringLiteral("Mail store files (*.dbx *.DBX)"));
    // The widget layer's own dialog: a system one would not let a file through.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Open"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace mq
