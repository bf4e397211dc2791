// Whole job: saving a generated folder of 20,000 messages of about 10 KB through the main
// window on the offscreen platform, first to individual files (Save Preferences confirmed,
// default naming, file dates on), then to one file, each timed against Debian's undbx
// extracting the same folder as a program of its own.
//
//   SaveBench [messages] [bytes per message]      (KEEP=1 keeps the files)

#include "WholeJob.h"
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "ui/TForm2.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
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

    const fs::path dir = fs::temp_directory_path() / ("mq-save-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    const mq::GeneratedStore store = mq::writeGeneratedStore(dir, count, size);
    const fs::path dbx = store.storeDir / store.folderFile;
    std::printf("folder: %zu messages, %.1f MB\n", count, double(fs::file_size(dbx)) / 1e6);

    // Nothing is deleted before the end: ext4 makes a new file slower while many inodes of
    // its group were freed moments ago, which would charge undbx's clean-up to our run.
    const Timing undbxBefore = runUndbx(dbx, dir / "undbx");
    const std::size_t undbxFiles = !undbxBefore.valid() ? 0 : filesIn(dir / "undbx");

    const fs::path outDir = dir / "saved";
    fs::create_directories(outDir);
    const fs::path singleFile = dir / "all.txt";
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(store.configHome.string()));
    QApplication app(argc, argv);
    mq::RegistryFile registry(mq::registryFileIn(store.configHome));
    BenchDialogs dialogs(QString::fromStdString(outDir.string()),
                         QString::fromStdString(singleFile.string()));
    mq::TForm1 form(registry, dialogs, mq::LocaleSettings::user(), mq::AnsiCodePage::system(),
                    [] {});
    form.show();
    form.findChild<QListWidget*>("ListBox1")->setCurrentRow(0);
    form.ListBox1Click();
    form.findChild<QAction*>("SelectAll1")->trigger();
    const std::size_t selected = form.selectedRows().size();

    // The user's part of the Save Preferences dialog: file dates on, the folder, Save.
    QTimer answer;
    answer.setInterval(0);
    QObject::connect(&answer, &QTimer::timeout, [&answer] {
        auto* preferences = qobject_cast<mq::TForm2*>(QApplication::activeModalWidget());
        if (!preferences) return;
        answer.stop();
        preferences->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
        preferences->findChild<QPushButton*>("Button1")->click();
        preferences->findChild<QPushButton*>("Button4")->click();
    });
    answer.start();
    const Timing individual =
        timed([&form] { form.findChild<QAction*>("SaveSelectedtoIndividualFiles1")->trigger(); });
    const std::size_t saved = filesIn(outDir);
    const Timing single =
        timed([&form] { form.findChild<QAction*>("SaveSelectedToaSingleFile1")->trigger(); });
    const double singleMb = fs::exists(singleFile) ? double(fs::file_size(singleFile)) / 1e6 : 0;
    // undbx again after the saves: how fast new files are made drifts with what the file
    // system went through, so the comparison is with the mean of a run before and after.
    const Timing undbxAfter = runUndbx(dbx, dir / "undbx-again");
    const Timing undbx = mean(undbxBefore, undbxAfter);

    std::printf("selected: %zu messages, %d message boxes; %zu files saved, single file %.1f MB",
                selected, dialogs.boxes, saved, singleMb);
    std::printf(", undbx wrote %zu files\n", undbxFiles);
    if (!undbx.valid()) std::printf("undbx could not be run\n");
    printTiming("undbx before", undbxBefore, undbxBefore, "");
    printTiming("undbx after", undbxAfter, undbxAfter, "");
    printTiming("individual files", individual, undbx, "1.0");
    printTiming("single file", single, undbx, "0.5");
    if (!std::getenv("KEEP")) fs::remove_all(dir);
    return selected == count && saved == count && dialogs.boxes == 0 ? 0 : 1;
}
