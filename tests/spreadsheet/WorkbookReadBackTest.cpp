// The .xlsx export reads its workbook back before it replaces the user's file, because
// libxlsxwriter does not notice a write of its own that failed. Here a written workbook is
// damaged the ways a lost write damages one (a piece cut from a part, a whole element gone,
// a cell text changed) and re-zipped, and the read-back must refuse it; re-zipped unchanged,
// and with texts that need escaping, it must accept it.
#include "archive/ArchiveTable.h"
#include "exchange/spreadsheet/SpreadsheetExport.h"
#include "exchange/spreadsheet/XlsxWriter.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kTitle = QStringLiteral("Архив измерений ");
constexpr std::time_t kCreated = 1'700'000'000;

ArchiveTable Table(int rows)
{
    ArchiveTable table(4, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 4; ++c)
            if ((r + c) % 5 != 3) table.setCell(c, r, QStringLiteral("Объект %1 & <%2>").arg(r).arg(c));
    return table;
}

// Copies the zip package `from` to `to`, with the first match of `pattern` (a Python regular
// expression over bytes) in `part` replaced by `replacement`; fails the test if nothing matched.
bool Rezip(const QString& from, const QString& to, const QString& part, const QString& pattern,
           const QString& replacement)
{
    static const QString script = QStringLiteral(R"(
import re, sys, zipfile
source, target, part, pattern, replacement = sys.argv[1:6]
found = not part
with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zout:
    for item in zin.infolist():
        data = zin.read(item.filename)
        if item.filename == part:
            changed = re.sub(pattern.encode(), replacement.encode(), data, count=1, flags=re.S)
            found = changed != data
            data = changed
        zout.writestr(item, data)
sys.exit(0 if found else 3)
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), script, from, to, part, pattern, replacement});
    const bool done = python.waitForFinished(60'000);
    EXPECT_TRUE(done && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0)
        << "could not damage " << part.toStdString() << " with " << pattern.toStdString() << ": "
        << python.readAllStandardError().toStdString();
    return done && python.exitCode() == 0;
}

TEST(WorkbookReadBack, RefusesAWorkbookDamagedAsALostWriteDamagesIt)
{
    QTemporaryDir dir;
    const ArchiveTable table = Table(20000); // a sheet of some 2.5 MB
    const QString written = dir.filePath(QStringLiteral("written.xlsx"));
    ASSERT_TRUE(WriteXlsx(table, kTitle, written, kCreated).ok());

    struct Damage {
        const char* what;
        const char* part;
        const char* pattern;
        const char* replacement;
        const char* why; // a piece of the reason given
    };
    const Damage damages[] = {
        {"a cell's text changed", "xl/worksheets/sheet1.xml", "Объект 7 ", "Объект 8 ",
         "does not hold its text"},
        {"a whole cell gone", "xl/worksheets/sheet1.xml", "<c r=\"B2\".*?</c>", "", "where 1,1 was written"},
        {"a whole row gone", "xl/worksheets/sheet1.xml", "<row r=\"20000\".*?</row>", "", "missing"},
        {"the start of a cell's tag gone", "xl/worksheets/sheet1.xml", "<c r=\"A5\"", "",
         "text beside elements"},
        {"the end of the sheet gone", "xl/worksheets/sheet1.xml", "</sheetData>.*", "", "cut off"},
        {"a column's width gone", "xl/worksheets/sheet1.xml", "<col [^>]*/>", "", "part differs"},
        {"the dimension's tag start gone", "xl/worksheets/sheet1.xml", "<dimension", "",
         "text beside elements"},
        {"a theme colour gone", "xl/theme/theme1.xml", "<a:sysClr [^>]*/>", "", "part differs"},
        {"a content type's tag start gone", "[Content_Types].xml", "<Default", "", "text beside elements"},
        {"a part's declaration gone", "xl/styles.xml", "<\\?xml[^>]*>\\s*", "", "no XML declaration"},
        {"a sheet's name changed", "xl/workbook.xml", "Архив", "Арxив", "part differs"},
        {"the creation time changed", "docProps/core.xml", "2023-", "2024-", "part differs"},
        {"tags that do not nest", "xl/worksheets/sheet1.xml", "</is></c>", "</c></is>", "do not nest"},
        {"an unknown reference", "xl/worksheets/sheet1.xml", "&amp;", "&bogus;", "bad reference"},
        // A quote left open swallows the rest of the sheet: refused, not read again and again.
        {"a quote left open", "xl/worksheets/sheet1.xml", "<c r=\"C4\"", "<c r=\"C4", "too long"},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        const QString damaged = dir.filePath(QStringLiteral("damaged.xlsx"));
        if (!Rezip(written, damaged, QString::fromUtf8(d.part), QString::fromUtf8(d.pattern),
                   QString::fromUtf8(d.replacement)))
            continue;
        QString why;
        EXPECT_FALSE(XlsxHoldsTable(table, kTitle, damaged, kCreated, &why));
        EXPECT_TRUE(why.contains(QString::fromUtf8(d.why))) << "the reason given: " << why.toStdString();
    }

    // Unchanged but re-zipped (other compression, other order of nothing): still whole.
    const QString rezipped = dir.filePath(QStringLiteral("rezipped.xlsx"));
    ASSERT_TRUE(Rezip(written, rezipped, QString(), QString(), QString()));
    QString why;
    EXPECT_TRUE(XlsxHoldsTable(table, kTitle, rezipped, kCreated, &why)) << why.toStdString();
    // A table it was not written from.
    ArchiveTable other = table;
    other.setCell(2, 19999, QStringLiteral("другой"));
    EXPECT_FALSE(XlsxHoldsTable(other, kTitle, written, kCreated, &why));
}

TEST(WorkbookReadBack, AcceptsTextsThatNeedEscaping)
{
    // Control characters become _xHHHH_, markup characters references, a NUL ends the text
    // libxlsxwriter is given; none of that may be mistaken for damage.
    ArchiveTable table(3, 4);
    table.setCell(0, 0,
                  QStringLiteral("a\x01"
                                 "b\rc\td\ne\x1f"));
    table.setCell(1, 0, QStringLiteral("_x0041_ stays as typed"));
    table.setCell(2, 0, QStringLiteral("<![CDATA[ ]]> &amp; \"'"));
    table.setCell(0, 1, QStringLiteral("  leading and trailing  "));
    table.setCell(1, 1, QString(QStringLiteral("before")) + QChar(0) + QStringLiteral("after"));
    table.setCell(2, 1, QString(QChar(0)) + QStringLiteral("nothing before the NUL"));
    table.setCell(0, 2, QStringLiteral("\U0001F600 ё µ"));
    table.setCell(1, 3, QString(5000, QChar(0x0416)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("escaped.xlsx"));
    const SpreadsheetResult result = exportToSpreadsheet(table, kTitle, path);
    EXPECT_TRUE(result.ok()) << result.detail.toStdString();
}

} // namespace
