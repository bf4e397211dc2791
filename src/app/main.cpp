#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/Registry.h"
#include "ui/ApplicationExit.h"
#include "ui/TForm1.h"
#include "ui/WidgetUserDialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mailquarry"));
    QApplication::setApplicationVersion(QStringLiteral(MAILQUARRY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("mailquarry"));

    const std::unique_ptr<mq::Registry> registry = mq::openUserRegistry();
    mq::WidgetUserDialogs dialogs;
    bool quitting = false;
    const auto postQuit = [&quitting] {
        quitting = true;
        mq::postApplicationExit();
    };

    mq::TForm1 form(*registry, dialogs, mq::LocaleSettings::user(), mq::AnsiCodePage::system(),
                    postQuit);
    if (!quitting) form.show();
    return QApplication::exec();
}
