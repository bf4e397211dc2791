#include "ui/CenteredMessageDlg.h"

#include <QApplication>
#include <QPointer>
#include <QShowEvent>

namespace mq {

namespace {

// The box moves itself once its final size is known, which is only while it is shown.
class CenteredBox : public QMessageBox {
public:
    CenteredBox(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* over)
        : QMessageBox(icon, caption, text, QMessageBox::Ok, over), over_(over) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (over_) move(centeredPosition(over_->frameGeometry(), frameGeometry().size()));
    }

private:
    QPointer<QWidget> over_;
};

}  // namespace

void CenteredMessageDlg(const QString& caption, const QString& text, QMessageBox::Icon icon) {
    CenteredBox box(icon, caption, text, QApplication::activeWindow());
    box.exec();
}

QPoint centeredPosition(const QRect& activeFrame, const QSize& boxSize) {
    return {activeFrame.left() + activeFrame.width() / 2 - boxSize.width() / 2,
            activeFrame.top() + activeFrame.height() / 2 - boxSize.height() / 2};
}

}  // namespace mq
