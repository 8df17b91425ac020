#pragma once
#include "bytes/InstrumentSizes.h"
#include "texts/TextPair.h"

#include <QObject>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <shared_mutex>

inline constexpr int kScreenBufferSize = 2048;
inline constexpr int kObjectCount = 20;
/// Bytes of the instrument's settings block (20 entries of 38 bytes).
inline constexpr std::size_t kSettingsBlockBytes = 760;
static_assert(std::size_t(kScreenBufferSize) == kInstrumentScreenBytes &&
              kObjectCount == kInstrumentObjects && kSettingsBlockBytes == kInstrumentSettingsBytes);

/// What a starter asks of the worker.
enum class Operation : uint8_t {
    ReadArchive = 0,
    ReadSettings = 1,
    WriteSettings = 2,
    ReadScreen = 3,
};

/// Names of the 20 objects; entry k names object k + 1.
using ObjectNameList = std::array<TextPair, kObjectCount>;
/// "Объект 1" ... "Объект 20" / "Object 1" ... "Object 20".
ObjectNameList DefaultObjectNames();

/// The object names, replaced as a whole by the worker when it reads the settings; everyone
/// else reads a copy, so that no reader sees half of an old set and half of a new one.
class ObjectNameTable {
public:
    ObjectNameTable() : names_(DefaultObjectNames()) {}
    ObjectNameList get() const;
    TextPair at(int index) const;
    void set(const ObjectNameList& names);

private:
    // A standard lock rather than QReadWriteLock: its pthread calls are visible to
    // ThreadSanitizer, whereas Qt's lock-free fast path inside the uninstrumented QtCore
    // shows up as false data races in every test that runs the worker.
    mutable std::shared_mutex lock_;
    ObjectNameList names_;
};

/// Whether a device exchange is running, with a signal when that changes. Only one
/// exchange runs at a time: starters check IsRunning() and windows disable their starting
/// buttons while it is true. Each SharedState has one.
class ExchangeActivity : public QObject {
    Q_OBJECT
public:
    bool isRunning() const { return running_.load(); }
    /// Called by the worker side when an exchange starts and ends (any thread).
    void setRunning(bool running);
signals:
    void runningChanged(bool running);

private:
    std::atomic<bool> running_{false};
};

/// What the windows and a device exchange share. The window thread writes Lang, Operation,
/// WorkerState and CancelRequest; the worker writes WorkerState, LinkStatus, CancelRequest
/// (clearing it), VersionUnread, RecordCount, ScreenBuffer and ObjectNames. The single
/// values are atomics of their stated width, so the two threads never race. The program has
/// one, made by the main window's runner and handed to every window and exchange; a test
/// builds its own.
struct SharedState {
    /// Language of every text: 0 Russian, 1 English.
    std::atomic<uint8_t> Lang{0};
    /// 1 until the first exchange that ends without cancel; while 1 the worker checks the firmware.
    std::atomic<uint8_t> VersionUnread{1};
    std::atomic<::Operation> Operation{::Operation::ReadArchive};
    /// Worker state 0..7.
    std::atomic<uint8_t> WorkerState{0};
    std::atomic<uint8_t> CancelRequest{0};
    /// Status code of the last exchange step; survives into the next exchange.
    std::atomic<uint8_t> LinkStatus{0};
    /// Records announced by the last archive header, or rows - 1 after a project open.
    std::atomic<uint32_t> RecordCount{0};
    /// The instrument's display image as last received. Written by the worker only while it
    /// reads the screen; read by the screenshot window after the transfer is reported complete.
    std::array<std::atomic<uint8_t>, kScreenBufferSize> ScreenBuffer{};
    ObjectNameTable ObjectNames;

    /// The worker's settings block: as last read, or as last built for sending. Bytes the
    /// program does not write go back to the instrument as they were read.
    std::array<uint8_t, kSettingsBlockBytes> settingsBlock{};
    /// The settings cell the last write could not convert (row 1..20, column 2..8). Kept,
    /// like LinkStatus, so that the next exchange's first hand-off still names it.
    std::atomic<int> invalidRow{0};
    std::atomic<int> invalidColumn{0};

    /// Whether an exchange on this state is running.
    ExchangeActivity activity;

    /// The text of `pair` in this state's language now.
    const QString& tr(const TextPair& pair) const { return pair[Lang.load()]; }
    /// The program's format for time texts. Empty means the system's own time format; the
    /// first archive shown sets it to "hh:mm:ss" for the rest of the run.
    QString timeFormat() const;
    void setTimeFormat(const QString& format);
    /// Every value back to its start-up value (the activity excepted).
    void reset();

private:
    mutable std::shared_mutex timeFormatLock_;
    QString timeFormat_;
};
