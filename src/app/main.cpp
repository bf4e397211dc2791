#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/Registry.h"
#include "ui/TForm1.h"
#include "ui/WidgetUserDialogs.h"

#include <QApplication>
#include <QMetaObject>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mailquarry"));
    QApplication::setApplicationVersion(QStringLiteral(MAILQUARRY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("mailquarry"));

    const std::unique_ptr<mq::Registry> registry = mq::openUserRegistry();
    mq::WidgetUserDialogs dialogs;
    bool quitting = false;
    // Posted, so the handler that asks to end runs to its end before the loop stops.
    const auto postQuit = [&app, &quitting] {
        quitting = true;
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    };

    mq::TForm1 form(*registry, dialogs, mq::LocaleSettings::user(), mq::AnsiCodePage::system(),
                    postQuit);
    if (!quitting) form.show();
    return QApplication::exec();
}
