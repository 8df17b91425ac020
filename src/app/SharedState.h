#pragma once
#include "texts/TextPair.h"

#include <QObject>

#include <array>
#include <atomic>
#include <cstdint>

// Process-wide variables shared by the windows and the device worker. The window thread
// writes Operation, WorkerState and CancelRequest; the worker writes WorkerState,
// LinkStatus, CancelRequest (clearing it), VersionUnread and RecordCount. All of them are
// atomics of the stated width so that the two threads never race.

/// Language of every text: 0 Russian, 1 English.
extern std::atomic<uint8_t> Lang;
/// 1 until the first exchange that ends without cancel; while 1 the worker checks the firmware.
extern std::atomic<uint8_t> VersionUnread;
/// Requested operation: 0 read archive, 1 read settings, 2 write settings, 3 read screen.
extern std::atomic<uint8_t> Operation;
/// Worker state 0..7.
extern std::atomic<uint8_t> WorkerState;
extern std::atomic<uint8_t> CancelRequest;
/// Status code 0..5 of the last exchange step; survives into the next exchange.
extern std::atomic<uint8_t> LinkStatus;
/// Records announced by the last archive header, or rows - 1 after a project open.
extern std::atomic<uint32_t> RecordCount;
/// Direction of the last column sort: 0 at start, then +1 or -1.
extern std::atomic<int32_t> SortDirection;

inline constexpr int kScreenBufferSize = 2048;
/// The instrument's display image as last received. Written by the worker only while it
/// runs operation 3; read by the screenshot window after the transfer is reported complete.
extern std::array<std::atomic<uint8_t>, kScreenBufferSize> ScreenBuffer;

inline constexpr int kObjectCount = 20;

/// Names of the 20 objects in both languages. Replaced as a whole by the worker (under the
/// lock) when it reads the settings; everyone else reads a copy.
std::array<TextPair, kObjectCount> ObjectNames();
TextPair ObjectName(int index);
void SetObjectNames(const std::array<TextPair, kObjectCount>& names);

/// The text of `pair` in the language in force now.
inline const QString& Tr(const TextPair& pair) { return pair[Lang.load()]; }

/// The program's format for time texts. Empty means the system's own time format; the
/// first archive fill sets it to "hh:mm:ss" for the rest of the run.
QString TimeFormat();
void SetTimeFormat(const QString& format);

/// Puts every variable back to its start-up value (program start and tests).
void ResetSharedState();

/// Whether a device exchange is running, with a signal when that changes. Only one
/// exchange runs at a time: starters check IsRunning() and windows disable their starting
/// buttons while it is true.
class ExchangeActivity : public QObject {
    Q_OBJECT
public:
    static ExchangeActivity& instance();
    bool isRunning() const { return running_.load(); }
    /// Called by the worker side when an exchange starts and ends (any thread).
    void setRunning(bool running);
signals:
    void runningChanged(bool running);

private:
    std::atomic<bool> running_{false};
};
