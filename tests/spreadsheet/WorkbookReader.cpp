#include "WorkbookReader.h"

#include "archive/ArchiveTable.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

QJsonArray ReadWorkbook(const QString& path, bool valuesOnly)
{
    QProcess python;
    QStringList args{QStringLiteral(LM11_WORKBOOK_READER), path};
    if (valuesOnly) args << QStringLiteral("--values");
    // The system's Python, which has the Debian readers, whatever else is on PATH.
    python.start(QStringLiteral("/usr/bin/python3"), args);
    const bool finished = python.waitForFinished(300'000);
    const QByteArray out = python.readAllStandardOutput();
    EXPECT_TRUE(finished && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0)
        << "reader failed on " << path.toStdString() << ":\n"
        << python.readAllStandardError().toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object().value(QStringLiteral("sheets")).toArray();
}

::testing::AssertionResult SheetHolds(const QJsonObject& sheet, const ArchiveTable& table, int firstRow,
                                      int count)
{
    const QJsonArray rows = sheet.value(QStringLiteral("rows")).toArray();
    // The reader drops trailing blank rows, so the sheet ends at the last row with text.
    int expectedRows = 0;
    for (int j = 0; j < count; ++j)
        for (int c = 0; c < table.columnCount(); ++c)
            if (!table.cell(c, firstRow + j).isEmpty()) expectedRows = j + 1;
    if (rows.size() != expectedRows)
        return ::testing::AssertionFailure()
               << "sheet has " << rows.size() << " rows, expected " << expectedRows;
    for (int j = 0; j < expectedRows; ++j) {
        const QJsonArray row = rows.at(j).toArray();
        if (row.size() > table.columnCount())
            return ::testing::AssertionFailure() << "row " << j << " has " << row.size() << " cells";
        for (int c = 0; c < table.columnCount(); ++c) {
            const QString& want = table.cell(c, firstRow + j);
            const QJsonValue got = c < row.size() ? row.at(c) : QJsonValue();
            const bool same =
                want.isEmpty() ? got.isNull() || got.isUndefined() : got.isString() && got.toString() == want;
            if (!same)
                return ::testing::AssertionFailure()
                       << "sheet row " << j << " column " << c << ": got \""
                       << QJsonDocument(QJsonArray{got}).toJson(QJsonDocument::Compact).toStdString()
                       << "\", expected table row " << firstRow + j << " \"" << want.left(80).toStdString()
                       << "\"";
        }
    }
    return ::testing::AssertionSuccess();
}

QStringList SheetNames(const QJsonArray& sheets)
{
    QStringList names;
    for (const QJsonValue& sheet : sheets) names << sheet.toObject().value(QStringLiteral("name")).toString();
    return names;
}

QByteArray FileStart(const QString& path, int bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(bytes);
}
