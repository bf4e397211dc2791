#include "ui/ApplicationExit.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace mq {

void postApplicationExit() {
    // Not quit(): it closes every window first, and the main window's close stores the
    // preferences.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace mq
