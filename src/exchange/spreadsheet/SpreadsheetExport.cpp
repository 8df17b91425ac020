#include "SpreadsheetExport.h"

#include "BiffWriter.h"
#include "SheetLayout.h"
#include "XlsxWriter.h"
#include "archive/ArchiveTable.h"
#include "exchange/SyncedSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace {

// Refuses what the format cannot hold rather than writing a workbook that lost data.
SpreadsheetResult CheckFits(const ArchiveTable& table, bool xls)
{
    const int maxColumns = xls ? kXlsMaxColumns : int(LXW_COL_MAX);
    if (table.columnCount() > maxColumns)
        return {SpreadsheetStatus::TooManyColumns,
                QStringLiteral("%1 columns, the format takes %2").arg(table.columnCount()).arg(maxColumns)};
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c)
            if (table.cell(c, r).size() > kMaxCellText)
                return {SpreadsheetStatus::TextTooLong, QStringLiteral("cell %1, %2").arg(c).arg(r)};
    return {};
}

// Copies the finished workbook over `fileName` through a temporary file beside it that is
// renamed into place only when complete.
SpreadsheetResult PutInPlace(const QString& scratchPath, const QString& fileName)
{
    QFile in(scratchPath);
    if (!in.open(QIODevice::ReadOnly)) return {SpreadsheetStatus::WriteFailed, in.errorString()};
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly)) return {SpreadsheetStatus::WriteFailed, out.errorString()};
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return {SpreadsheetStatus::WriteFailed, out.errorString()};
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return {SpreadsheetStatus::WriteFailed, in.errorString()};
    }
    QString why;
    if (!CommitSynced(out, &why)) return {SpreadsheetStatus::WriteFailed, why};
    return {};
}

} // namespace

bool IsXlsName(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive);
}

QString WorkbookFileName(const QString& fileName)
{
    // A leading dot names a hidden file, not an extension.
    const QString last = QFileInfo(fileName).fileName();
    if (last.isEmpty() || last.lastIndexOf(QLatin1Char('.')) > 0) return fileName;
    return fileName + QStringLiteral(".xlsx");
}

SpreadsheetResult exportToSpreadsheet(const ArchiveTable& table, const QString& sheetTitle,
                                      const QString& chosenName)
{
    if (chosenName.isEmpty()) return {SpreadsheetStatus::WriteFailed, QStringLiteral("no file name")};
    const QString fileName = WorkbookFileName(chosenName);
    const bool xls = IsXlsName(fileName);
    if (SpreadsheetResult fits = CheckFits(table, xls); !fits.ok()) return fits;

    // The writers produce the workbook in a scratch file first, so a failure half way never
    // touches the user's file. The scratch file has a folder of its own, removed with all it
    // holds: libgsf stages beside its file and leaves that behind when its close fails.
    QTemporaryDir scratchDir(QDir::tempPath() + QStringLiteral("/lm11-export-XXXXXX"));
    if (!scratchDir.isValid()) return {SpreadsheetStatus::WriteFailed, scratchDir.errorString()};
    const QString scratch = scratchDir.filePath(QStringLiteral("workbook"));

    SpreadsheetResult written = xls ? WriteCompoundDocument(BuildBiffWorkbook(table, sheetTitle), scratch)
                                    : WriteXlsx(table, sheetTitle, scratch);
    if (!written.ok()) return written;
    return PutInPlace(scratch, fileName);
}
