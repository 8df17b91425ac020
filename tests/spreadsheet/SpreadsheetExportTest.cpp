// The workbook files, read back through independent readers: sheet layout, cell texts and
// positions, widths and alignment, and how a failed export leaves the user's file.
#include "WorkbookReader.h"

#include "archive/ArchiveTable.h"
#include "exchange/spreadsheet/SheetLayout.h"
#include "exchange/spreadsheet/SpreadsheetExport.h"
#include "texts/Texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kRussianTitle = QStringLiteral("Архив измерений ");
const QString kEnglishTitle = QStringLiteral("Archive of measurements ");

// A table shaped like a read archive: Russian header, twelve columns of the usual texts,
// Cyrillic and blanks included.
ArchiveTable ArchiveLike(int rows)
{
    ArchiveTable table(kArchiveColumns, rows);
    for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r < rows; ++r) {
        table.setCell(0, r, QString::number(r));
        table.setCell(1, r, DefaultObjectName(r % 20 + 1)[r % 3 == 0]);
        table.setCell(2, r, ExchangeText::SensorNames[std::size_t(r % 2)][r % 5 == 0]);
        table.setCell(3, r, QStringLiteral(" -500  -  500"));
        table.setCell(4, r, QString::number(r % 997 - 400));
        table.setCell(5, r, QStringLiteral("%1   |   %2").arg(r / 30 + 1).arg(r % 30 + 1));
        table.setCell(6, r, QStringLiteral("30"));
        table.setCell(7, r, QString::number(r % 7 + 1));
        table.setCell(8, r, QStringLiteral("10"));
        table.setCell(9, r, QStringLiteral("12.03.2024"));
        table.setCell(10, r, QTime(0, 0).addSecs(r * 7).toString(QStringLiteral("hh:mm:ss")));
        table.setCell(11, r, ExchangeText::ModeNames[std::size_t(r % 2)].ru);
    }
    return table;
}

int LongestText(const ArchiveTable& table, int column, int firstRow, int count)
{
    qsizetype longest = 0;
    for (int r = firstRow; r < firstRow + count && r < table.rowCount(); ++r)
        longest = std::max(longest, table.cell(column, r).size());
    return int(longest);
}

class SpreadsheetFormat : public ::testing::TestWithParam<const char*> {
protected:
    QString path(const QString& base = QStringLiteral("archive")) const
    {
        return dir.filePath(base + GetParam());
    }
    QTemporaryDir dir;
};

INSTANTIATE_TEST_SUITE_P(Formats, SpreadsheetFormat, ::testing::Values(".xls", ".xlsx"),
                         [](const auto& test) { return std::string(test.param + 1); });

TEST_P(SpreadsheetFormat, SmallTableFillsOneCentredSheetWithFittedColumns)
{
    ArchiveTable table = ArchiveLike(101);
    table.setCell(7, 50, QString()); // a blank inside the block stays in its place
    ASSERT_TRUE(exportToSpreadsheet(table, kRussianTitle, path()).ok());

    const QJsonArray sheets = ReadWorkbook(path());
    ASSERT_EQ(SheetNames(sheets), QStringList{QStringLiteral("Архив измерений 1")});
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_TRUE(SheetHolds(sheet, table, 0, 101)); // header on row 1, column 13 empty
    EXPECT_EQ(sheet[QStringLiteral("types")].toArray(), QJsonArray{QStringLiteral("string")});
    EXPECT_TRUE(sheet[QStringLiteral("cellsCentred")].toBool());

    // Columns 1..13 make the written block: all centred, the table's fitted to their longest
    // text, the empty 13th at the default width; nothing beyond it.
    // Both formats get the same width in characters, one more than the longest text. An
    // .xlsx file stores it with the cell padding the spreadsheet adds (5 of a 7-pixel digit),
    // rounded to 1/256; an .xls file stores it as it is, in 1/256 of a character.
    const double padding = std::string(GetParam()) == ".xlsx" ? 5.0 / 7.0 : 0.0;
    const auto characters = [&](const QJsonValue& column) {
        return column.toObject()[QStringLiteral("width")].toDouble(-1) - padding;
    };
    const QJsonArray columns = sheet[QStringLiteral("columns")].toArray();
    for (int c = 0; c < 12; ++c) {
        const int longest = LongestText(table, c, 0, 101);
        EXPECT_TRUE(columns[c].toObject()[QStringLiteral("centred")].toBool()) << "column " << c;
        EXPECT_NEAR(characters(columns[c]), longest + 1, 0.01) << "column " << c;
    }
    EXPECT_TRUE(columns[12].toObject()[QStringLiteral("centred")].toBool());
    EXPECT_NEAR(characters(columns[12]), 8.43, 0.01);
    EXPECT_FALSE(columns[13].toObject()[QStringLiteral("centred")].toBool());
}

