#pragma once
// The thread that runs one exchange, and its hand-off to the window thread.
#include "device/Exchange.h"

#include <QPointer>
#include <QThread>
#include <QWidget>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

class QLabel;
class QProgressBar;

/// Receives the records of an archive read on the window thread.
using ArchiveFill = std::function<void(std::span<const ArchiveRecord> records)>;
/// Receives rows 1..20 of a settings read on the window thread.
using SettingsFill = std::function<void(const SettingsRows& rows)>;
/// Gives, on the window thread, rows 1..20 for a settings write to send.
using SettingsSource = std::function<SettingsRows()>;

/// The controls an exchange updates. Any of them may be missing; a control destroyed while
/// the exchange runs is skipped from then on.
struct WorkerControls {
    QPointer<QProgressBar> gauge;
    /// Its caption names the step; closed at the end.
    QPointer<QWidget> progressWindow;
    QPointer<QLabel> label;
    /// What receives or gives the exchange's data; the callbacks run only while it lives.
    QPointer<QObject> target;
    ArchiveFill archiveFill;
    SettingsFill settingsFill;
    SettingsSource settingsSource;
    /// Closing or destroying this window stops the exchange at its next pass; minimising it
    /// does not.
    QPointer<QWidget> stopWith;
};

/// One exchange on a thread of its own. It starts running when created; everything that
/// touches a control runs on the window thread while the worker waits. The object deletes
/// itself once the thread has ended.
class BMTreadUSB final : public QThread, private ExchangeHost {
    Q_OBJECT
public:
    /// Starts the exchange of `shared`'s Operation over `link` at once. `shared` outlives it.
    BMTreadUSB(std::unique_ptr<Link> link, SharedState& shared);
    ~BMTreadUSB() override;

    /// Window thread, right after creation.
    void AttachControls(WorkerControls controls);
    /// Any thread: the worker ends at its next pass and drops any hand-off not yet begun.
    void requestStop();
    /// Window thread: the progress window this exchange will still close at its end, if any.
    QWidget* progressWindow() const { return controls_.progressWindow; }
    /// The state this exchange runs on.
    SharedState& sharedState() const { return shared_; }

protected:
    void run() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ExchangeHost, called on the worker thread.
    void syncUpdate(const SyncView& view) override;
    void messageBox(const TextPair& text) override;
    void fillArchive(std::vector<ArchiveRecord> records) override;
    void fillSettingsTable(SettingsRows rows) override;
    std::optional<SettingsRows> readSettingsRows() override;
    void closeProgressWindow() override;
    void setPriority(WorkerPriority priority) override;
    bool stopRequested() override;
    void exitProgram(int code) override;

    /// Runs `job` on the window thread and waits for it; false when dropped by a stop.
    bool handOff(std::function<void()> job);
    /// Window thread: runs the job waiting in the mailbox, if any.
    void runPending();
    /// Window thread, once the thread has ended.
    void ended();

    std::unique_ptr<Link> link_;
    SharedState& shared_;
    WorkerControls controls_; // window thread only

    // The mailbox. Standard primitives rather than a blocking queued call, so that thread
    // checkers see the order between the two threads.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::function<void()> pending_;
    bool taken_ = false;
    bool done_ = false;
    bool stop_ = false;
    bool finishedRun_ = false;
};

/// The running exchange, if any (window thread).
BMTreadUSB* RunningExchange();
/// Program exit: stops a running exchange and waits up to `waitMs` for its thread.
void StopExchangeAtExit(int waitMs = 3000);
