#pragma once
#include "SpreadsheetExport.h"

/// Writes the table as an Office Open XML workbook at `path` (constant-memory mode: rows go
/// to disk as they are written). Does not check the table against the format's limits.
SpreadsheetResult WriteXlsx(const ArchiveTable& table, const QString& sheetTitle, const QString& path);