TEST_P(SpreadsheetFormat, TableOfExactlyOneBlockGetsASecondEmptySheet)
{
    const ArchiveTable table = ArchiveLike(65535);
    ASSERT_TRUE(exportToSpreadsheet(table, kEnglishTitle, path()).ok());

    const QJsonArray sheets = ReadWorkbook(path(), true);
    ASSERT_EQ(SheetNames(sheets), (QStringList{QStringLiteral("Archive of measurements 1"),
                                               QStringLiteral("Archive of measurements 2")}));
    EXPECT_TRUE(SheetHolds(sheets[0].toObject(), table, 0, 65535));
    EXPECT_TRUE(sheets[1].toObject()[QStringLiteral("rows")].toArray().isEmpty());
}

TEST_P(SpreadsheetFormat, LongTableSplitsAtRow65535WithoutRepeatingTheHeader)
{
    const ArchiveTable table = ArchiveLike(70000);
    ASSERT_TRUE(exportToSpreadsheet(table, kRussianTitle, path()).ok());

    const QJsonArray sheets = ReadWorkbook(path());
    ASSERT_EQ(SheetNames(sheets),
              (QStringList{QStringLiteral("Архив измерений 1"), QStringLiteral("Архив измерений 2")}));
    EXPECT_TRUE(SheetHolds(sheets[0].toObject(), table, 0, 65535));
    const QJsonObject second = sheets[1].toObject();
    EXPECT_TRUE(SheetHolds(second, table, 65535, 4465));
    EXPECT_EQ(second[QStringLiteral("rows")].toArray()[0].toArray()[0].toString(), QStringLiteral("65535"));
    // Each sheet's columns fit that sheet's texts: the long heading of column 7 is not on
    // the second one.
    const double width =
        second[QStringLiteral("columns")].toArray()[6].toObject()[QStringLiteral("width")].toDouble();
    EXPECT_LE(width, LongestText(table, 6, 65535, 4465) + 2.0);
    EXPECT_TRUE(second[QStringLiteral("cellsCentred")].toBool());
}

TEST_P(SpreadsheetFormat, UnusualTextsComeBackUnchanged)
{
    // Texts at the cell limit cross several records of the .xls string table; the others
    // try escaping, formulas, numbers, Latin-1 and characters outside the 16-bit range.
    ArchiveTable table(3, 5);
    table.setCell(0, 0, QString(kMaxCellText, QChar(0x0416))); // Ж
    table.setCell(1, 0, QString(kMaxCellText, QLatin1Char('x')));
    table.setCell(2, 0, QString(9000, QChar(0x00E9))); // é, one byte per character in .xls
    table.setCell(0, 1, QStringLiteral("=1+1"));
    table.setCell(1, 1, QStringLiteral("<a href=\"x\">&amp;</a> 'q'"));
    table.setCell(2, 1, QStringLiteral("  007  "));
    table.setCell(0, 2, QStringLiteral("Сопротив., кОм*см "));
    table.setCell(1, 2, QStringLiteral("µ° ±½ \U0001F600 ё"));
    table.setCell(2, 3, QStringLiteral("-350,5"));
    for (int i = 0; i < 3; ++i) table.setCell(i, 4, QString(4000 + i, QChar(0x0430 + i)));
    ASSERT_TRUE(exportToSpreadsheet(table, kRussianTitle, path()).ok());

    const QJsonArray sheets = ReadWorkbook(path(), true);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(SheetHolds(sheets[0].toObject(), table, 0, 5));
    EXPECT_EQ(sheets[0].toObject()[QStringLiteral("types")].toArray(), QJsonArray{QStringLiteral("string")});
}

TEST_P(SpreadsheetFormat, ReplacesAnExistingFileWithTheWorkbook)
{
    QFile old(path());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100'000, 'z'));
    old.close();

    const ArchiveTable table = ArchiveLike(20);
    ASSERT_TRUE(exportToSpreadsheet(table, kEnglishTitle, path()).ok());
    const QJsonArray sheets = ReadWorkbook(path(), true);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(SheetHolds(sheets[0].toObject(), table, 0, 20));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(path()).fileName()});
}

// A failed export must leave an existing file byte for byte and no scratch files beside it.
void ExpectFailureKeeps(const QTemporaryDir& dir, const QString& target,
                        const std::function<SpreadsheetResult()>& run, SpreadsheetStatus expected)
{
    const QByteArray before("the user's earlier workbook");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    const SpreadsheetResult result = run();
    EXPECT_EQ(result.status, expected) << result.detail.toStdString();
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QFileInfo(target).fileName()});
}

