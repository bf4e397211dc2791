#pragma once

#include "ui/TSubjectObserver.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <memory>
#include <string>

namespace Ui {
class TForm3;
}

namespace mq {

class ProgressSubject;

// The modal progress dialog that runs one long operation of the main window from its
// activation, shows the progress on every notification and closes itself once the
// operation has returned.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    TForm3(ProgressSubject& owner, QWidget* parent);
    ~TForm3() override;

    // Set when the operation has returned.
    bool Finished = false;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    // A close request or Esc while the operation runs neither stops nor closes it.
    void reject() override;

private:
    void FormActivate();
    void UpdateView(TSubjectObserver* sender);
    void Timer1Timer();
    void Button1Click();
    void setProgressPainting(bool enabled);
    void paintPendingFrame();

    std::unique_ptr<Ui::TForm3> ui;
    ProgressSubject& owner_;
    TSubjectObserver observer_;
    bool activated_ = false;
    // What the labels show now, so a notification repaints only what changed.
    int shownRemaining_ = -1;
    std::string shownItem_;
    std::string shownPrefix_;
    // The paces of UpdateView, in nanoseconds of clock_: the progress widgets paint at most
    // once per refresh of the screen, pending events are processed at most once per
    // EventInterval.
    QElapsedTimer clock_;
    qint64 frameInterval_ = 16'000'000;
    qint64 frameStart_ = 0;
    bool framePending_ = false;
    static constexpr qint64 EventInterval = 1'000'000;
    qint64 eventsProcessed_ = -EventInterval;
};

}  // namespace mq
