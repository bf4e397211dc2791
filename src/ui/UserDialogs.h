#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace mq {

// Every modal question the windows ask the user: message boxes and the file and folder
// dialogs. The program answers through WidgetUserDialogs; window tests answer in advance.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The message box with an OK button, centred over the active window (CenteredMessageDlg).
    // `icon` is QMessageBox::Critical for errors, QMessageBox::Information for notices.
    virtual void showMessage(const QString& caption, const QString& text,
                             QMessageBox::Icon icon) = 0;

    // A save-file dialog that asks before overwriting. `filter` in Qt's form
    // ("Text File (*.txt)"), `defaultSuffix` without the dot, `startPath` the folder or file
    // to start in (empty: the dialog's own choice). Empty when the user cancels.
    virtual QString getSaveFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix, const QString& startPath) = 0;
    // The same dialog with a title of its own; answered like the one above where no window
    // is shown.
    virtual QString getTitledSaveFileName(QWidget* parent, const QString& title,
                                          const QString& filter, const QString& defaultSuffix,
                                          const QString& startPath) {
        (void)title;
        return getSaveFileName(parent, filter, defaultSuffix, startPath);
    }

    // A folder browser starting at `startFolder`. Empty when the user cancels.
    virtual QString browseForFolder(QWidget* parent, const QString& caption,
                                    const QString& startFolder) = 0;

    // The "Open Store..." chooser starting at `startFolder`: a folder, or a .dbx file in one.
    // Empty when the user cancels.
    virtual QString chooseStore(QWidget* parent, const QString& startFolder) = 0;

    // Shorthand for the error box every failure is reported with.
    void showError(const QString& text) {
        showMessage(QStringLiteral("Error"), text, QMessageBox::Critical);
    }
};

}  // namespace mq
