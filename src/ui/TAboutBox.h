#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace mq {

// Help > About: the program's icon, title and version.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent);
    ~TAboutBox() override;

private:
    void FormCreate();

    std::unique_ptr<Ui::TAboutBox> ui;
};

}  // namespace mq
