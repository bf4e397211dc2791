#pragma once

// What the whole-job benchmarks through the windows share: the timing of JobTiming.h, and
// dialogs that answer without a person.

#include "JobTiming.h"
#include "ui/UserDialogs.h"

#include <QString>

namespace mq::bench {

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
    // The benchmarks open their store by path; no chooser is ever wanted.
    QString chooseStore(QWidget*, const QString&) override { return {}; }
    int boxes = 0;

private:
    QString folder_, singleFile_;
};

}  // namespace mq::bench
