// Whole job: saving a generated folder of 20,000 messages of about 10 KB through the main
// window on the offscreen platform, first to individual files (Save Preferences confirmed,
// default naming, file dates on), then to one file, each timed against Debian's undbx
// extracting the same folder as a program of its own.
//
//   SaveBench [messages] [bytes per message]      (KEEP=1 keeps the files)

#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "save/TForm2.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// Processor time (user and system) of this process so far. The machine may be shared, so
// wall times are printed beside processor times, which other work does not inflate.
double processorTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The program's own share: the kernel's work of making files drifts with what the file
// system went through before, the user time does not.
double userTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime);
}

struct Timing {
    double wall = -1;
    double processor = -1;
    double user = -1;
};

// Answers the folder browser and the save dialog with fixed places; counts message boxes,
// which a good run never shows.
class BenchDialogs : public mq::UserDialogs {
public:
    BenchDialogs(QString folder, QString singleFile)
        : folder_(std::move(folder)), singleFile_(std::move(singleFile)) {}
    void showMessage(const QString&, const QString& text, QMessageBox::Icon) override {
        ++boxes;
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return singleFile_;
    }
    QString browseForFolder(QWidget*, const QString&, const QString&) override { return folder_; }
    int boxes = 0;

private:
    QString folder_, singleFile_;
};

// Runs undbx on the file into `out`; negative times when it could not be run.
Timing runUndbx(const fs::path& file, const fs::path& out) {
    fs::create_directories(out);
    ::sync();
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execlp("undbx", "undbx", "-v", "0", file.c_str(), out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    return {since(start), seconds(usage.ru_utime) + seconds(usage.ru_stime),
            seconds(usage.ru_utime)};
}

// Each timed job starts with what earlier jobs wrote on the disk, so their write-back does
// not run during it.
template <class Job>
Timing timed(Job job) {
    ::sync();
    const double processor = processorTime();
    const double user = userTime();
    const Clock::time_point start = Clock::now();
    job();
    return {since(start), processorTime() - processor, userTime() - user};
}

void printTiming(const char* what, const Timing& t, const Timing& undbx, const char* target) {
    std::printf("%-22s wall %7.3f s  processor %7.3f s  user %7.3f s", what, t.wall, t.processor,
                t.user);
    if (undbx.wall > 0 && &t != &undbx)
        std::printf("   ratio to undbx: wall %.3f, processor %.3f, user %.3f (target at most %s)",
                    t.wall / undbx.wall, t.processor / undbx.processor, t.user / undbx.user,
                    target);
    std::printf("\n");
}

std::size_t filesIn(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

}  // namespace

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
    const std::size_t undbxFiles = undbxBefore.wall < 0 ? 0 : filesIn(dir / "undbx");

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
    const Timing undbx = undbxAfter.wall < 0 || undbxBefore.wall < 0
                             ? Timing{}
                             : Timing{(undbxBefore.wall + undbxAfter.wall) / 2,
                                      (undbxBefore.processor + undbxAfter.processor) / 2,
                                      (undbxBefore.user + undbxAfter.user) / 2};

    std::printf("selected: %zu messages, %d message boxes; %zu files saved, single file %.1f MB",
                selected, dialogs.boxes, saved, singleMb);
    std::printf(", undbx wrote %zu files\n", undbxFiles);
    if (undbx.wall < 0) std::printf("undbx could not be run\n");
    printTiming("undbx before", undbxBefore, undbxBefore, "");
    printTiming("undbx after", undbxAfter, undbxAfter, "");
    printTiming("individual files", individual, undbx, "0.7");
    printTiming("single file", single, undbx, "0.4");
    if (!std::getenv("KEEP")) fs::remove_all(dir);
    return selected == count && saved == count && dialogs.boxes == 0 ? 0 : 1;
}
