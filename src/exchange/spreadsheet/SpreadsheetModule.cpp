// Entry point of liblm11xls.so, the spreadsheet writers as a module of their own. The
// program loads it when the user first exports, so that libxlsxwriter, libgsf and what
// they pull in (GLib, libxml2, OpenSSL's libcrypto ...) cost nothing at start-up.
#include "SpreadsheetModule.h"
#include "SpreadsheetExport.h"

extern "C" __attribute__((visibility("default"))) int lm11_export_spreadsheet(const ArchiveTable* table,
                                                                              const QString* sheetTitle,
                                                                              const QString* fileName,
                                                                              QString* detail)
{
    const SpreadsheetResult result = exportToSpreadsheet(*table, *sheetTitle, *fileName);
    if (detail) *detail = result.detail;
    return int(result.status);
}
