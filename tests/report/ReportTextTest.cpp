#include "exchange/report/ReportText.h"
#include "exchange/report/ReportLayout.h"

#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

ArchiveTable OneRow(const QStringList& header, const QStringList& row)
{
    ArchiveTable table(int(header.size()), 2);
    for (int c = 0; c < header.size(); ++c) {
        table.setCell(c, 0, header[c]);
        table.setCell(c, 1, row.value(c));
    }
    return table;
}

QStringList RussianHeader()
{
    QStringList header;
    for (int c = 0; c < kArchiveColumns; ++c) header << HeaderText(c, 0);
    return header;
}

const QStringList kRow = {"1",  "Объект 1", "Потенциала, мВ    ", " -500  -  500", "-350",  "1   |   2", "5",
                          "10", "20",       "05.03.2016",         "09:07:02",      "Ручной"};

} // namespace

TEST(ReportLine, CellsAreTrimmedAndPaddedToTheirColumnWidths)
{
    const ArchiveTable table = OneRow(RussianHeader(), kRow);
    const QString line = ReportLine(table, 1);
    // Where each column starts in the listing.
    const int starts[] = {0, 5, 17, 37, 52, 62, 77, 99, 109, 119, 132, 144};
    const QString texts[] = {"1",  "Объект 1", "Потенциала, мВ", "-500  -  500", "-350",  "1   |   2", "5",
                             "10", "20",       "05.03.2016",     "09:07:02",     "Ручной"};
    for (int c = 0; c < kArchiveColumns; ++c) {
        EXPECT_EQ(line.mid(starts[c], texts[c].size()), texts[c]) << "column " << c;
        if (c + 1 < kArchiveColumns) {
            EXPECT_EQ(
                line.mid(starts[c] + texts[c].size(), starts[c + 1] - starts[c] - texts[c].size()).trimmed(),
                QString())
                << "padding after column " << c;
        }
    }
    // The sensor name loses its four trailing blanks and is padded to 20; the value to 10.
    EXPECT_TRUE(line.contains(QStringLiteral("Потенциала, мВ      -500")));
    EXPECT_TRUE(line.contains(QStringLiteral("-350      1   |   2")));
    // The last text, longer than its width of 3, is neither cut nor padded.
    EXPECT_TRUE(line.endsWith(QStringLiteral("09:07:02    Ручной")));
}

TEST(ReportLine, HeadingLineCutsOnlyTheSeriesLengthHeading)
{
    const ArchiveTable table = OneRow(RussianHeader(), kRow);
    const QString heading = ReportLine(table, 0);
    EXPECT_TRUE(heading.startsWith(QStringLiteral("№    Объект      Датчик")));
    EXPECT_TRUE(heading.contains(QStringLiteral("Серия | Номер  Количество измерений  Шаг по X")));
    EXPECT_FALSE(heading.contains(QStringLiteral("в серии")));

    const QStringList english = {
        "№",      "Object", "Sensor", "Diapason", "Value", "Series | Number", "Quantity measuring in series",
        "Step X", "Step Y", "Date",   "Time",     "Regime"};
    EXPECT_TRUE(
        ReportLine(OneRow(english, kRow), 0).contains(QStringLiteral("Quantity measuring i  Step X")));

    // In a data row the same column keeps a long text whole.
    QStringList row = kRow;
    row[6] = QStringLiteral("Twenty-five characters!!!");
    EXPECT_TRUE(
        ReportLine(OneRow(RussianHeader(), row), 1).contains(QStringLiteral("Twenty-five characters!!!10")));
}

TEST(ReportLine, UnusualTablesFromProjectFiles)
{
    struct Case {
        const char* name;
        QStringList header, row;
        QString expected; // line of row 1
    };
    const Case cases[] = {
        {"control characters trimmed", {"a", "b"}, {"\t 5\r\n", "x\x01y"}, "5    x\x01y" + QString(9, ' ')},
        {"text longer than its width kept whole",
         {"a", "b"},
         {"123456789", "z"},
         "123456789z" + QString(11, ' ')},
        {"empty cells pad to full width", {"a", "b", "c"}, {"", "", ""}, QString(5 + 12 + 20, ' ')},
        {"columns past the twelfth unpadded",
         {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"},
         {"", "", "", "", "", "", "", "", "", "", "", "", " x ", "y"},
         QString(147, ' ') + "xy"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReportLine(OneRow(c.header, c.row), 1), c.expected) << c.name;
}

TEST(ReportLines, OneLinePerTableRow)
{
    ArchiveTable table; // the start-up table: header and eight empty rows
    const QStringList lines = ReportLines(table);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("№    Объект")));
    for (int i = 1; i < 9; ++i) EXPECT_EQ(lines[i], QString(147, ' ')) << i;
    EXPECT_TRUE(ReportLines(ArchiveTable(12, 0)).isEmpty());
}

