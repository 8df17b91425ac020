#pragma once
// The survey report: one page per object with its map and legend, statistics, histogram and
// cumulative curve, the electrode and thresholds and the dates measured; a page of combined
// risk after a potential survey that has its resistivity survey; page numbers and the
// program's title line on every page. Painted onto any paged device (printer, PDF writer).
#include "MapPainter.h"
#include "Survey.h"
#include "SurveyRecord.h"

#include <QDateTime>
#include <QString>

#include <climits>
#include <vector>

class ArchiveTable;
class QPagedPaintDevice;

struct ReportOptions {
    MapOptions map;      ///< electrode, fill, interval and language; `combined` is ignored
    QDateTime printedAt; ///< shown in the header
    /// The surveys' records by SurveyKey; a survey's page prints its record and is drawn in its
    /// unit and orientation (else in those of `map`).
    SurveyRecords records;
};

/// A4 landscape with 10 mm margins.
void SetUpSurveyReportPage(QPagedPaintDevice& device);

/// The report's pages in order: object index and whether the page shows the combined risk.
struct SurveyReportPage {
    int object = 0;
    bool combined = false;
};
std::vector<SurveyReportPage> ReportPages(const std::vector<SurveyObject>& objects);

/// Paints the report; pages outside firstPage..lastPage are skipped. Returns the page count,
/// 0 when the device cannot be painted on.
int PaintSurveyReport(QPagedPaintDevice& device, const ArchiveTable& table,
                      const std::vector<SurveyObject>& objects, const ReportOptions& options,
                      int firstPage = 1, int lastPage = INT_MAX);
