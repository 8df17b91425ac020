// Entry point of liblm11print.so: the print preview and the SVG writer, the program's only
// users of QtPrintSupport and QtSvg, as a module of their own (see PrintModule.h).
#include "PrintModule.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSvgGenerator>

namespace {

void Preview(const PreviewRequest* request)
{
    QPrinter printer(QPrinter::HighResolution);
    if (request->landscape) printer.setPageOrientation(QPageLayout::Landscape);
    if (request->setUp) request->setUp(printer);
    if (request->singleCopy) {
        printer.setCopyCount(1);
        printer.setDuplex(QPrinter::DuplexNone);
        printer.setPaperSource(QPrinter::Auto);
    }
    if (!request->docName.isEmpty()) printer.setDocName(request->docName);
    QPrintPreviewDialog dialog(&printer, request->parent);
    if (!request->objectName.isEmpty()) dialog.setObjectName(request->objectName);
    if (!request->windowTitle.isEmpty()) dialog.setWindowTitle(request->windowTitle);
    const auto& paint = request->paint;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* device) {
        if (paint) paint(*device, PrintRun{device->fromPage(), device->toPage(), device->resolution()});
    });
    dialog.exec();
}

bool WriteSvgFile(const SvgRequest* request)
{
    QSvgGenerator svg;
    if (request->device)
        svg.setOutputDevice(request->device);
    else
        svg.setFileName(request->fileName);
    svg.setSize(request->size);
    svg.setViewBox(request->viewBox);
    svg.setTitle(request->title);
    QPainter p;
    if (!p.begin(&svg)) return false;
    if (request->paint) request->paint(p);
    return p.end();
}

const PrintFunctions kFunctions{Preview, WriteSvgFile};

} // namespace

extern "C" __attribute__((visibility("default"))) const PrintFunctions* lm11_print_functions()
{
    return &kFunctions;
}
