#pragma once
#include "SpreadsheetExport.h"

#include <ctime>

/// Writes the table as an Office Open XML workbook at `path` (constant-memory mode: rows go
/// to disk as they are written), then reads it back and fails if it does not hold exactly
/// what was written. `created` is the creation time it records, 0 for now. Does not check
/// the table against the format's limits.
SpreadsheetResult WriteXlsx(const ArchiveTable& table, const QString& sheetTitle, const QString& path,
                            std::time_t created = 0);

/// Whether the workbook at `path` is a whole package holding exactly what WriteXlsx writes for
/// the table with creation time `created`: every cell read back and compared with the table,
/// every other part compared with a workbook of the same sheets and no cells, written beside
/// it for the purpose. `why` says what was wrong.
bool XlsxHoldsTable(const ArchiveTable& table, const QString& sheetTitle, const QString& path,
                    std::time_t created, QString* why = nullptr);
