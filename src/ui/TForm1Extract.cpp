#include "ui/TForm1.h"

#include "extract/ExtractBodyAddresses.h"
#include "extract/ExtractReplyToAddresses.h"
#include "ui/TForm5.h"
#include "ui/StatusTexts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace mq {

void TForm1::ExtractReplyToEmailAddresses1Click() {
    mq::FoundAddresses found;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ExtractReplyToAddresses(selectedMessages().rows, EmailChk1, found);
    QApplication::restoreOverrideCursor();
    showOutcome(addressesFoundText(found.items().size(), false, 0, 0));
    showFoundAddresses(found, "  Reply to addresses found");
}

void TForm1::ExtractMessageBodyEmailAddresses1Click() {
    FoundAddresses = std::make_unique<mq::FoundAddresses>();
    progress_.ProgressTotal = static_cast<std::int32_t>(selectedRows().size());
    progress_.ProgressPrefix = "Scanning Message: ";
    progress_.PendingOperation = 3;
    runProgressDialog(IncludeReplyTo
                          ? QStringLiteral("Extracting both reply to and embedded addresses")
                          : QStringLiteral("Extracting addresses from message bodies"));
    // A scan that a failure stopped says so in its box already.
    showOutcome(addressesFoundText(FoundAddresses->items().size(),
                                   progress_.Cancelled && errorsShown_ == 0, progress_.ProgressDone,
                                   progress_.ProgressTotal));
    // Shown however the scan ended: complete, cancelled or stopped by an unreadable file.
    showFoundAddresses(*FoundAddresses, IncludeReplyTo ? "  Reply to and Embedded addresses found"
                                                       : "  Embedded addresses found");
    FoundAddresses.reset();
}

void TForm1::ExtractBothReplytoandmessagebodyemailaddresses1Click() {
    IncludeReplyTo = true;
    ExtractMessageBodyEmailAddresses1Click();
    IncludeReplyTo = false;
}

void TForm1::ExtractBodyAddresses() {
    // Only the body commands set this operation, and they provide the list.
    if (!FoundAddresses) return;
    mq::ExtractBodyAddresses(*this, selectedMessages(), IncludeReplyTo, EmailChk1, *FoundAddresses);
}

void TForm1::showFoundAddresses(const mq::FoundAddresses& found, const char* captionSuffix) {
    TForm5 results(dialogs_, AnsiCodePage::store(), this);
    results.AddressList = found.items();
    results.setRowCount(static_cast<int>(results.AddressList.size()));
    results.setWindowTitle(QStringLiteral(" %1").arg(results.AddressList.size()) +
                           QString::fromLatin1(captionSuffix));
    const QString start =
        saveStartPath(Pref1.AddressFileDirectory, QStringLiteral("addresses.txt"));
    results.SavePath = start;
    results.exec();
    if (results.SavePath != start)
        Pref1.AddressFileDirectory =
            QDir::toNativeSeparators(QFileInfo(results.SavePath).path()).toStdString();
}

}  // namespace mq
