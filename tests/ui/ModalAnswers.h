#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace mq {

// Acts on the next modal dialog of type Dialog as soon as it is up, from inside its own
// event loop, as a user at the screen would.
template <class Dialog>
void whenModal(std::function<void(Dialog*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, act = std::move(act)] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

}  // namespace mq
