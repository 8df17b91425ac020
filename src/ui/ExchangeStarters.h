#pragma once
// The four commands that start an exchange, and the link each new exchange talks through.
// Window side: the worker hands results to the callbacks given here and knows no window
// but the progress controls.
#include "device/BMTreadUSB.h"

#include <functional>
#include <memory>

class ArchiveModel;
class QLabel;
class QProgressBar;
class QTableWidget;
class QWidget;

/// Makes the link each new exchange talks through (the USB library by default).
using LinkFactory = std::function<std::unique_ptr<Link>()>;
void SetLinkFactory(LinkFactory factory);
/// The link the starters use.
std::unique_ptr<Link> MakeExchangeLink();

// Starters. Each follows the same order on the `state` it is given (the program's one, which
// outlives the exchange): WorkerState 0, Operation, a new worker, its controls. None starts while another
// exchange runs (it then returns null / false). `target` guards the callbacks: once it is gone they are not
// called.

/// Read the archive into `model`: creates a TForm2 owned by `owner`, starts the worker and
/// shows the TForm2 modally; returns when it closes. While an archive read runs with its
/// TForm2 closed by the user, shows that TForm2 again instead (no second exchange). False if
/// another exchange was running.
/// `filled`, when given, is called after a read that brought records has filled `model`.
bool StartArchiveRead(SharedState& state, QWidget* owner, ArchiveModel* model,
                      std::function<void()> filled = {});
/// The same with any receiver of the records.
bool StartArchiveRead(SharedState& state, QWidget* owner, QObject* target, ArchiveFill fill);
/// True while an archive read runs whose progress window the user has closed: starting a
/// read then shows that window again.
bool ArchiveReadWindowClosed();

/// Read the object settings; `fill` gets rows 1..20. Closing the window of `gauge` stops
/// the exchange.
BMTreadUSB* StartSettingsRead(SharedState& state, QProgressBar* gauge, QLabel* label, QObject* target,
                              SettingsFill fill);
/// Write the object settings that `source` gives; makes the gauge visible.
BMTreadUSB* StartSettingsWrite(SharedState& state, QProgressBar* gauge, QLabel* label, QObject* target,
                               SettingsSource source);
/// The settings read into `table`: 21 rows, rows 1..20 written.
BMTreadUSB* StartSettingsRead(SharedState& state, QProgressBar* gauge, QLabel* label, QTableWidget* table);
/// The settings write of rows 1..20 of `table` as they are at this call.
BMTreadUSB* StartSettingsWrite(SharedState& state, QProgressBar* gauge, QLabel* label, QTableWidget* table);
/// Read the instrument's screen into `state`'s ScreenBuffer; the gauge reaching 100 marks the end.
BMTreadUSB* StartScreenRead(SharedState& state, QProgressBar* gauge, QLabel* label);
