#include "ReportText.h"

#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QLocale>

namespace {

// Blanks and control characters at either end go; inner ones stay.
QString TrimBlanksAndControls(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20) ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20) --last;
    return text.mid(first, last - first);
}

} // namespace

QString ReportLine(const ArchiveTable& table, int row)
{
    QString line;
    for (int column = 0; column < table.columnCount(); ++column) {
        QString text = TrimBlanksAndControls(table.cell(column, row));
        if (row == 0 && column == kReportHeadingCutColumn) text.truncate(kReportHeadingCut);
        line += text;
        if (column < int(kReportColumnWidths.size())) {
            const qsizetype pad = kReportColumnWidths[column] - text.size();
            if (pad > 0) line += QString(pad, QLatin1Char(' '));
        }
    }
    return line;
}

QStringList ReportLines(const ArchiveTable& table)
{
    QStringList lines;
    lines.reserve(table.rowCount());
    for (int row = 0; row < table.rowCount(); ++row) lines.append(ReportLine(table, row));
    return lines;
}

QString ReportTitle(const QString& sheetTitle, const QDateTime& now, const QString& dateFormat,
                    const QString& timeFormat)
{
    QString title = sheetTitle + now.date().toString(dateFormat);
    if (now.time() != QTime(0, 0)) title += QLatin1Char(' ') + now.time().toString(timeFormat);
    return title;
}

QString ReportTimeFormat(const QString& programFormat)
{
    if (!programFormat.isEmpty()) return programFormat;
    // The user's time with seconds; the long format's time-zone part does not belong in a title.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

QString CurrentReportTitle(const QString& sheetTitle, const QString& programTimeFormat)
{
    return ReportTitle(sheetTitle, QDateTime::currentDateTime(),
                       QLocale::system().dateFormat(QLocale::ShortFormat),
                       ReportTimeFormat(programTimeFormat));
}

QString DetailCounter::next(const QStringList& lines)
{
    const QString text = n_ == 0 ? QString() : lines.value(n_);
    n_ = n_ < lineCount_ - 1 ? n_ + 1 : 0;
    return text;
}
