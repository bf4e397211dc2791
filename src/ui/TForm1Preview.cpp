#include "ui/TForm1.h"

#include "store/StoreError.h"
#include "ui/MessageView.h"
#include "ui/TReaderWindow.h"
#include "ui/ui_TForm1.h"

#include <exception>

namespace mq {

namespace {

// A read for the pane or a reader window: a single message, read whole at once, NULs and
// all, for the reader to show the stored text.
class WholeRead : public MessageReadObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override {}
    bool keepsNuls() const override { return true; }
};

}  // namespace

void TForm1::PreviewPane1Click() {
    showPreviewPane(ui->PreviewPane1->isChecked());
}

void TForm1::showPreviewPane(bool shown) {
    if (!shown) {
        if (!PreviewPane->isHidden()) Pref1.PreviewHeight = PreviewPane->height();
        PreviewPane->hide();
        PreviewPane->clear();  // the message it holds goes with it
        return;
    }
    // Half the list's height before the user ever chose one.
    const int total = ui->Splitter2->height();
    const int height = Pref1.PreviewHeight > 0 ? Pref1.PreviewHeight : total / 2;
    PreviewPane->show();
    ui->Splitter2->setSizes({std::max(total - height, 1), height});
    schedulePreview();
}

void TForm1::schedulePreview() {
    if (!PreviewPane->isHidden()) previewTimer_.start();
}

void TForm1::ShowPreview() {
    if (PreviewPane->isHidden()) return;
    const QModelIndex current = ui->VST1->currentIndex();
    std::string text;
    try {
        if (!current.isValid() || !readRowText(current.row(), text)) {
            PreviewPane->showNoMessage();
            return;
        }
    } catch (const std::exception&) {
        // A line in the pane: moving through the list must never stop at a box.
        PreviewPane->showProblem(widenStore(cannotAccessText(fileOfRow(current.row()))));
        return;
    }
    PreviewPane->setFolder(folderOfRow(current.row()));
    PreviewPane->setMessage(std::move(text));
}

void TForm1::VST1DblClick(int row) {
    std::string text;
    try {
        if (!readRowText(row, text)) return;
    } catch (const std::exception&) {
        dialogs_.showError(widenStore(cannotAccessText(fileOfRow(row))));
        return;
    }
    auto* reader =
        new TReaderWindow(std::move(text), AnsiCodePage::store(), locale_, dialogs_,
                          QString::fromStdString(Pref1.Directory), this, readerNavigation(row));
    reader->setFolder(folderOfRow(row));
    reader->show();
}

bool TForm1::readRowText(int row, std::string& text) {
    text.clear();
    if (row < 0 || static_cast<std::size_t>(row) >= MessageList.size()) return false;
    WholeRead observer;
    readMessageText(messageSource(), MessageList[static_cast<std::size_t>(row)], text, observer);
    return true;
}

}  // namespace mq
