#include "Unit2.h"

#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "device/UsbLink.h"
#include "texts/Texts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setFixedSize(415, 49);
    CGauge1 = new QProgressBar(this);
    CGauge1->setObjectName("CGauge1");
    CGauge1->setGeometry(0, 0, 415, 21);
    CGauge1->setRange(0, 100);
    CGauge1->setValue(0);
    CGauge1->setTextVisible(true);
    CGauge1->setFormat("%p%");
    CGauge1->setAlignment(Qt::AlignCenter);
    QPalette palette = CGauge1->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, Qt::black);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    CGauge1->setPalette(palette);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 26, 300, 20);

    Button1 = new QPushButton(Tr(ExchangeText::Cancel), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(335, 24, 75, 23);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::Button1Click() { Shared.CancelRequest = 1; }

namespace {

LinkFactory& Factory()
{
    static LinkFactory factory;
    return factory;
}

BMTreadUSB* StartWorker(Operation operation, WorkerControls controls)
{
    if (ExchangeActivity::instance().isRunning()) return nullptr;
    Shared.WorkerState = 0;
    Shared.Operation = operation;
    // A Cancel click that came after the last exchange had already finished must not
    // cancel this one before it starts.
    Shared.CancelRequest = 0;
    auto* worker = new BMTreadUSB(MakeExchangeLink(), Shared);
    worker->AttachControls(std::move(controls));
    return worker;
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

bool StartArchiveRead(QWidget* owner, QObject* target, ArchiveFill fill)
{
    if (ExchangeActivity::instance().isRunning()) {
        // Closing the progress window ends only its modal display; the read goes on. Showing
        // it again gives the user back its Cancel.
        TForm2* form = ClosedArchiveReadWindow();
        if (!form) return false;
        form->exec();
        return true;
    }
    auto* form = new TForm2(owner);
    WorkerControls controls;
    controls.gauge = form->CGauge1;
    controls.progressWindow = form;
    controls.label = form->Label1;
    controls.archiveTarget = target;
    controls.archiveFill = std::move(fill);
    if (!StartWorker(Operation::ReadArchive, std::move(controls))) return false;
    form->exec();
    return true;
}

bool StartArchiveRead(QWidget* owner, ArchiveModel* model)
{
    // RecordCount stays the count the header announced, also when fewer records arrived.
    return StartArchiveRead(owner, model, [model](std::span<const ArchiveRecord> records) {
        // The first archive shown sets the time texts of the whole program (the report's
        // title among them) to the archive's 24-hour format.
        if (!records.empty()) SetTimeFormat(kArchiveTimeFormat);
        model->fillFromRecords(records, Shared.Lang, Shared.ObjectNames.get());
    });
}

BMTreadUSB* StartSettingsRead(QProgressBar* gauge, QLabel* label, QTableWidget* table)
{
    WorkerControls controls;
    controls.gauge = gauge;
    controls.label = label;
    controls.settingsTable = table;
    controls.stopWith = gauge ? gauge->window() : nullptr;
    return StartWorker(Operation::ReadSettings, std::move(controls));
}

BMTreadUSB* StartSettingsWrite(QProgressBar* gauge, QLabel* label, QTableWidget* table)
{
    WorkerControls controls;
    controls.gauge = gauge;
    controls.label = label;
    controls.settingsTable = table;
    controls.stopWith = gauge ? gauge->window() : nullptr;
    BMTreadUSB* worker = StartWorker(Operation::WriteSettings, std::move(controls));
    if (worker && gauge) gauge->setVisible(true);
    return worker;
}

BMTreadUSB* StartScreenRead(QProgressBar* gauge, QLabel* label)
{
    WorkerControls controls;
    controls.gauge = gauge;
    controls.label = label;
    controls.stopWith = gauge ? gauge->window() : nullptr;
    return StartWorker(Operation::ReadScreen, std::move(controls));
}

std::unique_ptr<Link> MakeExchangeLink()
{
    if (Factory()) return Factory()();
    return std::make_unique<UsbLink>();
}

