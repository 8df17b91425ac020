#include "Unit6.h"

#include "app/SharedState.h"
#include "archive/ArchiveTable.h"
#include "exchange/report/ReportPainter.h"
#include "texts/Texts.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <exception>
#include <memory>

TForm6::TForm6(const ArchiveTable& table, const QString& title, QWidget* parent)
    : QWidget(parent), title_(title), lines_(ReportLines(table)), counter_(int(lines_.size()))
{
    setWindowFlag(Qt::Window);
}

void TForm6::QuickRep1Print(QPrinter* printer)
{
    // A printer with no page range reports 0 for both ends.
    const int from = printer->fromPage() > 0 ? printer->fromPage() : 1;
    const int to = printer->toPage() > 0 ? printer->toPage() : INT_MAX;
    PaintReport(*printer, title_, lines_, counter_, from, to);
}

void TForm6::Preview()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPage(printer);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPaperSource(QPrinter::Auto);
    printer.setDocName(title_);
    QPrintPreviewDialog dialog(&printer, parentWidget());
    dialog.setWindowTitle(title_);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &TForm6::QuickRep1Print);
    dialog.exec();
}

void OpenReportPreview(QWidget* parent, const ArchiveTable& table, const SharedState& state)
{
    std::unique_ptr<TForm6> form;
    try {
        form = std::make_unique<TForm6>(
            table, CurrentReportTitle(state.tr(MainText::SheetTitle), state.timeFormat()), parent);
        form->Preview();
    } catch (const std::exception&) {
        // Nothing was changed; the window goes with the failed command.
    }
}
