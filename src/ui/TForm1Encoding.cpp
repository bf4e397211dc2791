#include "ui/TForm1.h"

#include "platform/AnsiCodePage.h"
#include "save/StoreEncodingPreference.h"
#include "store/StoreCodePage.h"
#include "ui/AnsiText.h"
#include "ui/VST1Model.h"
#include "ui/ui_TForm1.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include <exception>

namespace mq {

void TForm1::setUpStoreEncoding() {
    StoreEncoding1 = ui->View1->addMenu(QStringLiteral("Store &Encoding"));
    StoreEncoding1->setObjectName(QStringLiteral("StoreEncoding1"));
    auto* group = new QActionGroup(StoreEncoding1);
    const auto add = [this, group](const QString& text, int codePage) {
        QAction* item = StoreEncoding1->addAction(text);
        item->setCheckable(true);
        item->setData(codePage);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, codePage] {
            StoreEncodingClick(codePage == 0 ? std::nullopt : std::optional<int>(codePage));
        });
    };
    add(QStringLiteral("Automatic"), 0);
    StoreEncoding1->addSeparator();
    for (const AnsiCodePage::Named& page : AnsiCodePage::windowsPages())
        add(QString::fromLatin1(page.name), page.codePage);

    encodingPanel_ = addStatusPanel(QStringLiteral("EncodingPanel"));
    encodingPanel_->setToolTip(QStringLiteral("Store Encoding"));
}

std::string TForm1::storeEncodingKey() const {
    try {
        return store_.source().storePath();
    } catch (const std::exception&) {
        return {};  // no store folder to remember a choice for
    }
}

void TForm1::useStoreEncoding() {
    const std::string key = storeEncodingKey();
    std::optional<int> chosen;
    try {
        if (!key.empty()) chosen = loadStoreEncoding(registry_, key);
    } catch (const std::exception&) {
        // An unreadable choice is no choice: the guess decides.
    }
    const int codePage = storeCodePage(store_, FolderList, chosen);
    AnsiCodePage::setStore(codePage);
    for (QAction* item : StoreEncoding1->actions()) {
        if (item->isCheckable()) item->setChecked(item->data().toInt() == chosen.value_or(0));
    }
    encodingPanel_->setText(QString::fromStdString(AnsiCodePage::pageName(codePage)));
}

void TForm1::StoreEncodingClick(std::optional<int> codePage) {
    const std::string key = storeEncodingKey();
    try {
        if (!key.empty()) saveStoreEncoding(registry_, key, codePage);
    } catch (const std::exception& e) {
        dialogs_.showError(widen(e.what()));
    }
    useStoreEncoding();
    // The texts of the store read anew in the page now in use.
    listFolders();
    model_->repaintAll();
    schedulePreview();
}

QString TForm1::widenStore(std::string_view text) const {
    return widenAnsi(AnsiCodePage::store(), text);
}

}  // namespace mq
