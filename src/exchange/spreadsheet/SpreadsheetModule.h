#pragma once
// The spreadsheet writers live in a module loaded on first use (see SpreadsheetModule.cpp).
#include "SpreadsheetExport.h"

#include <QStringList>

/// Name of the module's export function: int (const ArchiveTable*, const QString* sheetTitle,
/// const QString* fileName, QString* detail), returning a SpreadsheetStatus.
inline constexpr const char* kSpreadsheetEntry = "lm11_export_spreadsheet";
inline constexpr const char* kSpreadsheetModuleName = "liblm11xls.so";
/// Environment variable naming the module for a program that does not live beside it.
inline constexpr const char* kSpreadsheetModuleVariable = "LM11_SPREADSHEET_MODULE";

using SpreadsheetExportFunction = int (*)(const ArchiveTable*, const QString*, const QString*, QString*);

/// The export function of the first module in `paths` that exists and loads; nullptr, with
/// the reason in `error`, when none does.
SpreadsheetExportFunction LoadSpreadsheetModule(const QStringList& paths, QString& error);

/// exportToSpreadsheet through the module, which is looked for beside the program and then
/// where `LM11_SPREADSHEET_MODULE` says. A module that cannot be loaded gives WriterMissing with the reason.
SpreadsheetResult ExportSpreadsheetOnDemand(const ArchiveTable& table, const QString& sheetTitle,
                                            const QString& fileName);
