#include "ui/TExportDialog.h"

#include "export/FolderTree.h"
#include "export/StoreExport.h"
#include "ui/Accessibility.h"
#include "ui/AnsiText.h"
#include "ui/UserDialogs.h"
#include "ui/ui_TExportDialog.h"

#include <QDir>
#include <QTreeWidgetItemIterator>

#include <functional>

namespace mq {

namespace {

constexpr int FolderRole = Qt::UserRole;

}  // namespace

TExportDialog::TExportDialog(UserDialogs& dialogs, const AnsiCodePage& codePage,
                             const FolderList& folders, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TExportDialog>()),
      dialogs_(dialogs),
      codePage_(codePage) {
    ui->setupUi(this);
    nameControlsByLabels(*this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    connect(ui->ExportButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->BrowseButton, &QPushButton::clicked, this, &TExportDialog::BrowseButtonClick);
    connect(ui->TargetEdit, &QLineEdit::textChanged, this, &TExportDialog::updateExportButton);
    connect(ui->FolderChecks, &QTreeWidget::itemChanged, this, &TExportDialog::updateExportButton);

    // Folders without a file of their own hold nothing to tick; they show where the ones
    // below them go.
    const FolderTree tree(folders);
    const std::function<void(std::size_t, QTreeWidgetItem*)> add = [&](std::size_t folder,
                                                                       QTreeWidgetItem* parent) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ui->FolderChecks);
        item->setText(0, widenAnsi(codePage_, folders[folder].Name));
        item->setData(0, FolderRole, qulonglong(folder));
        if (!isStoreFileName(folders[folder].FileName)) {
            item->setFlags(Qt::ItemIsEnabled);
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(0, Qt::Checked);
        }
        for (const std::size_t child : tree.children(folder)) add(child, item);
    };
    for (const std::size_t root : tree.roots()) add(root, nullptr);
    ui->FolderChecks->expandAll();
    updateExportButton();
}

TExportDialog::~TExportDialog() = default;

void TExportDialog::fill(const TPref& pref) {
    ui->TargetEdit->setText(QString::fromStdString(pref.ExportDirectory));
    const bool eml = parseExportFormat(pref.ExportFormat) == ExportFormat::Eml;
    (eml ? ui->EmlButton : ui->MboxButton)->setChecked(true);
}

void TExportDialog::readBack(TPref& pref) const {
    pref.ExportDirectory = ui->TargetEdit->text().toStdString();
    pref.ExportFormat = std::string(
        exportFormatName(ui->EmlButton->isChecked() ? ExportFormat::Eml : ExportFormat::Mbox));
}

std::vector<std::size_t> TExportDialog::chosenFolders() const {
    std::vector<std::size_t> chosen;
    for (QTreeWidgetItemIterator it(ui->FolderChecks, QTreeWidgetItemIterator::Checked); *it; ++it)
        chosen.push_back(std::size_t((*it)->data(0, FolderRole).toULongLong()));
    return chosen;
}

void TExportDialog::BrowseButtonClick() {
    QString start = ui->TargetEdit->text();
    if (start.isEmpty()) start = QDir::homePath();
    const QString folder = dialogs_.browseForFolder(this, QStringLiteral("Export to"), start);
    if (!folder.isEmpty()) ui->TargetEdit->setText(folder);
}

void TExportDialog::updateExportButton() {
    ui->ExportButton->setEnabled(!ui->TargetEdit->text().trimmed().isEmpty() &&
                                 !chosenFolders().empty());
}

}  // namespace mq