TEST(ReportTitle, DateAndTimeFollowTheSheetTitle)
{
    struct Case {
        QString sheet;
        QDateTime now;
        QString dateFormat, timeFormat, expected;
    };
    const Case cases[] = {
        {"Архив измерений ", QDateTime(QDate(2016, 3, 5), QTime(9, 7, 2)), "dd.MM.yyyy", "hh:mm:ss",
         "Архив измерений 05.03.2016 09:07:02"},
        {"Архив измерений ", QDateTime(QDate(2016, 3, 5), QTime(0, 0)), "dd.MM.yyyy", "hh:mm:ss",
         "Архив измерений 05.03.2016"},
        {"Архив измерений ", QDateTime(QDate(2016, 3, 5), QTime(0, 0, 0, 1)), "dd.MM.yyyy", "hh:mm:ss",
         "Архив измерений 05.03.2016 00:00:00"},
        {"Archive of measurements ", QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59)), "M/d/yy",
         "h:mm:ss AP", "Archive of measurements 12/31/16 11:59:59 PM"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReportTitle(c.sheet, c.now, c.dateFormat, c.timeFormat), c.expected);
}

TEST(ReportTitle, UsesTheProgramTimeFormatOnceSetAndTheGivenSheetTitle)
{
    const QTime sample(9, 7, 2);
    const QString systemTime = sample.toString(ReportTimeFormat(QString()));
    EXPECT_TRUE(systemTime.contains(QStringLiteral("07"))) << systemTime.toStdString();
    EXPECT_TRUE(systemTime.contains(QStringLiteral("02"))) << "seconds belong to the time";
    EXPECT_EQ(systemTime, systemTime.trimmed());

    EXPECT_EQ(ReportTimeFormat(QStringLiteral("hh:mm:ss")), QStringLiteral("hh:mm:ss"));
    const QString title = CurrentReportTitle(MainText::SheetTitle[1], QStringLiteral("hh:mm:ss"));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Archive of measurements "))) << title.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(" \\d\\d:\\d\\d:\\d\\d$")).match(title).hasMatch())
        << title.toStdString();
    EXPECT_TRUE(CurrentReportTitle(MainText::SheetTitle[0], QString())
                    .startsWith(QStringLiteral("Архив измерений ")));
}

TEST(DetailCounter, BlankFirstLineThenTheDataLinesThenOver)
{
    const QStringList lines = {"head", "one", "two", "three"};
    DetailCounter counter(int(lines.size()));
    QStringList printed;
    for (int i = 0; i < 9; ++i) printed << counter.next(lines);
    EXPECT_EQ(printed, QStringList({"", "one", "two", "three", "", "one", "two", "three", ""}));

    DetailCounter headerOnly(1);
    EXPECT_EQ(headerOnly.next({"head"}), QString());
    EXPECT_EQ(headerOnly.next({"head"}), QString());

    DetailCounter none(0); // a table without rows has nothing, not even a heading
    EXPECT_EQ(none.next({}), QString());
    EXPECT_EQ(none.position(), 0);
}

TEST(PaginateReport, DetailLinesFillThePagesBetweenHeaderAndFooter)
{
    // 190 mm inside the margins, less 11.43 header and 10.58 footer, leaves 39 lines of 4.23.
    ASSERT_EQ(ReportLinesPerPage(), 39);
    struct Case {
        int prints;
        std::vector<ReportPage> pages;
    };
    const Case cases[] = {
        {0, {{1, 0, 0}}},
        {1, {{1, 0, 1}}},
        {39, {{1, 0, 39}}},
        {40, {{1, 0, 39}, {2, 39, 1}}},
        {101, {{1, 0, 39}, {2, 39, 39}, {3, 78, 23}}},
    };
    for (const Case& c : cases) EXPECT_EQ(PaginateReport(c.prints), c.pages) << c.prints;
}
