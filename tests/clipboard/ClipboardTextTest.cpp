#include "exchange/clipboard/ClipboardText.h"

#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

ArchiveTable TableOf(const std::vector<QStringList>& rows)
{
    ArchiveTable table(int(rows.front().size()), int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < rows[r].size(); ++c) table.setCell(c, r, rows[r][c]);
    return table;
}

ArchiveTable HeaderOnly(int lang)
{
    ArchiveTable table(kArchiveColumns, 1);
    for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, 0, HeaderText(c, lang));
    return table;
}

} // namespace

TEST(TableClipboardText, HeaderLinesCarryAlignmentTabsInBothLanguages)
{
    EXPECT_EQ(
        TableClipboardText(HeaderOnly(0), 0),
        QStringLiteral("№\tОбъект\t\tДатчик\t\t\tДиапазон\tВеличина\tСерия | Номер\t"
                       "Количество измерений в серии\t\tШаг по X\tШаг по Y\tДата\t\tВремя\t\tРежим\r\n"));
    EXPECT_EQ(TableClipboardText(HeaderOnly(1), 1),
              QStringLiteral("№\tObject\t\tSensor\t\t\tDiapason\tValue\tSeries | Number\t"
                             "Quantity measuring in series\t\tStep X\tStep Y\tDate\t\tTime\t\tRegime\r\n"));
}

TEST(TableClipboardText, HeaderWordsOfTheOtherLanguageGetNoExtraTabs)
{
    // A project saved in English and copied while the program speaks Russian.
    EXPECT_EQ(TableClipboardText(HeaderOnly(1), 0),
              QStringLiteral("№\tObject\tSensor\tDiapason\tValue\tSeries | Number\t"
                             "Quantity measuring in series\tStep X\tStep Y\tDate\tTime\tRegime\r\n"));
}

TEST(TableClipboardText, DataRowsAlignUnderLongHeadings)
{
    const QStringList row = {
        "1",  "Объект 1", "Потенциала, мВ    ", " -500  -  500", "-350",  "1   |   2", "5",
        "10", "20",       "05.03.2016",         "09:07:02",      "Ручной"};
    struct Case {
        int lang;
        QString expected;
    };
    const Case cases[] = {
        // Диапазон (8) is shorter than " -500  -  500": no extra tab; Величина (8) over -350: one;
        // "Серия | Номер" (13): one; the 28-character quantity heading over 5: three; Шаг (8): one.
        {0, QStringLiteral("1\tОбъект 1\tПотенциала, мВ    \t -500  -  500\t-350\t\t1   |   2\t\t5\t\t\t\t"
                           "10\t\t20\t\t05.03.2016\t09:07:02\tРучной\r\n")},
        // Value and Step X/Y are shorter than 8 in English; "Series | Number" is 15.
        {1, QStringLiteral("1\tОбъект 1\tПотенциала, мВ    \t -500  -  500\t-350\t1   |   2\t\t5\t\t\t\t"
                           "10\t20\t05.03.2016\t09:07:02\tРучной\r\n")},
    };
    for (const Case& c : cases) {
        ArchiveTable table(kArchiveColumns, 2);
        for (int col = 0; col < kArchiveColumns; ++col) {
            table.setCell(col, 0, HeaderText(col, c.lang));
            table.setCell(col, 1, row[col]);
        }
        const QString text = TableClipboardText(table, c.lang);
        const QString dataLine = text.mid(text.indexOf(QStringLiteral("\r\n")) + 2);
        EXPECT_EQ(dataLine, c.expected) << "lang " << c.lang;
    }
}

TEST(TableClipboardText, AlignmentDependsOnCellLengthAgainstHeading)
{
    struct Case {
        QString header;
        QString cell;
        QString expected; // the data line
    };
    const Case cases[] = {
        {"Seven77", "", "\r\n"},                      // heading below 8: never
        {"Eight888", "", "\t\r\n"},                   // empty cell under an 8-character heading
        {"Eight888", "1234567", "1234567\t\r\n"},     // one shorter
        {"Eight888", "12345678", "12345678\r\n"},     // as long as the heading: none
        {"Sixteen_16_chars", "x", "x\t\t\r\n"},       // 16 / 8 = 2
        {"Twenty-three_character", "x", "x\t\t\r\n"}, // 22 / 8 = 2, rounded down
    };
    for (const Case& c : cases) {
        // The column under test is the last one: its separator goes, its alignment tabs stay.
        const ArchiveTable table = TableOf({{c.header}, {c.cell}});
        const QString text = TableClipboardText(table, 0);
        EXPECT_EQ(text, c.header + "\r\n" + c.expected)
            << c.header.toStdString() << " / " << c.cell.toStdString();
    }
}

TEST(TableClipboardText, OnlyTheLastSeparatorOfARowGivesWayToTheLineEnd)
{
    const ArchiveTable table = TableOf({{"A", "Количество измерений в серии"}, {"x", "5"}, {"", ""}});
    EXPECT_EQ(TableClipboardText(table, 0), QStringLiteral("A\tКоличество измерений в серии\t\r\n"
                                                           "x\t5\t\t\t\r\n"
                                                           "\t\t\t\t\r\n"));
}

TEST(TableClipboardText, TableWithoutColumnsKeepsItsLineEnds)
{
    EXPECT_EQ(TableClipboardText(ArchiveTable(0, 3), 0), QStringLiteral("\r\n\r\n\r\n"));
    EXPECT_EQ(TableClipboardText(ArchiveTable(12, 0), 0), QString());
}

TEST(BlockClipboardText, CopiesCellsWithoutHeaderOrAlignment)
{
    const ArchiveTable table = TableOf({{"№", "Количество измерений в серии", "Шаг по X", "Дата"},
                                        {"1", "5", "10", "05.03.2016"},
                                        {"2", "125", "1", "06.03.2016"},
                                        {"3", "7", " 2 ", ""}});
    struct Case {
        CellBlock block;
        QString expected;
    };
    const Case cases[] = {
        {{1, 1, 1, 1}, "5\r\n"},
        {{2, 3, 1, 2}, "125\t1\r\n7\t 2 \r\n"},
        {{1, 3, 3, 3}, "05.03.2016\r\n06.03.2016\r\n\r\n"}, // an empty cell still makes its line
        {{3, 3, 1, 3}, "7\t 2 \t\r\n"},                     // blanks and a trailing empty cell kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlockClipboardText(table, c.block), c.expected)
            << c.block.top << ".." << c.block.bottom << " x " << c.block.left << ".." << c.block.right;
}
