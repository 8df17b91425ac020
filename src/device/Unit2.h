#pragma once
// The progress window of an archive read, and the four commands that start an exchange.
#include "device/BMTreadUSB.h"

#include <QDialog>

#include <functional>
#include <memory>

class ArchiveModel;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

/// Progress window of an archive read: gauge, status label and Cancel.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QProgressBar* CGauge1;
    QLabel* Label1;
    QPushButton* Button1;

    /// Cancel: the worker notices it at its next check.
    void Button1Click();
};

/// Makes the link each new exchange talks through (the USB library by default).
using LinkFactory = std::function<std::unique_ptr<Link>()>;
void SetLinkFactory(LinkFactory factory);
/// The link the starters use.
std::unique_ptr<Link> MakeExchangeLink();

// Starters. Each follows the same order: WorkerState 0, Operation, a new worker, its
// controls. None starts while another exchange runs (it then returns null / false).

/// Read the archive into `model`: creates a TForm2 owned by `owner`, starts the worker and
/// shows the TForm2 modally; returns when it closes. While an archive read runs with its
/// TForm2 closed by the user, shows that TForm2 again instead (no second exchange). False if
/// another exchange was running.
bool StartArchiveRead(QWidget* owner, ArchiveModel* model);
/// The same with any receiver of the records; `target` guards `fill`.
bool StartArchiveRead(QWidget* owner, QObject* target, ArchiveFill fill);
/// True while an archive read runs whose progress window the user has closed: starting a
/// read then shows that window again.
bool ArchiveReadWindowClosed();

/// Read the object settings into `table` (rows 1..20). Closing the window of `gauge`
/// stops the exchange.
BMTreadUSB* StartSettingsRead(QProgressBar* gauge, QLabel* label, QTableWidget* table);
/// Write the object settings from `table`; makes the gauge visible.
BMTreadUSB* StartSettingsWrite(QProgressBar* gauge, QLabel* label, QTableWidget* table);
/// Read the instrument's screen into ScreenBuffer; the gauge reaching 100 marks the end.
BMTreadUSB* StartScreenRead(QProgressBar* gauge, QLabel* label);
