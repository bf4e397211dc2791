#pragma once

#include "save/TPref.h"
#include "search/SearchQuery.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mq {

// Edit > Find Messages...: the words to find, the fields to look in, all folders or the one
// chosen, and a received-date range. Find stays disabled until there is something to find.
class TFindDialog : public QDialog {
    Q_OBJECT

public:
    // `folderChosen`: whether "This folder" names one.
    TFindDialog(bool folderChosen, QWidget* parent);

    void fill(const TPref& pref);
    // The choices into the preferences (after Find only).
    void readBack(TPref& pref) const;

    // What to find, as the dialog holds it now.
    SearchQuery query() const;
    QString words() const;
    bool allFolders() const;

private:
    void updateFindButton();

    QLineEdit* words_;
    QCheckBox* subject_;
    QCheckBox* people_;
    QCheckBox* text_;
    QCheckBox* attachments_;
    QRadioButton* allFolders_;
    QRadioButton* thisFolder_;
    QCheckBox* dateRange_;
    QDateEdit* from_;
    QDateEdit* to_;
    QLabel* problem_;
    QPushButton* find_;
};

}  // namespace mq
