#include "ui/WidgetUserDialogs.h"

#include "ui/CenteredMessageDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace mq {

namespace {

// A folder chooser that takes a .dbx file as well. The folder mode alone would only open a
// file's folder, and keeps its Open button disabled while a file is picked.
class StoreChooser : public QFileDialog {
public:
    StoreChooser(QWidget* parent, const QString& startFolder)
        : QFileDialog(parent, QStringLiteral("Open Store"), startFolder) {
        // The widget layer's own dialog: a system one would not let a file through.
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly, false);
        setLabelText(QFileDialog::Accept, QStringLiteral("Open"));
        // After the dialog has set the button for what is picked now.
        connect(this, &QFileDialog::currentChanged, this, &StoreChooser::allowFile,
                Qt::QueuedConnection);
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            connect(name, &QLineEdit::textChanged, this, &StoreChooser::allowFile,
                    Qt::QueuedConnection);
    }

    void accept() override {
        if (isFileChosen())
            QDialog::accept();
        else
            QFileDialog::accept();
    }

private:
    bool isFileChosen() const {
        const QStringList chosen = selectedFiles();
        return !chosen.isEmpty() && QFileInfo(chosen.constFirst()).isFile();
    }

    void allowFile() {
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (buttons && buttons->button(QDialogButtonBox::Open) && isFileChosen())
            buttons->button(QDialogButtonBox::Open)->setEnabled(true);
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
    StoreChooser dialog(parent, startFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace mq
