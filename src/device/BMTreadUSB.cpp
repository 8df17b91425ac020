#include "BMTreadUSB.h"

#include "app/SharedState.h"
#include "texts/Texts.h"
#include "ui/ErrorBox.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>

#include <chrono>
#include <thread>

namespace {

// The worker's pauses are plain sleeps: they are short, and the instrument needs them even
// when the program is ending in the middle of a settings write.
class ThreadClock final : public ExchangeClock {
public:
    void pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

QPointer<BMTreadUSB>& Running()
{
    static QPointer<BMTreadUSB> running;
    return running;
}

} // namespace

BMTreadUSB* RunningExchange() { return Running().data(); }

void StopExchangeAtExit(int waitMs)
{
    BMTreadUSB* worker = Running().data();
    if (!worker) return;
    worker->requestStop();
    if (!worker->wait(QDeadlineTimer(waitMs))) {
        // A transfer that never returns: leave the thread to the process's end rather than
        // destroy a running thread.
        return;
    }
    Running() = nullptr;
    worker->sharedState().activity.setRunning(false);
    delete worker;
}

BMTreadUSB::BMTreadUSB(std::unique_ptr<Link> link, SharedState& shared)
    : link_(std::move(link)), shared_(shared)
{
    Running() = this;
    shared_.activity.setRunning(true);
    start();
}

BMTreadUSB::~BMTreadUSB()
{
    wait();
    // Pairs with the worker's last use of the mailbox, so its writes are ordered before
    // the members go away.
    std::lock_guard lock(mutex_);
}

void BMTreadUSB::AttachControls(WorkerControls controls)
{
    controls_ = std::move(controls);
    if (QWidget* window = controls_.stopWith) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, &BMTreadUSB::requestStop);
    }
}

void BMTreadUSB::requestStop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

bool BMTreadUSB::eventFilter(QObject* watched, QEvent* event)
{
    // A dialog ended by Escape or done() gets only a Hide; minimising one (or showing the
    // desktop) gets a spontaneous Hide, and its exchange must go on meanwhile.
    const bool closed =
        event->type() == QEvent::Close || (event->type() == QEvent::Hide && !event->spontaneous());
    if (watched == controls_.stopWith && closed) requestStop();
    return QThread::eventFilter(watched, event);
}

void BMTreadUSB::run()
{
    ThreadClock clock;
    Exchange exchange(*link_, clock, *this, shared_);
    exchange.run();
    // The end is handled on the window thread, where `this` lives. Posted from here, under
    // the mailbox lock, rather than through QThread::finished, so that nothing of this
    // object is used by the thread after the window thread may have seen it done.
    std::lock_guard lock(mutex_);
    finishedRun_ = true;
    QMetaObject::invokeMethod(this, &BMTreadUSB::ended, Qt::QueuedConnection);
}

void BMTreadUSB::ended()
{
    wait();
    {
        std::lock_guard lock(mutex_);
        Q_ASSERT(finishedRun_);
    }
    if (Running() == this) {
        Running() = nullptr;
        shared_.activity.setRunning(false);
    }
    deleteLater();
}

bool BMTreadUSB::handOff(std::function<void()> job)
{
    std::unique_lock lock(mutex_);
    if (stop_) return false;
    pending_ = std::move(job);
    taken_ = false;
    done_ = false;
    QMetaObject::invokeMethod(this, &BMTreadUSB::runPending, Qt::QueuedConnection);
    // A job the window thread has begun is always waited for: it refers to this frame.
    wake_.wait(lock, [this] { return done_ || (stop_ && !taken_); });
    const bool ran = done_;
    pending_ = nullptr;
    return ran;
}

void BMTreadUSB::runPending()
{
    std::function<void()> job;
    {
        std::lock_guard lock(mutex_);
        if (!pending_ || taken_) return;
        job = std::move(pending_);
        pending_ = nullptr;
        taken_ = true;
    }
    job();
    {
        std::lock_guard lock(mutex_);
        taken_ = false;
        done_ = true;
    }
    wake_.notify_all();
}

void BMTreadUSB::syncUpdate(const SyncView& view)
{
    handOff([&] {
        if (QProgressBar* gauge = controls_.gauge) {
            gauge->setValue(view.gaugeValue);
            if (view.hideGauge) gauge->hide();
        }
        if (QLabel* label = controls_.label; label && view.label) label->setText(*view.label);
        if (QWidget* window = controls_.progressWindow; window && view.caption)
            window->setWindowTitle(*view.caption);
    });
}

void BMTreadUSB::messageBox(const TextPair& text)
{
    handOff([&] { ShowErrorBox(shared_.tr(MainText::Warning), shared_.tr(text)); });
}

void BMTreadUSB::fillArchive(std::vector<ArchiveRecord> records)
{
    handOff([&] {
        if (controls_.target && controls_.archiveFill) controls_.archiveFill(records);
    });
}

void BMTreadUSB::fillSettingsTable(SettingsRows rows)
{
    handOff([&] {
        if (controls_.target && controls_.settingsFill) controls_.settingsFill(rows);
    });
}

std::optional<SettingsRows> BMTreadUSB::readSettingsRows()
{
    std::optional<SettingsRows> rows;
    handOff([&] {
        if (controls_.target && controls_.settingsSource) rows = controls_.settingsSource();
    });
    return rows;
}

void BMTreadUSB::closeProgressWindow()
{
    handOff([&] {
        if (QWidget* window = controls_.progressWindow) window->close();
        // Done with it: the window must not be shown again for an exchange that has ended.
        controls_.progressWindow = nullptr;
    });
}

void BMTreadUSB::setPriority(WorkerPriority priority)
{
    QThread::setPriority(priority == WorkerPriority::Idle ? QThread::IdlePriority : QThread::NormalPriority);
}

bool BMTreadUSB::stopRequested()
{
    std::lock_guard lock(mutex_);
    return stop_;
}

void BMTreadUSB::exitProgram(int code)
{
    handOff([code] { QCoreApplication::exit(code); });
}
