#include "ui/TForm1.h"

#include "save/FileNaming.h"
#include "save/SaveFolder.h"
#include "ui/StatusTexts.h"
#include "ui/ui_TForm1.h"

#include <QDir>
#include <QLabel>

#include <exception>

namespace mq {

QLabel* TForm1::addStatusPanel(const QString& objectName) {
    auto* panel = new QLabel(ui->StatusBar1);
    panel->setObjectName(objectName);
    ui->StatusBar1->addPermanentWidget(panel);
    return panel;
}

void TForm1::showOutcome(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

QString TForm1::savedOutcome(const QString& place) const {
    return savedText(savedMessages_, progress_.ProgressTotal, place, progress_.Cancelled,
                     errorsShown_ > 0);
}

void TForm1::showIndexHint() {
    if (CurrentFile.empty() || !RecoveredMessages.empty()) return;
    Toe5_FileHeader header;
    try {
        store_.readFile(CurrentFile,
                        [&header](ByteSource& file) { header = dbx::readFileHeader(file); });
    } catch (const std::exception&) {
        return;  // read a moment ago; a file gone since says nothing about its index
    }
    const QString hint = indexHintText(MessageInfoList.size(), header.ItemCount);
    if (hint.isEmpty()) return;
    recoveredPanel_->setText(hint);
    recoveredPanel_->show();
}

QString TForm1::saveStartPath(const std::string& lastFolder, const QString& fileName) const {
    const std::string& folder = isExistingFolder(lastFolder) ? lastFolder : Pref1.Directory;
    return QDir(QString::fromStdString(StripTrailingBackslash(folder))).filePath(fileName);
}

}  // namespace mq
