#include "ui/TForm5.h"

#include "ui/AddressListModel.h"
#include "platform/AnsiCodePage.h"
#include "ui/ChosenFile.h"
#include "ui/FixedDialog.h"
#include "ui/UserDialogs.h"
#include "ui_TForm5.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>

namespace mq {

TForm5::TForm5(UserDialogs& dialogs, const AnsiCodePage& codePage, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TForm5>()),
      dialogs_(dialogs),
      codePage_(codePage),
      model_(new AddressListModel(AddressList, codePage, this)) {
    ui->setupUi(this);
    makeFixedDialog(*this);
    ui->VST2->setAccessibleName(QStringLiteral("Addresses found"));
    ui->VST2->setModel(model_);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    // The buttons follow every change of the selection, by mouse or by keyboard, so Save and
    // Copy are never enabled over an empty selection nor disabled over a real one.
    connect(ui->VST2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm5::VST2Click);
}

TForm5::~TForm5() = default;

void TForm5::setRowCount(int rows) {
    model_->setRowCount(rows);
}

std::string TForm5::SelectedText() const {
    std::vector<int> rows;
    for (const QModelIndex& index : ui->VST2->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::string text;
    for (const int row : rows) {
        if (std::size_t(row) >= AddressList.size()) continue;
        text += AddressList[std::size_t(row)];
        text += "\r\n";
    }
    return text;
}

void TForm5::VST2Click() {
    const bool any = ui->VST2->selectionModel()->hasSelection();
    ui->Button1->setEnabled(any);
    ui->Button2->setEnabled(any);
}

void TForm5::Button1Click() {
    const QString path = dialogs_.getSaveFileName(this, QStringLiteral("Text File (*.txt)"),
                                                  QStringLiteral("txt"), SavePath);
    if (path.isEmpty()) return;
    SavePath = path;
    saveToChosenFile(dialogs_, path, SelectedText());
}

void TForm5::Button2Click() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(codePage_.toUtf8(SelectedText())));
}

void TForm5::Button4Click() {
    // The selection change enables Save and Copy; an empty list changes nothing.
    ui->VST2->selectAll();
}

}  // namespace mq
