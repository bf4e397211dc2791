#pragma once

#include "ui/UserDialogs.h"

namespace mq {

// The dialogs a user sees: CenteredMessageDlg and the widget layer's file dialogs.
class WidgetUserDialogs : public UserDialogs {
public:
    void showMessage(const QString& caption, const QString& text, QMessageBox::Icon icon) override;
    QString getSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                            const QString& startPath) override;
    QString getTitledSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& defaultSuffix, const QString& startPath) override;
    QString browseForFolder(QWidget* parent, const QString& caption,
                            const QString& startFolder) override;
    QString chooseStore(QWidget* parent, const QString& startFolder) override;
};

}  // namespace mq
