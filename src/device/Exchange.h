#pragma once
// One exchange with the instrument as a state machine of eight states. It runs without a
// window or a thread of its own: the link, the pauses and everything that must happen on
// the window thread are handed to it, so a test can drive it with fakes and a fake clock.
#include "app/SharedState.h"
#include "device/Formats.h"
#include "device/Link.h"
#include "device/SettingsRow.h"
#include "texts/TextPair.h"

#include <QElapsedTimer>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <vector>

/// The worker's states; the values are the numbers kept in WorkerState.
enum class WorkerStep : uint8_t {
    Connect = 0,
    ReadVersion = 1,
    ReadHeader = 2,
    ReadRecords = 3,
    ReadSettings = 4,
    WriteSettings = 5,
    ReadScreen = 6,
    Finish = 7,
};

/// Values of LinkStatus. InvalidValue and NoPermission are this program's own: a settings
/// cell that is not a decimal integer stops the write before anything is sent; an instrument
/// that is plugged in but not the user's to open is retried like a missing one.
enum LinkStatusCode : uint8_t {
    StatusOk = 0,
    StatusDriverMissing = 1,
    StatusFirmwareOutdated = 2,
    StatusCheckConnection = 3,
    StatusLinkError = 4,
    StatusNoData = 5,
    StatusInvalidValue = 6,
    StatusNoPermission = 7,
};

/// The worker's pauses (sleeps of the worker thread).
class ExchangeClock {
public:
    virtual ~ExchangeClock() = default;
    virtual void pause(int ms) = 0;
};

enum class WorkerPriority { Idle, Normal };

/// What one hand-off shows. Unset members leave their control as it is.
struct SyncView {
    int gaugeValue = 0; ///< used when a gauge is attached
    std::optional<QString> label;
    std::optional<QString> caption;
    bool hideGauge = false;
    int pauseMs = 0; ///< the worker waits this long after the hand-off
};
/// The display for the values of `shared` now; clamps `progress` to 100.
SyncView ComputeSyncView(int32_t& progress, const SharedState& shared);

/// What the machine needs from the window side. Every call blocks until done.
class ExchangeHost {
public:
    virtual ~ExchangeHost() = default;
    /// Shows `view` on the window thread.
    virtual void syncUpdate(const SyncView& view) = 0;
    /// Error box with `text`; returns once the user has acknowledged it.
    virtual void messageBox(const TextPair& text) = 0;
    /// Fills the main table with the records that arrived intact.
    virtual void fillArchive(std::vector<ArchiveRecord> records) = 0;
    /// Hands over rows 1..20 of the settings read.
    virtual void fillSettingsTable(SettingsRows rows) = 0;
    /// A copy of rows 1..20 to write, or nothing when their table is gone.
    virtual std::optional<SettingsRows> readSettingsRows() = 0;
    virtual void closeProgressWindow() = 0;
    virtual void setPriority(WorkerPriority priority) = 0;
    /// True once the exchange's window has closed or the program is ending.
    virtual bool stopRequested() = 0;
    /// Ends the program with `code` (the record buffer could not be had).
    virtual void exitProgram(int code) = 0;
};

static_assert(std::is_same_v<decltype(SharedState::settingsBlock), SettingsBlock>);

class Exchange {
public:
    /// Everything the exchange reads and writes besides its own buffers is in `shared`,
    /// whose settings block it keeps between exchanges.
    Exchange(Link& link, ExchangeClock& clock, ExchangeHost& host, SharedState& shared);

    /// Runs passes until the exchange has finished.
    void run();
    /// One pass: hand-off, then one step of the current state. False once finished.
    bool pass();

    bool finished() const { return finished_; }
    int32_t progress() const { return progress_; }

private:
    WorkerStep state() const;
    void setState(WorkerStep step);
    void handOff();
    /// Writes the state and the status to the exchange log when they have changed.
    void logChanges();
    /// Whether the user has cancelled; the exchange then goes to Finish.
    bool cancelled();

    void Connect();
    void ReadVersion();
    void ReadHeader();
    void ReadRecords();
    void ReadSettings();
    void WriteSettings();
    void ReadScreen();
    void Finish();
    /// The end when the window has gone or the program is ending: nothing is handed over.
    void Stop();

    // Transfers set LinkStatus: 0 when they succeed, "link error" when they fail.
    /// Reads the 4-byte reply length; nothing on failure.
    std::optional<uint32_t> readLength(uint8_t* into);
    bool send(const uint8_t* bytes, std::size_t length);
    /// Bytes received (a short transfer counts), or nothing.
    std::optional<std::size_t> receive(uint8_t* into, std::size_t length);
    enum class Rows { Converted, NoTable, Invalid };
    Rows convertRows(std::array<ObjectSettings, kSettingsEntries>& out);

    Link& link_;
    ExchangeClock& clock_;
    ExchangeHost& host_;
    SharedState& shared_;
    SettingsBlock& settings_;

    int32_t progress_ = 0;
    bool finished_ = false;
    VersionBuffer version_{};
    HeaderBuffer header_{};
    std::vector<RecordBytes> records_;
    std::size_t recordsReceived_ = 0;
    QElapsedTimer sinceStart_;
    uint8_t loggedStep_ = 0xFF;
    uint8_t loggedStatus_ = 0xFF;
};
