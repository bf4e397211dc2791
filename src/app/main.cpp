#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/Registry.h"
#include "ui/ApplicationExit.h"
#include "ui/TForm1.h"
#include "ui/WidgetUserDialogs.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* Usage =
    "usage: mailquarry [PATH]\n"
    "\n"
    "Opens the Outlook Express mail store at PATH: a store folder (the folder holding\n"
    "folders.dbx), a folder of loose .dbx files (each listed as a folder) or a single .dbx\n"
    "file. Without PATH, Mailquarry opens the store the registry names (its \"Store Root\"),\n"
    "else the most recent store of File > Recent Stores, else it asks for one.\n"
    "\n"
    "  --help   this text\n";

bool isHelp(const char* argument) {
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before the window layer starts: the usage needs no display.
    for (int i = 1; i < argc; ++i) {
        if (isHelp(argv[i])) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mailquarry"));
    QApplication::setApplicationVersion(QStringLiteral(MAILQUARRY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("mailquarry"));

    // What is left once the window layer has taken its own options.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const auto refuse = [](const QString& why) {
        std::fprintf(stderr, "mailquarry: %s\n%s", why.toLocal8Bit().constData(), Usage);
        return 1;
    };
    if (arguments.size() > 1) return refuse(QStringLiteral("more than one PATH"));
    if (!arguments.isEmpty() && arguments.first().startsWith(QLatin1Char('-')))
        return refuse(QStringLiteral("unknown option ") + arguments.first());

    const std::unique_ptr<mq::Registry> registry = mq::openUserRegistry();
    mq::WidgetUserDialogs dialogs;
    bool quitting = false;
    const auto postQuit = [&quitting] {
        quitting = true;
        mq::postApplicationExit();
    };

    mq::TForm1 form(*registry, dialogs, mq::LocaleSettings::user(), mq::AnsiCodePage::system(),
                    postQuit, arguments.value(0));
    if (!quitting) form.show();
    return QApplication::exec();
}
