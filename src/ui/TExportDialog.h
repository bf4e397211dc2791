#pragma once

#include "save/TPref.h"
#include "store/StoreReader.h"

#include <QDialog>
#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TExportDialog;
}

namespace mq {

class AnsiCodePage;
class UserDialogs;

// File > Export All Folders...: where to, in which form, and which folders (all that have
// messages of their own, ticked, nested as in the store).
class TExportDialog : public QDialog {
    Q_OBJECT

public:
    TExportDialog(UserDialogs& dialogs, const AnsiCodePage& codePage, const FolderList& folders,
                  QWidget* parent);
    ~TExportDialog() override;

    // The target and the format from the preferences.
    void fill(const TPref& pref);
    // The chosen target and format into the preferences (after "&Export" only).
    void readBack(TPref& pref) const;
    // The ticked folders, as folder-list indexes.
    std::vector<std::size_t> chosenFolders() const;

    void BrowseButtonClick();

private:
    void updateExportButton();

    std::unique_ptr<Ui::TExportDialog> ui;
    UserDialogs& dialogs_;
    const AnsiCodePage& codePage_;
};

}  // namespace mq
