#include "ui/ExchangeStarters.h"

#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "device/Unit2.h"
#include "device/UsbLink.h"

#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>

namespace {

LinkFactory& Factory()
{
    static LinkFactory factory;
    return factory;
}

BMTreadUSB* StartWorker(SharedState& state, Operation operation, WorkerControls controls)
{
    if (state.activity.isRunning()) return nullptr;
    state.WorkerState = 0;
    state.Operation = operation;
    // A Cancel click that came after the last exchange had already finished must not
    // cancel this one before it starts.
    state.CancelRequest = 0;
    auto* worker = new BMTreadUSB(MakeExchangeLink(), state);
    worker->AttachControls(std::move(controls));
    return worker;
}

// A settings table of 21 rows: row 0 the heading, row r the settings of object r.
void ShowRows(QTableWidget& table, const SettingsRows& rows)
{
    table.setRowCount(int(rows.size()) + 1);
    if (table.columnCount() < kSettingsColumns) table.setColumnCount(kSettingsColumns);
    for (int r = 1; r <= int(rows.size()); ++r) {
        for (int c = 0; c < kSettingsColumns; ++c) {
            const QString& text = rows[std::size_t(r - 1)][std::size_t(c)];
            if (QTableWidgetItem* item = table.item(r, c))
                item->setText(text);
            else
                table.setItem(r, c, new QTableWidgetItem(text));
        }
    }
}

SettingsRows RowsOf(const QTableWidget& table)
{
    SettingsRows rows(kSettingsEntries);
    for (int r = 1; r <= int(kSettingsEntries); ++r)
        for (int c = 0; c < kSettingsColumns; ++c)
            if (const QTableWidgetItem* item = table.item(r, c))
                rows[std::size_t(r - 1)][std::size_t(c)] = item->text();
    return rows;
}

// The progress window of the running archive read, when the user has closed it.
TForm2* ClosedArchiveReadWindow()
{
    const BMTreadUSB* worker = RunningExchange();
    auto* form = worker ? qobject_cast<TForm2*>(worker->progressWindow()) : nullptr;
    return form && !form->isVisible() ? form : nullptr;
}

} // namespace

bool ArchiveReadWindowClosed() { return ClosedArchiveReadWindow() != nullptr; }

void SetLinkFactory(LinkFactory factory) { Factory() = std::move(factory); }

bool StartArchiveRead(SharedState& state, QWidget* owner, QObject* target, ArchiveFill fill)
{
    if (state.activity.isRunning()) {
        // Closing the progress window ends only its modal display; the read goes on. Showing
        // it again gives the user back its Cancel.
        TForm2* form = ClosedArchiveReadWindow();
        if (!form) return false;
        form->exec();
        return true;
    }
    auto* form = new TForm2(state, owner);
    WorkerControls controls;
    controls.gauge = form->CGauge1;
    controls.progressWindow = form;
    controls.label = form->Label1;
    controls.target = target;
    controls.archiveFill = std::move(fill);
    if (!StartWorker(state, Operation::ReadArchive, std::move(controls))) return false;
    form->exec();
    return true;
}

bool StartArchiveRead(SharedState& state, QWidget* owner, ArchiveModel* model, std::function<void()> filled)
{
    // RecordCount stays the count the header announced, also when fewer records arrived.
    return StartArchiveRead(
        state, owner, model,
        [&state, model, filled = std::move(filled)](std::span<const ArchiveRecord> records) {
            // The first archive shown sets the time texts of the whole program
            // (the report's title among them) to the archive's 24-hour format.
            if (!records.empty()) state.setTimeFormat(kArchiveTimeFormat);
            model->fillFromRecords(records, state.Lang, state.ObjectNames.get());
            if (!records.empty() && filled) filled();
        });
}

BMTreadUSB* StartSettingsRead(SharedState& state, QProgressBar* gauge, QLabel* label, QObject* target,
                              SettingsFill fill)
{
    WorkerControls controls;
    controls.gauge = gauge;
    controls.label = label;
    controls.target = target;
    controls.settingsFill = std::move(fill);
    controls.stopWith = gauge ? gauge->window() : nullptr;
    return StartWorker(state, Operation::ReadSettings, std::move(controls));
}

BMTreadUSB* StartSettingsWrite(SharedState& state, QProgressBar* gauge, QLabel* label, QObject* target,
                               SettingsSource source)
{
    WorkerControls controls;
    controls.gauge = gauge;
    controls.label = label;
    controls.target = target;
    controls.settingsSource = std::move(source);
    controls.stopWith = gauge ? gauge->window() : nullptr;
    BMTreadUSB* worker = StartWorker(state, Operation::WriteSettings, std::move(controls));
    if (worker && gauge) gauge->setVisible(true);
    return worker;
}

BMTreadUSB* StartSettingsRead(SharedState& state, QProgressBar* gauge, QLabel* label, QTableWidget* table)
{
    return StartSettingsRead(state, gauge, label, table,
                             [table](const SettingsRows& rows) { ShowRows(*table, rows); });
}

BMTreadUSB* StartSettingsWrite(SharedState& state, QProgressBar* gauge, QLabel* label, QTableWidget* table)
{
    // The rows as they are now, checked by the caller: edits made while the send waits for the
    // instrument, and every retry, must not change what goes out.
    return StartSettingsWrite(state, gauge, label, table, [rows = RowsOf(*table)] { return rows; });
}

BMTreadUSB* StartScreenRead(SharedState& state, QProgressBar* gauge, QLabel* label)
{
    WorkerControls controls;
    controls.gauge = gauge;
    controls.label = label;
    controls.stopWith = gauge ? gauge->window() : nullptr;
    return StartWorker(state, Operation::ReadScreen, std::move(controls));
}

std::unique_ptr<Link> MakeExchangeLink()
{
    if (Factory()) return Factory()();
    return std::make_unique<UsbLink>();
}
