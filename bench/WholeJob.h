#pragma once

// What the whole-job benchmarks share: timing one job of this process, timing undbx as a
// program of its own, and dialogs that answer without a person.

#include "ui/UserDialogs.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>

namespace mq::bench {

// Wall-clock, processor (user and system) and user seconds of one run. The machine may be
// shared, so processor times are printed beside wall times; the kernel's share of making
// files drifts with what the file system went through before, the user time does not.
struct Timing {
    double wall = -1;
    double processor = -1;
    double user = -1;
    bool valid() const { return wall >= 0; }
};

// Times `job` in this process, after what earlier jobs wrote has reached the disk.
Timing timed(const std::function<void()>& job);

// Runs undbx on `file` into `out`; an invalid Timing when it cannot be run or fails.
Timing runUndbx(const std::filesystem::path& file, const std::filesystem::path& out);

// The mean of two timings, invalid unless both are valid.
Timing mean(const Timing& a, const Timing& b);

// "what  wall ... processor ... user ..." and, against a valid `undbx`, the three ratios
// with the target.
void printTiming(const char* what, const Timing& t, const Timing& undbx, const char* target);

std::size_t filesIn(const std::filesystem::path& folder);

// Peak resident memory of this process so far.
long peakRssKilobytes();

// Answers the folder browser and the save dialogs with fixed places (empty: cancelled), and
// counts message boxes, which a good run never shows.
class BenchDialogs : public UserDialogs {
public:
    explicit BenchDialogs(QString folder = {}, QString singleFile = {})
        : folder_(std::move(folder)), singleFile_(std::move(singleFile)) {}
    void showMessage(const QString& caption, const QString& text, QMessageBox::Icon icon) override;
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return singleFile_;
    }
    QString browseForFolder(QWidget*, const QString&, const QString&) override { return folder_; }
    int boxes = 0;

private:
    QString folder_, singleFile_;
};

}  // namespace mq::bench
