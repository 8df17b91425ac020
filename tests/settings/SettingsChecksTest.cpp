// The settings editor's rules on cell texts, without a window.
#include "settings/SettingsChecks.h"
#include "settings/SettingsColumns.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

namespace {

TEST(SettingsCellNumber, OnlyAnOptionalMinusAndDecimalDigitsMakeAnInteger)
{
    const struct {
        QString text;
        CellNumber::Kind kind;
        int64_t value;
    } cases[] = {
        {"", CellNumber::NotInteger, 0},
        {"-", CellNumber::NotInteger, 0},
        {"5-", CellNumber::NotInteger, 0},
        {"--5", CellNumber::NotInteger, 0},
        {"+5", CellNumber::NotInteger, 0},
        {" 5", CellNumber::NotInteger, 0},
        {"5 ", CellNumber::NotInteger, 0},
        {"1,5", CellNumber::NotInteger, 0},
        {"12a", CellNumber::NotInteger, 0},
        {QString::fromUtf16(u"\u0663"), CellNumber::NotInteger, 0}, // an Arabic-Indic three
        {"0", CellNumber::Integer, 0},
        {"-0", CellNumber::Integer, 0},
        {"5", CellNumber::Integer, 5},
        {"-999", CellNumber::Integer, -999},
        {"007", CellNumber::Integer, 7},
        {"000000000000000000000000150", CellNumber::Integer, 150},
        {"123456789012345678", CellNumber::Integer, 123456789012345678},
        {"1234567890123456789", CellNumber::TooLong, 0},
        {"-99999999999999999999", CellNumber::TooLong, 0},
        {"99999999999999999999x", CellNumber::NotInteger, 0},
    };
    for (const auto& c : cases) {
        const CellNumber n = ReadCellNumber(c.text);
        EXPECT_EQ(n.kind, c.kind) << c.text.toStdString();
        if (c.kind == CellNumber::Integer) {
            EXPECT_EQ(n.value, c.value) << c.text.toStdString();
        }
    }
}

TEST(SettingsKeyFilter, NumbersTakeDigitsMinusAndEditingKeysNamesTakeEverything)
{
    const QString always = QStringLiteral("0123456789-\b\t\r");
    const QString refusedInNumbers = QString::fromUtf16(u"a+., жZ=\u0663");
    for (int column = ColPotentialMin; column <= ColStepY; ++column) {
        for (QChar c : always) EXPECT_TRUE(KeepsTypedChar(column, c)) << column << " " << int(c.unicode());
        for (QChar c : refusedInNumbers)
            EXPECT_FALSE(KeepsTypedChar(column, c)) << column << " " << int(c.unicode());
    }
    for (QChar c : always + refusedInNumbers) EXPECT_TRUE(KeepsTypedChar(ColName, c)) << int(c.unicode());
}

// Every prefix of what the user types is judged, as each keystroke changes the cell.
TEST(SettingsEditCheck, TextsAreJudgedAsTheyAreTyped)
{
    const struct {
        int column;
        QString text;
        RangeMessage expected;
    } cases[] = {
        {ColPotentialMin, "100", RangeMessage::None},
        {ColPotentialMin, "1000", RangeMessage::Potential},
        {ColPotentialMax, "-", RangeMessage::None}, // a negative potential can be started
        {ColPotentialMax, "-999", RangeMessage::None},
        {ColPotentialMax, "-1000", RangeMessage::Potential},
        {ColPotentialMin, "99999999999999999999", RangeMessage::Potential}, // not read as 0
        {ColPotentialMin, "", RangeMessage::None},
        {ColResistanceMin, "-", RangeMessage::None},
        {ColResistanceMin, "-5", RangeMessage::Resistance},
        {ColResistanceMax, "0", RangeMessage::None},
        {ColResistanceMax, "999", RangeMessage::None},
        {ColResistanceMax, "1000", RangeMessage::Resistance},
        {ColSeries, "", RangeMessage::None},
        {ColSeries, "0", RangeMessage::Series},
        {ColSeries, "-", RangeMessage::Series},
        {ColSeries, "1", RangeMessage::None},
        {ColSeries, "99", RangeMessage::None},
        {ColSeries, "100", RangeMessage::Series},
        {ColStepX, "0", RangeMessage::StepX},
        {ColStepX, "15", RangeMessage::None}, // the tens are checked when the column is entered
        {ColStepX, "150", RangeMessage::None},
        {ColStepX, "151", RangeMessage::StepX},
        {ColStepX, "-", RangeMessage::StepX},
        {ColStepY, "", RangeMessage::None},
        {ColStepY, "151", RangeMessage::StepY},
        {ColStepY, "12345678901234567890", RangeMessage::StepY},
        {ColName, "12345678901234", RangeMessage::None},
        {ColName, "-", RangeMessage::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckEditText(c.column, c.text), c.expected)
            << c.column << " '" << c.text.toStdString() << "'";
}

TEST(SettingsEditCheck, MessagesJoinTheHeadingAndTheRangeInBothLanguages)
{
    const struct {
        RangeMessage message;
        QString ru, en;
    } cases[] = {
        {RangeMessage::Potential, "Диапазон измерений датчика потенциала -999...+999 мВ",
         "Range of measurements of the potential sensor -999...+999 mV"},
        {RangeMessage::Resistance, "Диапазон измерений датчика сопротивления 0...+999 кОм*см",
         "Range of measurements of the resistance sensor 0...+999 kOhm*cm"},
        {RangeMessage::Series, "Колич. измерений в серии от 1 до 99",
         "Quant. measuring in series from 1 to 99"},
        {RangeMessage::StepX, "Шаг по X от 10 до 150 кратно 10", "Step X from 10 to 150 in increments of 10"},
        {RangeMessage::StepY, "Шаг по Y от 10 до 150 кратно 10", "Step Y from 10 to 150 in increments of 10"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RangeMessageText(c.message, 0), c.ru);
        EXPECT_EQ(RangeMessageText(c.message, 1), c.en);
    }
}

TEST(SettingsStepColumn, EveryRowNotInTensIsNamedInRowOrder)
{
    SettingsColumnTexts column;
    column.fill(QStringLiteral("20"));
    column[0] = "";                      // empty passes
    column[1] = "0";                     // 0 passes
    column[3] = "15";                    // row 4
    column[5] = "abc";                   // not an integer: counts as 0
    column[6] = "155";                   // row 7
    column[8] = "-20";                   // remainder 0
    column[12] = "12345678901234567890"; // row 13: no remainder to judge
    column[19] = "5";                    // row 20
    EXPECT_EQ(StepRowsNotMultipleOf10(column), (std::vector<int>{4, 7, 13, 20}));
    column.fill(QStringLiteral("150"));
    EXPECT_TRUE(StepRowsNotMultipleOf10(column).empty());
}

SettingsTexts GoodTexts()
{
    SettingsTexts t;
    for (int r = 0; r < kSettingsObjects; ++r)
        t[std::size_t(r)] = {
            QString::number(r + 1), QStringLiteral("Объект"), "-999", "999", "0", "999", "10", "150", "10"};
    return t;
}

TEST(SettingsSendCheck, FirstProblemInTheOrderPairsCellsTensRanges)
{
    struct Edit {
        int row, column;
        QString text;
    };
    const struct {
        const char* name;
        std::vector<Edit> edits;
        SendVerdict::Kind kind;
        int row, column;
        std::vector<int> stepColumns;
    } cases[] = {
        {"all good", {}, SendVerdict::Send, 0, 0, {}},
        {"widest potential range", {{1, 2, "-999"}, {1, 3, "999"}}, SendVerdict::Send, 0, 0, {}},
        {"both potentials empty", {{3, 2, ""}, {3, 3, ""}}, SendVerdict::CrossedPair, 3, 2, {}},
        {"equal potentials", {{2, 2, "7"}, {2, 3, "7"}}, SendVerdict::CrossedPair, 2, 2, {}},
        {"crossed resistance, good potential",
         {{5, 4, "5"}, {5, 5, "3"}},
         SendVerdict::CrossedPair,
         5,
         4,
         {}},
        {"potential pairs before resistance pairs",
         {{1, 4, "9"}, {1, 5, "1"}, {9, 2, "10"}, {9, 3, "-10"}},
         SendVerdict::CrossedPair,
         9,
         2,
         {}},
        {"empty minimum below a maximum", {{4, 2, ""}, {4, 3, "5"}}, SendVerdict::InvalidCell, 4, 2, {}},
        {"lone minus", {{6, 6, "-"}}, SendVerdict::InvalidCell, 6, 6, {}},
        {"minus after digits", {{2, 3, "5-"}}, SendVerdict::InvalidCell, 2, 3, {}},
        {"pasted text", {{20, 8, "abc"}}, SendVerdict::InvalidCell, 20, 8, {}},
        {"empty step", {{11, 7, ""}}, SendVerdict::InvalidCell, 11, 7, {}},
        {"digits too long for the instrument",
         {{7, 3, "12345678901234567890"}},
         SendVerdict::InvalidCell,
         7,
         3,
         {}},
        {"first invalid cell in row order", {{4, 2, "x"}, {3, 8, "x"}}, SendVerdict::InvalidCell, 3, 8, {}},
        {"step of 15", {{2, 7, "15"}}, SendVerdict::StepsNotMultipleOf10, 0, 0, {7}},
        {"both step columns", {{2, 8, "25"}, {9, 7, "5"}}, SendVerdict::StepsNotMultipleOf10, 0, 0, {7, 8}},
        {"series 0", {{8, 6, "0"}}, SendVerdict::OutOfRange, 8, 6, {}},
        {"series 100", {{8, 6, "100"}}, SendVerdict::OutOfRange, 8, 6, {}},
        {"step 160", {{3, 7, "160"}}, SendVerdict::OutOfRange, 3, 7, {}},
        {"step 0", {{3, 8, "0"}}, SendVerdict::OutOfRange, 3, 8, {}},
        {"step -20", {{3, 8, "-20"}}, SendVerdict::OutOfRange, 3, 8, {}},
        {"series 99 and steps 10 and 150",
         {{1, 6, "99"}, {1, 7, "10"}, {1, 8, "150"}},
         SendVerdict::Send,
         0,
         0,
         {}},
    };
    for (const auto& c : cases) {
        SettingsTexts texts = GoodTexts();
        for (const Edit& e : c.edits) texts[std::size_t(e.row - 1)][std::size_t(e.column)] = e.text;
        const SendVerdict v = CheckBeforeSend(texts);
        EXPECT_EQ(v.kind, c.kind) << c.name;
        EXPECT_EQ(v.row, c.row) << c.name;
        EXPECT_EQ(v.column, c.column) << c.name;
        EXPECT_EQ(v.stepColumns, c.stepColumns) << c.name;
    }
}

TEST(SettingsNames, CharactersOutsideWindows1251AreLeftOut)
{
    const struct {
        QString text, kept, removed;
    } cases[] = {
        {"Мост №1", "Мост №1", ""},
        {QString::fromUtf16(u"Склад \u20AC"), QString::fromUtf16(u"Склад \u20AC"),
         ""}, // the euro sign is in the code page
        {QString::fromUtf16(u"Most \u4E2D\u6587"), "Most ", QString::fromUtf16(u"\u4E2D")},
        {QString::fromUtf16(u"A\U0001F600B"), "AB", QString::fromUtf16(u"\U0001F600")},
        {QString::fromUtf16(u"\u00C4rger"), "rger", QString::fromUtf16(u"\u00C4")},
    };
    for (const auto& c : cases) {
        QString removed;
        EXPECT_EQ(StorableName(c.text, &removed), c.kept) << c.text.toStdString();
        EXPECT_EQ(removed, c.removed) << c.text.toStdString();
    }
}

} // namespace

// Column widths with a monospaced measure: 7 px a character and 10 px of padding.
namespace columns {

double Measure(const QString& text) { return 7.0 * text.size() + 10; }
int Design(int c) { return c == 0 ? 16 : 60; }
QString Heading(int c, int lang) { return SettingsHeaderText(c, lang); }

// Lines a heading takes at `width` when broken greedily at blanks, as a word-wrapping cell does.
int GreedyLines(const QString& text, int width)
{
    int lines = 1;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && Measure(longer) > width) {
            ++lines;
            line = word;
        } else {
            line = longer;
        }
    }
    return lines;
}

