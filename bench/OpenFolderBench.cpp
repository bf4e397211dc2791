// Whole job: opening a folder of 100,000 messages in the main window (read the file, build
// the message list, sort by Received, set the row count and paint), sorting it by Subject and
// by Received with header clicks, scrolling through the whole list, and, with the preview pane
// on, moving down 1,000 rows with the arrow key, on the offscreen platform: one key press at
// a time, each shown before the next, and 1,000 presses queued at once as a held key sends
// them faster than they are handled. Prints the times and the peak memory of the process.
//
//   OpenFolderBench [messages]

#include "WholeJob.h"
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

using namespace mq::bench;

int main(int argc, char* argv[]) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    // The store is written by a child process, so the peak memory below is the window's.
    const pid_t writer = fork();
    if (writer == 0) {
        mq::writeGeneratedStore(root, count, 600);
        _exit(0);
    }
    int status = 0;
    if (writer < 0 || waitpid(writer, &status, 0) != writer || status != 0) return EXIT_FAILURE;
    const std::filesystem::path configHome = root / "config";
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(configHome.string()));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long rssBefore = peakRssKilobytes();

    mq::RegistryFile registry(mq::registryFileIn(configHome));
    BenchDialogs dialogs;
    mq::LocaleSettings locale;
    mq::AnsiCodePage codePage(1252);
    mq::TForm1 form(registry, dialogs, locale, codePage, [] {});
    form.show();
    QApplication::processEvents();

    auto* folders = form.findChild<QListWidget*>("ListBox1");
    auto* list = form.findChild<QTableView*>("VST1");
    const double open =
        timed([&] {
            folders->setCurrentRow(0);
            QApplication::processEvents();  // the layout of the new rows, then the paint
            list->viewport()->repaint();
        }).wall;
    const double bySubject = timed([&] {
                                 form.VST1HeaderClick(2);
                                 list->viewport()->repaint();
                             }).wall;
    const double byReceived = timed([&] {
                                  form.VST1HeaderClick(4);
                                  list->viewport()->repaint();
                              }).wall;
    QScrollBar* scroll = list->verticalScrollBar();
    int pages = 0;
    const double scrolled =
        timed([&] {
            for (int value = 0; value <= scroll->maximum(); value += scroll->pageStep(), ++pages) {
                scroll->setValue(value);
                list->viewport()->repaint();
            }
        }).wall;

    // The pane follows the current row; it shows the message it lands on.
    form.findChild<QAction*>("PreviewPane1")->trigger();
    list->setCurrentIndex(list->model()->index(0, 0));
    QApplication::processEvents();
    const auto pressDown = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
    };
    constexpr int Presses = 1000;
    const double stepped = timed([&] {
                               for (int press = 0; press < Presses; ++press) {
                                   pressDown();
                                   QApplication::processEvents();
                               }
                           }).wall;
    const double held = timed([&] {
                            for (int press = 0; press < Presses; ++press) pressDown();
                            QApplication::processEvents();
                        }).wall;
    const int landed = list->currentIndex().row();

    const int rows = list->model()->rowCount();
    std::printf("messages              %d\n", rows);
    std::printf("open folder           %.3f s  (target < 0.5 s)\n", open);
    std::printf("sort by Subject       %.3f s  (target < 0.2 s)\n", bySubject);
    std::printf("sort by Received      %.3f s  (target < 0.2 s)\n", byReceived);
    std::printf("scroll %6d pages    %.3f s  (%.2f ms a page)\n", pages, scrolled,
                pages > 0 ? scrolled * 1000 / pages : 0.0);
    std::printf("%d Down keys, each shown %.3f s  (%.2f ms a row, pane on)\n", Presses, stepped,
                stepped * 1000 / Presses);
    std::printf("%d Down keys, held   %.3f s\n", Presses, held);
    std::printf("peak memory           %.1f MB  (%.1f MB with no window yet; target < 200 MB)\n",
                peakRssKilobytes() / 1024.0, rssBefore / 1024.0);
    const bool ok = dialogs.boxes == 0 && rows == static_cast<int>(count) &&
                    landed == std::min(2 * Presses, rows - 1);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
