#pragma once
// Reads a written workbook back through an independent reader (openpyxl for .xlsx, xlrd for
// .xls, run by the system's Python) and compares sheets with the table they came from.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

class ArchiveTable;

/// The sheets of the workbook at `path`; with `valuesOnly` just names, values and types.
/// Fails the test (and returns an empty array) when the reader cannot read the file.
QJsonArray ReadWorkbook(const QString& path, bool valuesOnly = false);

/// Whether `sheet` holds table rows firstRow .. firstRow+count-1 from its first row and first
/// column on, every empty text a blank cell, and nothing else.
::testing::AssertionResult SheetHolds(const QJsonObject& sheet, const ArchiveTable& table, int firstRow,
                                      int count);

QStringList SheetNames(const QJsonArray& sheets);

/// The first bytes of a file, to tell a compound document from a zip archive.
QByteArray FileStart(const QString& path, int bytes = 4);
