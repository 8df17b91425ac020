#pragma once
// Draws the report's pages with QPainter onto any paged device: the printer of the print
// preview, or a PDF writer.
#include "ReportText.h"

#include <QFont>
#include <climits>

class QPagedPaintDevice;

/// The monospaced report font with Cyrillic letters: Lucida Console where it is installed,
/// else DejaVu Sans Mono.
QFont ReportFont(int pointSize, bool bold = false);

/// A4 landscape with 10 mm margins on every side.
void SetUpReportPage(QPagedPaintDevice& device);

/// Paints one run of the report onto `device` (already set up with SetUpReportPage). The
/// counter restarts at the beginning of the run and feeds one detail print per report line.
/// Pages outside firstPage..lastPage are laid out but not drawn. Returns the number of pages
/// the report has, or 0 when the device cannot be painted on.
int PaintReport(QPagedPaintDevice& device, const QString& title, const QStringList& lines,
                DetailCounter& counter, int firstPage = 1, int lastPage = INT_MAX);
