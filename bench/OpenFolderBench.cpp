// Whole job: opening a folder of 100,000 messages in the main window (read the file, build
// the message list, sort by Received, set the row count and paint), sorting it by Subject and
// by Received with header clicks, and scrolling through the whole list, on the offscreen
// platform. Prints the times and the peak memory of the process.
//
//   OpenFolderBench [messages]

#include "WholeJob.h"
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

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

    const int rows = list->model()->rowCount();
    std::printf("messages              %d\n", rows);
    std::printf("open folder           %.3f s  (target < 0.5 s)\n", open);
    std::printf("sort by Subject       %.3f s  (target < 0.2 s)\n", bySubject);
    std::printf("sort by Received      %.3f s  (target < 0.2 s)\n", byReceived);
    std::printf("scroll %6d pages    %.3f s  (%.2f ms a page)\n", pages, scrolled,
                pages > 0 ? scrolled * 1000 / pages : 0.0);
    std::printf("peak memory           %.1f MB  (%.1f MB with no window yet; target < 200 MB)\n",
                peakRssKilobytes() / 1024.0, rssBefore / 1024.0);
    const bool ok = dialogs.boxes == 0 && rows == static_cast<int>(count);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
