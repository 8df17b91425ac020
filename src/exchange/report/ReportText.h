#pragma once
// Texts of the printed report: fixed-pitch lines of the archive table, the title line and
// the counter that feeds the detail lines. No window code.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>

class ArchiveTable;

/// Width in characters of each archive column in the listing.
inline constexpr std::array<int, 12> kReportColumnWidths = {5, 12, 20, 15, 10, 15, 22, 10, 10, 13, 12, 3};
/// The series-length heading is far wider than its numbers; it is cut to this length.
inline constexpr int kReportHeadingCut = 20;
inline constexpr int kReportHeadingCutColumn = 6;

/// One listing line of table row `row`: every cell trimmed and padded with blanks to its
/// column's width; a longer text is kept whole. Columns past the twelfth are written trimmed,
/// without padding.
QString ReportLine(const ArchiveTable& table, int row);

/// Lines of every table row, line 0 from the header row.
QStringList ReportLines(const ArchiveTable& table);

/// "<sheet title><date> <time>", the date in `dateFormat` and the time in `timeFormat`. A
/// moment exactly at midnight shows the date alone.
QString ReportTitle(const QString& sheetTitle, const QDateTime& now, const QString& dateFormat,
                    const QString& timeFormat);

/// The time format of the title: the program's own (`programFormat`) once set, else the user's.
QString ReportTimeFormat(const QString& programFormat);

/// The title for now: `sheetTitle` (in the language shown), the user's short date and the time
/// in ReportTimeFormat(`programTimeFormat`).
QString CurrentReportTitle(const QString& sheetTitle, const QString& programTimeFormat);

/// Feeds the detail band: a blank first line (the heading is in the page header) followed by
/// lines 1 .. R-1, then starts over, so that each run of the report prints the same listing.
class DetailCounter {
public:
    explicit DetailCounter(int lineCount = 0) : lineCount_(lineCount) {}
    /// Text of the next detail print.
    QString next(const QStringList& lines);
    void restart() { n_ = 0; }
    int position() const { return n_; }

private:
    int lineCount_ = 0;
    int n_ = 0;
};
