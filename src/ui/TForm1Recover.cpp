#include "ui/TForm1.h"

#include "platform/AnsiCodePage.h"
#include "store/StoreError.h"
#include "ui/StatusTexts.h"
#include "ui/TForm3.h"
#include "ui/ui_TForm1.h"

#include <QLabel>

#include <exception>

namespace mq {

namespace {

// The scan counts on the progress bar in hundredths of the file.
constexpr std::int32_t ScanSteps = 100;

// The scan's side of the progress dialog: its progress on the bar, and Cancel.
class ScanProgress : public RecoveryScanObserver {
public:
    explicit ScanProgress(OperationHost& host) : host_(host) {}
    bool cancelled() const override { return host_.cancelled(); }
    void scanned(std::uint64_t done, std::uint64_t total) override {
        host_.progress().ProgressDone =
            total == 0 ? ScanSteps : static_cast<std::int32_t>(done * ScanSteps / total);
        host_.NotifyObservers();
    }

private:
    OperationHost& host_;
};

}  // namespace

void TForm1::setUpRecovery() {
    recoveredPanel_ = addStatusPanel(QStringLiteral("RecoveredPanel"));
    recoveredPanel_->hide();
    connect(ui->RecoverMessages1, &QAction::triggered, this, &TForm1::RecoverMessages1Click);
    // Choosing the folder whose recovered messages are listed lists its own again: a click
    // on the item already selected changes no selection.
    connect(ui->ListBox1, &QListWidget::itemClicked, this, [this] {
        if (!RecoveredMessages.empty()) ListBox1Click();
    });
}

void TForm1::RecoverMessages1Click() {
    // Enabled once a folder with a file of its own is chosen.
    if (!ui->RecoverMessages1->isEnabled()) return;
    progress_.ProgressTotal = ScanSteps;
    progress_.ProgressPrefix = "Scanning ";
    progress_.ProgressItem = AnsiCodePage::store().toUtf8(CurrentFile);
    progress_.PendingOperation = 5;
    runProgressDialog(QStringLiteral("Recovering messages"));

    // Cancelled, or the file could not be read (which was shown): the list stays as it was.
    if (!PendingRecovery) return;
    RecoveredFolder found = std::move(*PendingRecovery);
    PendingRecovery.reset();
    if (found.messages.empty()) {
        dialogs_.showMessage(QStringLiteral("Recover Messages"),
                             QStringLiteral("No messages to recover were found in ") +
                                 widenStore(CurrentFile) + QLatin1Char('.'),
                             QMessageBox::Information);
        return;
    }
    showRecovered(std::move(found));
}

void TForm1::RecoverMessages() {
    PendingRecovery.reset();
    progress_.begin(ScanSteps);
    ScanProgress observer(*this);
    try {
        RecoveredFolder found = recoverFolder(store_, CurrentFile, observer, AnsiCodePage::store());
        if (!progress_.Cancelled) PendingRecovery = std::move(found);
    } catch (const std::exception&) {
        // Locked, gone, or more than the memory there is holds.
        showError(cannotAccessText(AnsiCodePage::store().toUtf8(CurrentFile)));
        progress_.Cancelled = true;
    }
}

void TForm1::showRecovered(RecoveredFolder found) {
    clearMessageList();
    const std::size_t incomplete = found.incomplete();
    try {
        MessageInfoList = std::move(found.infos);
        RecoveredMessages = std::move(found.messages);
        listMessages();
    } catch (const std::exception& e) {
        clearMessageList();
        dialogs_.showError(widen(e.what()));
    }
    if (!RecoveredMessages.empty()) {
        QString text = QStringLiteral("Recovered from ") + widenStore(CurrentFile) +
                       QStringLiteral(": ") +
                       countedText(RecoveredMessages.size(), "message", "messages");
        if (incomplete > 0) text += QStringLiteral(" (%1 incomplete)").arg(incomplete);
        recoveredPanel_->setText(text);
        recoveredPanel_->show();
    }
    VST1Click();
}

QString TForm1::incompleteMark(const TMessHead& message) const {
    const auto index = static_cast<std::size_t>(message.InfoIndex);
    return index < RecoveredMessages.size() && !RecoveredMessages[index].complete
               ? QStringLiteral("[incomplete] ")
               : QString();
}

}  // namespace mq
