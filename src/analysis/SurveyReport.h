#pragma once
// The survey report, per survey: a page with its record, thresholds and their source, the
// standards' editions and class limits, the map with its legend and the statistics; a page with
// the distribution plots, the grid sketch and the break-out map; and after a potential survey
// that has its resistivity survey, a page of combined risk. Page numbers and the program's title
// line on every page. Painted onto any paged device (printer, PDF writer).
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

/// What a page of the report shows of its survey.
enum class ReportPageKind {
    Survey = 0,   ///< record, thresholds, standards, map, legend, statistics
    Distribution, ///< histogram, cumulative plot, grid sketch, break-out map
    Combined,     ///< the combined risk with the resistivity survey
};

/// The report's pages in order: object index and what the page shows.
struct SurveyReportPage {
    int object = 0;
    ReportPageKind kind = ReportPageKind::Survey;
    bool operator==(const SurveyReportPage&) const = default;
};
std::vector<SurveyReportPage> ReportPages(const std::vector<SurveyObject>& objects);

/// Paints the report; pages outside firstPage..lastPage are skipped. Returns the page count,
/// 0 when the device cannot be painted on.
int PaintSurveyReport(QPagedPaintDevice& device, const ArchiveTable& table,
                      const std::vector<SurveyObject>& objects, const ReportOptions& options,
                      int firstPage = 1, int lastPage = INT_MAX);
