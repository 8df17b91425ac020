#pragma once
// libxlsxwriter stages every part of a workbook in temporary files and does not notice when
// writing one of them fails (a full disk, a file size limit): it then zips a cut-off part and
// reports success. This check reads the finished package back so such a workbook is never
// put in place of the user's file.
#include <QString>

/// Whether every entry of the zip package at `path` inflates to its recorded size and
/// checksum, and every XML part ends with the closing tag of its root element. `why` says
/// what was wrong.
bool PackageComplete(const QString& path, QString* why = nullptr);