TEST_P(SpreadsheetFormat, RefusedTableLeavesExistingFileAlone)
{
    ArchiveTable table = ArchiveLike(10);
    table.setCell(3, 4, QString(kMaxCellText + 1, QLatin1Char('y')));
    ExpectFailureKeeps(
        dir, path(), [&] { return exportToSpreadsheet(table, kRussianTitle, path()); },
        SpreadsheetStatus::TextTooLong);
}

TEST_P(SpreadsheetFormat, WriteThatRunsOutOfSpaceLeavesExistingFileAlone)
{
    // A file size limit makes every write past 64 KiB fail, as a full disk would.
    const ArchiveTable table = ArchiveLike(20000);
    ExpectFailureKeeps(
        dir, path(),
        [&] {
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 64 * 1024;
            setrlimit(RLIMIT_FSIZE, &small);
            SpreadsheetResult result = exportToSpreadsheet(table, kRussianTitle, path());
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
            return result;
        },
        SpreadsheetStatus::WriteFailed);
}

TEST(SpreadsheetExport, XlsSheetsTakeAtMost256Columns)
{
    QTemporaryDir dir;
    ArchiveTable table(257, 3);
    table.setCell(256, 1, QStringLiteral("last"));
    ExpectFailureKeeps(
        dir, dir.filePath(QStringLiteral("wide.xls")),
        [&] { return exportToSpreadsheet(table, kRussianTitle, dir.filePath(QStringLiteral("wide.xls"))); },
        SpreadsheetStatus::TooManyColumns);

    // The same table fits an .xlsx sheet, and 256 columns fit an .xls one.
    ASSERT_TRUE(exportToSpreadsheet(table, kRussianTitle, dir.filePath(QStringLiteral("wide.xlsx"))).ok());
    EXPECT_TRUE(
        SheetHolds(ReadWorkbook(dir.filePath(QStringLiteral("wide.xlsx")), true)[0].toObject(), table, 0, 3));
    table.setColumnCount(256);
    table.setCell(255, 2, QStringLiteral("last"));
    ASSERT_TRUE(exportToSpreadsheet(table, kRussianTitle, dir.filePath(QStringLiteral("fits.xls"))).ok());
    EXPECT_TRUE(
        SheetHolds(ReadWorkbook(dir.filePath(QStringLiteral("fits.xls")), true)[0].toObject(), table, 0, 3));
}

TEST(SpreadsheetExport, NameDecidesTheFormatAndANameWithoutExtensionGetsXlsx)
{
    const QByteArray compound("\xD0\xCF\x11\xE0", 4), zip("PK\x03\x04", 4);
    const struct {
        const char* name;
        const char* written; // the file that appears
        QByteArray start;
    } cases[] = {
        {"a.xls", "a.xls", compound},     {"a.XLS", "a.XLS", compound},
        {"a.xLs", "a.xLs", compound},     {"a.xlsx", "a.xlsx", zip},
        {"Arhive", "Arhive.xlsx", zip},   {"a.xls.bak", "a.xls.bak", zip},
        {"a.XLSX", "a.XLSX", zip},        {"survey.2024", "survey.2024", zip},
        {".hidden", ".hidden.xlsx", zip}, {"dotted.dir/plain", "dotted.dir/plain.xlsx", zip},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dotted.dir")));
    const ArchiveTable table = ArchiveLike(3);
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        const QString written = dir.filePath(QString::fromLatin1(c.written));
        EXPECT_EQ(WorkbookFileName(path), written) << c.name;
        ASSERT_TRUE(exportToSpreadsheet(table, kRussianTitle, path).ok()) << c.name;
        EXPECT_EQ(FileStart(written), c.start) << c.name;
        if (path != written) {
            EXPECT_FALSE(QFileInfo::exists(path)) << c.name;
        }
    }
    // The written workbook is a whole one, readable by a spreadsheet reader.
    EXPECT_TRUE(SheetHolds(ReadWorkbook(dir.filePath(QStringLiteral("Arhive.xlsx")), true)[0].toObject(),
                           table, 0, 3));
}

TEST(SpreadsheetExport, UnwritablePlaceFails)
{
    QTemporaryDir dir;
    const ArchiveTable table = ArchiveLike(3);
    // A folder in the way of the name cannot be replaced by a workbook.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.xlsx")));
    for (const QString& name :
         {dir.filePath(QStringLiteral("missing/a.xlsx")), dir.filePath(QStringLiteral("missing/a.xls")),
          dir.filePath(QStringLiteral("taken.xlsx")), QString()})
        EXPECT_EQ(exportToSpreadsheet(table, kRussianTitle, name).status, SpreadsheetStatus::WriteFailed)
            << name.toStdString();
}

} // namespace
