#include "ui/CenteredMessageDlg.h"

#include <QApplication>
#include <QMainWindow>
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
    QWidget* over = QApplication::activeWindow();
    // Right after a dialog closes no window is active until the window manager hands the
    // focus back: the box then stands over the main window rather than the screen.
    if (over == nullptr) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && qobject_cast<QMainWindow*>(window) != nullptr) over = window;
    }
    CenteredBox box(icon, caption, text, over);
    box.exec();
}

QPoint centeredPosition(const QRect& activeFrame, const QSize& boxSize) {
    return {activeFrame.left() + activeFrame.width() / 2 - boxSize.width() / 2,
            activeFrame.top() + activeFrame.height() / 2 - boxSize.height() / 2};
}

}  // namespace mq