TEST(SettingsColumnWidths, HeadingsStayOnOneLineWhereTheyFitAndWrapOntoTwoWhereNot)
{
    for (int lang : {0, 1}) {
        const auto heading = [lang](int c) { return Heading(c, lang); };
        int oneLine = 0;
        for (int c = 0; c < kSettingsColumns; ++c) oneLine += std::max(Design(c), int(Measure(heading(c))));

        // Room enough: every heading on one line, no column narrower than its design.
        const SettingsColumns wide = FitSettingsColumns(heading, Measure, Design, oneLine);
        EXPECT_EQ(wide.lines, 1);
        for (int c = 0; c < kSettingsColumns; ++c) {
            EXPECT_GE(wide.widths[std::size_t(c)], Design(c));
            EXPECT_GE(wide.widths[std::size_t(c)], Measure(heading(c)));
        }

        // Too little room for one line: two lines, or three where two do not fit, within the
        // room, no heading cut or on a further line, and every cell still wide enough for a
        // ten-character name.
        for (int room : {oneLine - 1, oneLine * 3 / 4, oneLine * 11 / 20}) {
            const SettingsColumns narrow = FitSettingsColumns(heading, Measure, Design, room);
            EXPECT_EQ(narrow.lines, room == oneLine * 11 / 20 ? 3 : 2) << room;
            int total = 0;
            for (int c = 0; c < kSettingsColumns; ++c) {
                const int w = narrow.widths[std::size_t(c)];
                total += w;
                EXPECT_LE(GreedyLines(heading(c), w), narrow.lines) << lang << " column " << c << " at " << w;
                EXPECT_GE(w, std::min(Design(c), int(Measure(QStringLiteral("0000000000")))));
            }
            EXPECT_LE(total, room) << lang;
            EXPECT_GT(total, room - kSettingsColumns) << "spare room is given back to the columns";
        }

        // Far too little room: the narrowest table of the most heading lines, which then scrolls.
        const SettingsColumns tiny = FitSettingsColumns(heading, Measure, Design, 100);
        EXPECT_EQ(tiny.lines, kMaxHeadingLines);
        for (int c = 0; c < kSettingsColumns; ++c)
            EXPECT_LE(GreedyLines(heading(c), tiny.widths[std::size_t(c)]), kMaxHeadingLines);
    }
}

} // namespace columns
