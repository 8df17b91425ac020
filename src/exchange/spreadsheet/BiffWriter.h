#pragma once
#include "SpreadsheetExport.h"

#include <QByteArray>

#include <vector>

/// The "Workbook" stream, in consecutive parts (globals, then each sheet), of an Excel 97-2003 (BIFF8)
/// workbook holding the table: globals, shared strings, then one worksheet per block of rows. Cells are
/// shared-string labels with a centred format; the columns carry the fitted widths and the centred format, so
/// the blank cells of the written block are centred too. The table must fit the format (at most 256 columns,
/// cell texts of at most 32767 characters).
std::vector<QByteArray> BuildBiffWorkbook(const ArchiveTable& table, const QString& sheetTitle);

/// Writes the parts, one after the other, as the "Workbook" stream of a compound document at
/// `path`.
SpreadsheetResult WriteCompoundDocument(const std::vector<QByteArray>& workbookStream, const QString& path);

inline constexpr int kXlsMaxColumns = 256;
