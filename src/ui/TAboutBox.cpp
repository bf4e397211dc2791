#include "ui/TAboutBox.h"

#include "ui/FixedDialog.h"
#include "ui/PaintedIcons.h"
#include "ui_TAboutBox.h"

#include <QApplication>

namespace mq {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>()) {
    ui->setupUi(this);
    makeFixedDialog(*this);
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::FormCreate() {
    ui->ProgramIcon->setPixmap(paintIcon(drawEnvelope).pixmap(32, 32));
    ui->ProductName->setText(QApplication::applicationName());
    ui->Version->setText(QStringLiteral("Version ") + QApplication::applicationVersion());
}

}  // namespace mq
