#include "ui/TForm1.h"

#include "ui/StatusTexts.h"
#include "ui/TFindDialog.h"
#include "ui/TForm3.h"
#include "ui/ui_TForm1.h"

#include <QLabel>

namespace mq {

namespace {

// The search's side of the progress dialog: the folder being searched, a notification per
// block read (which is how Cancel is seen), and the stop request.
class FindProgress : public SearchObserver {
public:
    FindProgress(OperationHost& host, const FolderList& folders,
                 const std::vector<std::size_t>& chosen)
        : host_(host), folders_(folders), chosen_(chosen) {}
    bool cancelled() const override { return host_.cancelled(); }
    void blockRead() override { host_.NotifyObservers(); }
    void searching(std::size_t folder) override {
        ProgressState& state = host_.progress();
        state.ProgressDone = static_cast<std::int32_t>(
            std::find(chosen_.begin(), chosen_.end(), folder) - chosen_.begin());
        state.ProgressItem = AnsiCodePage::store().toUtf8(folders_[folder].Name);
        host_.NotifyObservers();
    }

private:
    OperationHost& host_;
    const FolderList& folders_;
    const std::vector<std::size_t>& chosen_;
};

}  // namespace

void TForm1::setUpFind() {
    foundPanel_ = addStatusPanel(QStringLiteral("FoundPanel"));
    foundPanel_->hide();
    connect(ui->FindMessages1, &QAction::triggered, this, &TForm1::FindMessages1Click);
    // Choosing the folder that was chosen before the search lists its own messages again: a
    // click on the item already selected changes no selection.
    connect(ui->ListBox1, &QListWidget::itemClicked, this, [this] {
        if (!FoundFiles.empty()) ListBox1Click();
    });
}

void TForm1::FindMessages1Click() {
    const QModelIndexList selected = ui->ListBox1->selectionModel()->selectedRows();
    const int current = selected.isEmpty() ? -1 : selected.first().row();
    const bool folderChosen = current >= 0 && current < static_cast<int>(FolderList.size()) &&
                              !FolderList[static_cast<std::size_t>(current)].FileName.empty();
    TFindDialog dialog(folderChosen, this);
    dialog.fill(Pref1);
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.readBack(Pref1);

    PendingQuery = dialog.query();
    PendingFolders.clear();
    if (dialog.allFolders()) {
        for (std::size_t folder = 0; folder < FolderList.size(); ++folder)
            if (!FolderList[folder].FileName.empty()) PendingFolders.push_back(folder);
    } else if (folderChosen) {
        PendingFolders.push_back(static_cast<std::size_t>(current));
    }
    progress_.begin(PendingFolders.size());
    progress_.ProgressPrefix = "Searching ";
    progress_.ProgressItem.clear();
    progress_.PendingOperation = 6;
    runProgressDialog(QStringLiteral("Finding messages"));

    const QString words = QLatin1Char('"') + dialog.words() + QLatin1Char('"');
    if (!PendingSearch) {
        foundPanel_->setText(QStringLiteral("Finding messages for %1 was cancelled").arg(words));
        foundPanel_->show();
    } else if (PendingSearch->messages() == 0) {
        // The list stays as it was.
        foundPanel_->setText(QStringLiteral("No messages found for ") + words +
                             unreadableNote(*PendingSearch));
        foundPanel_->show();
    } else {
        showFound(*PendingSearch, words);
    }
    PendingSearch.reset();
}

void TForm1::FindMessages() {
    PendingSearch.reset();
    StoreSearch search(store_, AnsiCodePage::store());
    search.useCache(SearchCache1, store_);
    FindProgress observer(*this, FolderList, PendingFolders);
    SearchOutcome outcome = search.searchStore(FolderList, PendingFolders, PendingQuery, observer);
    if (!outcome.cancelled) PendingSearch = std::move(outcome);
}

void TForm1::showFound(const SearchOutcome& outcome, const QString& words) {
    clearMessageList();
    try {
        for (const FolderMatches& found : outcome.folders) {
            const Toe5_FolderInfo& folder = FolderList[found.folder];
            for (const Toe5_MessageInfo& record : found.records) {
                MessageInfoList.push_back(record);
                FoundFiles.push_back(folder.FileName);
                FoundFolders.push_back(folder.Name);
            }
        }
        listMessages();
    } catch (const std::exception& e) {
        clearMessageList();
        dialogs_.showError(widen(e.what()));
    }
    if (!FoundFiles.empty()) {
        foundPanel_->setText(
            QStringLiteral("Found ") + countedText(outcome.messages(), "message", "messages") +
            QStringLiteral(" in ") + countedText(outcome.folders.size(), "folder", "folders") +
            QStringLiteral(" for ") + words + unreadableNote(outcome));
        foundPanel_->show();
    }
    VST1Click();
}

QString TForm1::unreadableNote(const SearchOutcome& outcome) const {
    if (outcome.unreadable.empty()) return {};
    QStringList names;
    for (const std::size_t folder : outcome.unreadable) names << widenStore(FolderList[folder].Name);
    return QStringLiteral(" (could not read %1)").arg(names.join(QStringLiteral(", ")));
}

QString TForm1::folderOfRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= MessageList.size()) return {};
    const auto index =
        static_cast<std::size_t>(MessageList[static_cast<std::size_t>(row)].InfoIndex);
    return index < FoundFolders.size() ? widenStore(FoundFolders[index]) : QString();
}

std::string TForm1::fileOfRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= MessageList.size()) return CurrentFile;
    const auto index =
        static_cast<std::size_t>(MessageList[static_cast<std::size_t>(row)].InfoIndex);
    return index < FoundFiles.size() ? FoundFiles[index] : CurrentFile;
}

}  // namespace mq
