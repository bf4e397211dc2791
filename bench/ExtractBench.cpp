// Whole job: the body-address extraction over a generated folder of 20,000 messages of about
// 10 KB, run through the main window (menu command, progress dialog, results dialog) on the
// offscreen platform, timed against Debian's undbx extracting the same folder.
//
//   ExtractBench [messages] [bytes per message]
//
// Both wall-clock and processor time are printed: on a machine shared with other work the
// processor time is the steadier comparison.

#include "WholeJob.h"
#include "ui/TForm5.h"
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace mq::bench;

int main(int argc, char* argv[]) {
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 20000;
    const std::size_t size = argc > 2 ? std::stoul(argv[2]) : 10 * 1024;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    const fs::path dir =
        fs::temp_directory_path() / ("mq-extract-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    const mq::GeneratedStore store = mq::writeGeneratedStore(dir, count, size);
    const fs::path dbxFile = store.storeDir / store.folderFile;
    std::printf("folder: %zu messages, %.1f MB\n", count, double(fs::file_size(dbxFile)) / 1e6);

    // undbx must really extract every message for its time to mean anything.
    const Timing undbx = runUndbx(dbxFile, dir / "undbx");
    std::size_t undbxFiles = 0;
    std::uintmax_t undbxBytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir / "undbx")) {
        if (!entry.is_regular_file()) continue;
        ++undbxFiles;
        undbxBytes += entry.file_size();
    }
    fs::remove_all(dir / "undbx");

    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(store.configHome.string()));
    QApplication app(argc, argv);
    mq::RegistryFile registry(mq::registryFileIn(store.configHome));
    BenchDialogs dialogs;
    const mq::AnsiCodePage codePage(1252);
    mq::TForm1 form(registry, dialogs, mq::LocaleSettings::user(), codePage, [] {});
    form.show();
    form.findChild<QListWidget*>("ListBox1")->setCurrentRow(0);
    form.ListBox1Click();
    form.findChild<QAction*>("SelectAll1")->trigger();
    const std::size_t selected = form.selectedRows().size();

    // The job ends when the results dialog is up; it is closed as soon as it is seen. The
    // look is cheap and at most once a millisecond, so it costs the scan nothing measurable.
    std::size_t found = 0;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* results = qobject_cast<mq::TForm5*>(QApplication::activeModalWidget());
        if (results == nullptr) return;
        found = results->AddressList.size();
        poll.stop();
        results->close();
    });
    poll.start();
    const Timing extraction = timed(
        [&form] { form.findChild<QAction*>("ExtractMessageBodyEmailAddresses1")->trigger(); });

    std::printf("selected: %zu messages, %zu addresses found, %d message boxes\n", selected, found,
                dialogs.boxes);
    if (undbx.valid())
        std::printf("undbx wrote %zu files, %.1f MB\n", undbxFiles, double(undbxBytes) / 1e6);
    else
        std::printf("undbx could not be run\n");
    printTiming("undbx", undbx, undbx, "");
    printTiming("body extraction", extraction, undbx, "0.5");
    fs::remove_all(dir);
    return selected == count && dialogs.boxes == 0 ? 0 : 1;
}
