#include "Unit6.h"

#include "app/SharedState.h"
#include "archive/ArchiveTable.h"
#include "exchange/print/PrintModule.h"
#include "exchange/report/ReportPainter.h"
#include "texts/Texts.h"

#include <exception>
#include <memory>

TForm6::TForm6(const ArchiveTable& table, const QString& title, QWidget* parent)
    : QWidget(parent), title_(title), lines_(ReportLines(table)), counter_(int(lines_.size()))
{
    setWindowFlag(Qt::Window);
}

void TForm6::QuickRep1Print(QPagedPaintDevice& device, const PrintRun& run)
{
    // A printer with no page range reports 0 for both ends.
    const int from = run.fromPage > 0 ? run.fromPage : 1;
    const int to = run.toPage > 0 ? run.toPage : INT_MAX;
    PaintReport(device, title_, lines_, counter_, from, to);
}

void TForm6::Preview(int lang)
{
    PreviewRequest request;
    request.parent = parentWidget();
    request.windowTitle = title_;
    request.docName = title_;
    request.singleCopy = true;
    request.setUp = [](QPagedPaintDevice& device) { SetUpReportPage(device); };
    request.paint = [this](QPagedPaintDevice& device, const PrintRun& run) { QuickRep1Print(device, run); };
    ShowPrintPreview(request, lang);
}

void OpenReportPreview(QWidget* parent, const ArchiveTable& table, const SharedState& state)
{
    std::unique_ptr<TForm6> form;
    try {
        form = std::make_unique<TForm6>(
            table, CurrentReportTitle(state.tr(MainText::SheetTitle), state.timeFormat()), parent);
        form->Preview(state.Lang.load());
    } catch (const std::exception&) {
        // Nothing was changed; the window goes with the failed command.
    }
}
