#include "ui/TForm3.h"

#include "ui/FixedDialog.h"
#include "ui/ProgressSubject.h"
#include "ui_TForm3.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFontDatabase>
#include <QScreen>

#include <exception>

namespace mq {

namespace {

// The text after the last "\" or ":", the whole text when it has neither.
std::string lastComponent(const std::string& item) {
    const auto cut = item.find_last_of("\\:");
    return cut == std::string::npos ? item : item.substr(cut + 1);
}

}  // namespace

TForm3::TForm3(ProgressSubject& owner, QWidget* parent)
    : QDialog(parent), Timer1(new QTimer(this)), ui(std::make_unique<Ui::TForm3>()), owner_(owner) {
    ui->setupUi(this);
    makeFixedDialog(*this);
    ui->Label2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    // An event loop that waits (an error box during the run, or the run over) has time to
    // paint: nothing of the progress stays undrawn while the user looks at it.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TForm3::paintPendingFrame);

    // FormCreate: the range comes from the owner's state now. An empty range would make the
    // bar an endless busy animation, so it keeps at least one step.
    ui->ProgressBar1->setRange(0, std::max(owner_.progress().ProgressTotal, 1));
    clock_.start();
    observer_.Active = true;
    observer_.OnUpdate = [this](TSubjectObserver* sender) { UpdateView(sender); };
    owner_.AttachObserver(&observer_);
}

TForm3::~TForm3() {
    owner_.DetachObserver(&observer_);
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The operation starts once the dialog is up and its modal loop runs, and only once,
    // however often the dialog is activated again (for instance after an error box).
    if (!activated_) {
        activated_ = true;
        QMetaObject::invokeMethod(this, &TForm3::FormActivate, Qt::QueuedConnection);
    }
}

void TForm3::FormActivate() {
    Timer1->start();
    // A run changes the labels thousands of times a second; painting each change would cost
    // more than the run itself, while the screen shows one frame per refresh at most.
    const qreal rate = screen() ? screen()->refreshRate() : 0;
    frameInterval_ = rate >= 1 && rate <= 1000 ? qint64(1e9 / rate) : 16'000'000;
    ProgressState& state = owner_.progress();
    try {
        switch (state.PendingOperation) {
            case 1:
                owner_.SaveMessagesToFiles();
                break;
            case 2: {
                const std::string path = state.ProgressItem;
                owner_.SaveMessagesToSingleFile(path);
                break;
            }
            case 3:
                owner_.ExtractBodyAddresses();
                break;
            case 4:
                owner_.ExportAllFolders();
                break;
            case 5:
                owner_.RecoverMessages();
                break;
            case 6:
                owner_.FindMessages();
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        // Nothing may escape into the event loop: the failure is shown and the run is over.
        state.Cancelled = true;
        owner_.showError(e.what());
    }
    Finished = true;
    paintPendingFrame();
}

void TForm3::paintPendingFrame() {
    if (!framePending_) return;
    framePending_ = false;
    // The bar works out its text and tells the accessibility layer of every new value, which
    // costs more than the rest of a notification: it takes its value when it is drawn.
    ui->ProgressBar1->setValue(owner_.progress().ProgressDone);
    setProgressPainting(true);
}

void TForm3::setProgressPainting(bool enabled) {
    ui->ProgressBar1->setUpdatesEnabled(enabled);
    ui->Label2->setUpdatesEnabled(enabled);
    ui->LongLabel1->setUpdatesEnabled(enabled);
}

void TForm3::UpdateView(TSubjectObserver*) {
    const ProgressState& state = owner_.progress();
    // One look at the clock serves both paces below: this runs for every block read.
    const qint64 now = clock_.nsecsElapsed();
    // The labels take every change at once (their texts are always current); their painting
    // and the bar wait for the next frame, when one change or many are drawn together.
    if (!framePending_) {
        framePending_ = true;
        frameStart_ = now;
        setProgressPainting(false);
    }
    const int remaining = state.ProgressTotal - state.ProgressDone;
    if (remaining != shownRemaining_) {
        shownRemaining_ = remaining;
        ui->Label2->setText(QStringLiteral("Item(s) Remaining...") + QString::number(remaining));
    }
    if (state.ProgressItem != shownItem_ || state.ProgressPrefix != shownPrefix_) {
        shownItem_ = state.ProgressItem;
        shownPrefix_ = state.ProgressPrefix;
        ui->LongLabel1->setText(QString::fromStdString(shownPrefix_) +
                                QString::fromStdString(lastComponent(shownItem_)));
    }
    // The frame is drawn by the pass over the event loop that follows at once: the next
    // notification would hold the painting back again.
    const bool frameDue = now - frameStart_ >= frameInterval_;
    if (frameDue) paintPendingFrame();
    // A person cannot click faster than once in tens of milliseconds, so a look at the
    // pending events once a millisecond still lets Cancel stop the run within a block, and
    // spares the system calls of a pass over the event loop after every block read. The
    // modal loop the dialog returns to takes what is left at the end.
    if (frameDue || now - eventsProcessed_ >= EventInterval) {
        QApplication::processEvents();
        eventsProcessed_ = clock_.nsecsElapsed();
    }
}

void TForm3::Timer1Timer() {
    if (Finished) {
        Timer1->stop();
        done(QDialog::Accepted);
    }
}

void TForm3::Button1Click() {
    owner_.progress().Cancelled = true;
}

void TForm3::reject() {
    if (Finished) QDialog::reject();
}

}  // namespace mq
