// Whole job: the body-address extraction over a generated folder of 20,000 messages of about
// 10 KB, run through the main window (menu command, progress dialog, results dialog) on the
// offscreen platform, timed against Debian's undbx extracting the same folder.
//
//   ExtractBench [messages] [bytes per message]
//
// Both wall-clock and processor time are printed: on a machine shared with other work the
// processor time is the steadier comparison.

#include "extract/TForm5.h"
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Wall-clock and processor seconds (user plus system, and user alone) of one timed run.
// undbx's system time drifts with what the file system went through; user time does not.
struct Timing {
    double wall = -1;
    double cpu = -1;
    double user = -1;
};

double userSeconds(const rusage& usage) {
    return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6;
}

double ownUserSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return userSeconds(usage);
}

double cpuSeconds(const rusage& usage) {
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

// Nothing to answer in a timed run: a box would be a failure, and is counted.
class SilentDialogs : public mq::UserDialogs {
public:
    void showMessage(const QString&, const QString& text, QMessageBox::Icon) override {
        ++messages;
        std::fprintf(stderr, "message box: %s\n", text.toLocal8Bit().constData());
    }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString browseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
    int messages = 0;
};

// undbx as a program of its own, as a user would run it; wall -1 when it cannot be run.
Timing timeUndbx(const fs::path& dbxFile, const fs::path& outDir) {
    fs::create_directories(outDir);
    const std::string file = dbxFile.string();
    const std::string out = outDir.string();
    const char* argv[] = {"undbx", "-v", "0", file.c_str(), out.c_str(), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "undbx", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return {secondsSince(start), cpuSeconds(usage), userSeconds(usage)};
}

}  // namespace

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
    const Timing undbx = timeUndbx(dbxFile, dir / "undbx");
    std::size_t undbxFiles = 0;
    std::uintmax_t undbxBytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir / "undbx")) {
        if (!entry.is_regular_file()) continue;
        ++undbxFiles;
        undbxBytes += entry.file_size();
    }
    fs::remove_all(dir / "undbx");
    // undbx's files still being written back to disk would slow the timed scan down.
    sync();

    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(store.configHome.string()));
    QApplication app(argc, argv);
    mq::RegistryFile registry(mq::registryFileIn(store.configHome));
    SilentDialogs dialogs;
    const mq::AnsiCodePage codePage(1252);
    mq::TForm1 form(registry, dialogs, mq::LocaleSettings::user(), codePage, [] {});
    form.show();
    form.findChild<QListWidget*>("ListBox1")->setCurrentRow(0);
    form.ListBox1Click();
    form.findChild<QAction*>("SelectAll1")->trigger();
    const std::size_t selected = form.selectedRows().size();

    // The job ends when the results dialog is up; it is closed as soon as it is seen. The
    // look is cheap and at most once a millisecond, so it costs the scan nothing measurable.
    Timing extraction;
    std::size_t found = 0;
    Clock::time_point start;
    double cpuStart = 0;
    double userStart = 0;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* results = qobject_cast<mq::TForm5*>(QApplication::activeModalWidget());
        if (results == nullptr) return;
        extraction = {secondsSince(start), ownCpuSeconds() - cpuStart,
                      ownUserSeconds() - userStart};
        found = results->AddressList.size();
        poll.stop();
        results->close();
    });
    poll.start();
    start = Clock::now();
    cpuStart = ownCpuSeconds();
    userStart = ownUserSeconds();
    form.findChild<QAction*>("ExtractMessageBodyEmailAddresses1")->trigger();

    std::printf("selected: %zu messages, %zu addresses found, %d message boxes\n", selected, found,
                dialogs.messages);
    std::printf("body extraction through the window: %.3f s wall, %.3f s processor, %.3f s user\n",
                extraction.wall, extraction.cpu, extraction.user);
    if (undbx.wall < 0) {
        std::printf("undbx: could not be run\n");
    } else {
        std::printf(
            "undbx extracting the same folder:   %.3f s wall, %.3f s processor, %.3f s user "
            "(%zu files, %.1f MB)\n",
            undbx.wall, undbx.cpu, undbx.user, undbxFiles, double(undbxBytes) / 1e6);
        std::printf("ratio: %.3f wall, %.3f processor, %.3f user (target at most 0.4)\n",
                    extraction.wall / undbx.wall, extraction.cpu / undbx.cpu,
                    extraction.user / undbx.user);
    }
    fs::remove_all(dir);
    return selected == count && dialogs.messages == 0 ? 0 : 1;
}
