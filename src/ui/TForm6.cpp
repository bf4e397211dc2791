#include "ui/TForm6.h"

#include "ui/FixedDialog.h"
#include "ui_TForm6.h"

#include <QStyle>

namespace mq {

TForm6::TForm6(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm6>()) {
    ui->setupUi(this);
    makeFixedDialog(*this);
    ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TForm6::~TForm6() = default;

}  // namespace mq
