#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm6;
}

namespace mq {

// File > Identities: the store read is always that of the default identity.
class TForm6 : public QDialog {
    Q_OBJECT

public:
    explicit TForm6(QWidget* parent);
    ~TForm6() override;

private:
    std::unique_ptr<Ui::TForm6> ui;
};

}  // namespace mq
