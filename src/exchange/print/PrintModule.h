#pragma once
// Printing (QtPrintSupport) and SVG pictures (QtSvg) live in liblm11print.so, which the
// program loads the first time the user previews a print or saves an SVG, so that neither
// library is loaded at start-up. The program describes the job; the module owns the
// printer, the preview dialog and the SVG generator, and calls back into the program to
// paint, so that it carries none of the program's own code.
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;
class QPagedPaintDevice;
class QPainter;
class QWidget;

/// The page range the user asked for (0 for an end that is not set) and the device's
/// resolution in dots per inch, for one run of the paint callback.
struct PrintRun {
    int fromPage = 0;
    int toPage = 0;
    int resolution = 0;
};

/// A print preview on a high-resolution printer, shown modally.
struct PreviewRequest {
    QWidget* parent = nullptr;
    QString objectName;  ///< of the dialog; empty leaves Qt's own
    QString windowTitle; ///< of the dialog; empty leaves Qt's own
    QString docName;     ///< of the print job; empty leaves Qt's own
    bool landscape = false;
    /// One copy, one-sided, paper from the printer's automatic source.
    bool singleCopy = false;
    /// Sets up the page before the dialog opens (after the orientation); may be empty.
    std::function<void(QPagedPaintDevice&)> setUp;
    /// Paints the document each time the preview or the printer asks for it.
    std::function<void(QPagedPaintDevice&, const PrintRun&)> paint;
};

/// An SVG picture of `size` pixels with `viewBox` as its view box, written to `device` when
/// one is given (the caller then puts the bytes into the file), else to the file `fileName`.
struct SvgRequest {
    QString fileName;
    QIODevice* device = nullptr;
    QSize size;
    QRect viewBox;
    QString title;
    std::function<void(QPainter&)> paint;
};

/// What the module offers.
struct PrintFunctions {
    /// Shows the preview and returns when the user closes it.
    void (*preview)(const PreviewRequest* request);
    /// Writes the picture; false when the file could not be opened or finished.
    bool (*writeSvg)(const SvgRequest* request);
};

/// Name of the module's entry: const PrintFunctions* (), the module's table of functions.
inline constexpr const char* kPrintEntry = "lm11_print_functions";
inline constexpr const char* kPrintModuleName = "liblm11print.so";
/// Environment variable naming the module for a program that does not live beside it.
inline constexpr const char* kPrintModuleVariable = "LM11_PRINT_MODULE";

/// The functions of the first module in `paths` that exists and loads; nullptr, with the
/// reason in `error`, when none does.
const PrintFunctions* LoadPrintModule(const QStringList& paths, QString& error);

/// The module's functions, loaded on first use from beside the program and then from where
/// `LM11_PRINT_MODULE` says; nullptr, with the reason in `error`, when it cannot be loaded.
const PrintFunctions* PrintModuleOnDemand(QString& error);

/// Shows the preview through the module. When the module cannot be loaded, an error box in
/// language `lang` says so, and the function returns false.
bool ShowPrintPreview(const PreviewRequest& request, int lang);

/// Writes the SVG through the module. When the module cannot be loaded, an error box in
/// language `lang` says so, and the function returns false, as it does when writing fails.
bool WriteSvg(const SvgRequest& request, int lang);
