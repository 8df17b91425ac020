// Row texts of the archive table: what each record field becomes, in both languages and
// under comma and point locales, and the decisions for fields without a table entry.
#include "ArchiveFixture.h"

#include "texts/Texts.h"

#include <cmath>
#include <limits>

namespace {

using Fill = ArchiveTest;

TEST_F(Fill, StartUpTableAndHeaderSwitchLeaveDataAlone)
{
    ArchiveTable t;
    EXPECT_EQ(t.columnCount(), 12);
    EXPECT_EQ(t.rowCount(), 9);
    EXPECT_EQ(t.cell(0, 0), QStringLiteral("№"));
    EXPECT_EQ(t.cell(6, 0), QStringLiteral("Количество измерений в серии"));
    for (int r = 1; r < 9; ++r)
        for (int c = 0; c < 12; ++c) EXPECT_TRUE(t.cell(c, r).isEmpty()) << c << "," << r;

    const ArchiveRecord r = Record();
    t.fillFromRecords({&r, 1}, 0);
    t.setHeader(1);
    EXPECT_EQ(Row(t, 0),
              QStringList({"№", "Object", "Sensor", "Diapason", "Value", "Series | Number",
                           "Quantity measuring in series", "Step X", "Step Y", "Date", "Time", "Regime"}));
    // Data rows keep the language they were filled in.
    EXPECT_EQ(t.cell(1, 1), QStringLiteral("Объект 2"));
    EXPECT_EQ(t.cell(11, 1), QStringLiteral("Ручной"));
    t.setHeader(0);
    EXPECT_EQ(t.cell(5, 0), QStringLiteral("Серия | Номер"));
    EXPECT_EQ(t.cell(11, 0), QStringLiteral("Режим"));
}

TEST_F(Fill, WholeRowInEachLanguageAndLocale)
{
    struct Case {
        int lang;
        const char* locale;
        ArchiveRecord record;
        QStringList row;
    };
    ArchiveRecord resist = Record();
    resist.sensorType = 1;
    resist.value = 12.25;
    resist.rangeLow = 0;
    resist.rangeHigh = 1000;
    resist.mode = 1;
    resist.objectIndex = 19;
    resist.seriesNumber = 10;
    resist.pointNumber = 1;
    resist.seriesLength = 65535;
    resist.hour = 0;
    resist.minute = 0;
    resist.second = 0;
    const Case cases[] = {
        {0,
         "ru_RU",
         Record(),
         {"1", "Объект 2", "Потенциала, мВ    ", " -500  -  500", "-350", "2   |   4", "30", "10", "20",
          "05.03.2021", "14:07:09", "Ручной"}},
        {1,
         "en_US",
         Record(),
         {"1", "Object 2", "Potential , mV   ", " -500  -  500", "-350", "2   |   4", "30", "10", "20",
          "3/5/21", "14:07:09", "Manual"}},
        {0,
         "ru_RU",
         resist,
         {"1", "Объект 20", "Сопротив., кОм*см ", " 0  -  1000", "12,3", "10   |   1", "65535", "10", "20",
          "05.03.2021", "00:00:00", "Авто"}},
        {1,
         "en_US",
         resist,
         {"1", "Object 20", "Resist., kOhm*cm ", " 0  -  1000", "12.3", "10   |   1", "65535", "10", "20",
          "3/5/21", "00:00:00", "Auto"}},
    };
    for (const Case& c : cases) {
        UseLocale(c.locale);
        ArchiveTable t;
        t.fillFromRecords({&c.record, 1}, c.lang);
        EXPECT_EQ(Row(t, 1), c.row) << c.locale << " lang " << c.lang;
    }
}

TEST_F(Fill, ValueTexts)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        uint8_t sensor;
        double value;
        const char* comma; // ru_RU
        const char* point; // en_US
    };
    const Case cases[] = {
        // Potentials are cut toward zero, never rounded, and never show "-0".
        {0, -0.9, "0", "0"},
        {0, 999.99, "999", "999"},
        {0, -350.7, "-350", "-350"},
        {0, -1000.0, "-1000", "-1000"},
        {0, nan, "NAN", "NAN"},
        {0, -inf, "NAN", "NAN"},
        {0, 1e300, "NAN", "NAN"},
        // Resistivities: one decimal, halves away from zero as the user reads the value.
        {1, 12.25, "12,3", "12.3"},
        {1, 0.15, "0,2", "0.2"},
        {1, 0.05, "0,1", "0.1"},
        {1, 0.04, "0,0", "0.0"},
        {1, 0.0, "0,0", "0.0"},
        {1, -0.04, "0,0", "0.0"},
        {1, -12.25, "-12,3", "-12.3"},
        {1, 9.96, "10,0", "10.0"},
        {1, 99.95, "100,0", "100.0"},
        {1, 7.0, "7,0", "7.0"},
        {1, 123456.78, "123456,8", "123456.8"},
        {1, 1e20, "100000000000000000000,0", "100000000000000000000.0"},
        {1, nan, "NAN", "NAN"},
        {1, inf, "NAN", "NAN"},
    };
    for (const Case& c : cases) {
        ArchiveRecord r = Record();
        r.sensorType = c.sensor;
        r.value = c.value;
        ArchiveTable t;
        UseLocale("ru_RU");
        t.fillFromRecords({&r, 1}, 0);
        EXPECT_EQ(t.cell(4, 1), QString::fromLatin1(c.comma)) << c.value;
        UseLocale("en_US");
        t.fillFromRecords({&r, 1}, 1);
        EXPECT_EQ(t.cell(4, 1), QString::fromLatin1(c.point)) << c.value;
    }
}

TEST_F(Fill, RangeAndSeriesKeepTheirBlanks)
{
    struct Case {
        int16_t low, high;
        uint8_t series, point;
        const char* range;
        const char* seriesText;
    };
    const Case cases[] = {
        {-500, 500, 2, 9, " -500  -  500", "2   |   9"},
        {-32768, 32767, 255, 0, " -32768  -  32767", "255   |   0"},
        {0, 0, 0, 255, " 0  -  0", "0   |   255"},
        {100, -100, 10, 10, " 100  -  -100", "10   |   10"},
    };
    for (const Case& c : cases) {
        ArchiveRecord r = Record();
        r.rangeLow = c.low;
        r.rangeHigh = c.high;
        r.seriesNumber = c.series;
        r.pointNumber = c.point;
        ArchiveTable t;
        t.fillFromRecords({&r, 1}, 0);
        EXPECT_EQ(t.cell(3, 1), QString::fromLatin1(c.range));
        EXPECT_EQ(t.cell(5, 1), QString::fromLatin1(c.seriesText));
    }
}

TEST_F(Fill, FieldsWithoutTableEntry)
{
    struct Case {
        uint8_t object, sensor, mode;
        int lang;
        QStringList cells; // columns 1, 2, 4, 11
    };
    const Case cases[] = {
        {20, 0, 0, 0, {"Объект 21", "Потенциала, мВ    ", "-350", "Ручной"}},
        {20, 1, 1, 1, {"Object 21", "Resist., kOhm*cm ", "-350.7", "Auto"}},
        {255, 2, 2, 1, {"Object 256", "2", "", "2"}},
        {0, 255, 255, 0, {"Объект 1", "255", "", "255"}},
    };
    UseLocale("en_US");
    for (const Case& c : cases) {
        ArchiveTable t;
        // A first fill puts a value in row 1, so an unwritten Value cell would show it.
        ArchiveRecord first = Record();
        first.value = 777;
        t.fillFromRecords({&first, 1}, c.lang);
        ArchiveRecord r = Record();
        r.objectIndex = c.object;
        r.sensorType = c.sensor;
        r.mode = c.mode;
        t.fillFromRecords({&r, 1}, c.lang);
        EXPECT_EQ(QStringList({t.cell(1, 1), t.cell(2, 1), t.cell(4, 1), t.cell(11, 1)}), c.cells)
            << int(c.object) << "/" << int(c.sensor) << "/" << int(c.mode);
    }
}

TEST_F(Fill, InvalidDateOrTimeGivesNanInBothCells)
{
    struct Case {
        uint8_t year, month, day, hour, minute, second;
        bool valid;
    };
    const Case cases[] = {
        {21, 0, 5, 12, 0, 0, false},     {21, 13, 5, 12, 0, 0, false}, {21, 3, 0, 12, 0, 0, false},
        {21, 3, 32, 12, 0, 0, false},    {21, 2, 29, 12, 0, 0, false}, {24, 2, 29, 12, 0, 0, true},
        {21, 3, 5, 24, 0, 0, false},     {21, 3, 5, 12, 60, 0, false}, {21, 3, 5, 12, 0, 60, false},
        {255, 12, 31, 23, 59, 59, true}, {0, 1, 1, 0, 0, 0, true},
    };
    UseLocale("ru_RU");
    for (const Case& c : cases) {
        ArchiveRecord r = Record();
        r.yearSince2000 = c.year;
        r.month = c.month;
        r.day = c.day;
        r.hour = c.hour;
        r.minute = c.minute;
        r.second = c.second;
        ArchiveTable t;
        t.fillFromRecords({&r, 1}, 0);
        const std::string label = QStringLiteral("%1-%2-%3 %4:%5:%6")
                                      .arg(c.year + 2000)
                                      .arg(c.month)
                                      .arg(c.day)
                                      .arg(c.hour)
                                      .arg(c.minute)
                                      .arg(c.second)
                                      .toStdString();
        if (c.valid) {
            EXPECT_EQ(t.cell(9, 1), QStringLiteral("%1.%2.%3")
                                        .arg(c.day, 2, 10, QLatin1Char('0'))
                                        .arg(c.month, 2, 10, QLatin1Char('0'))
                                        .arg(c.year + 2000))
                << label;
            EXPECT_EQ(t.cell(10, 1), QStringLiteral("%1:%2:%3")
                                         .arg(c.hour, 2, 10, QLatin1Char('0'))
                                         .arg(c.minute, 2, 10, QLatin1Char('0'))
                                         .arg(c.second, 2, 10, QLatin1Char('0')))
                << label;
        } else {
            EXPECT_EQ(t.cell(9, 1), QStringLiteral("NAN")) << label;
            EXPECT_EQ(t.cell(10, 1), QStringLiteral("NAN")) << label;
        }
        // The rest of the row is written all the same.
        EXPECT_EQ(t.cell(11, 1), QStringLiteral("Ручной")) << label;
    }
}

TEST_F(Fill, RowCountAndNumbering)
{
    std::vector<ArchiveRecord> records(5, Record());
    ArchiveTable t;
    t.fillFromRecords(records, 0);
    EXPECT_EQ(t.rowCount(), 6);
    EXPECT_EQ(Column(t, 0), QStringList({"1", "2", "3", "4", "5"}));

    // A smaller archive read afterwards leaves nothing of the old rows.
    t.fillFromRecords({records.data(), 2}, 0);
    EXPECT_EQ(t.rowCount(), 3);
    EXPECT_EQ(Column(t, 0), QStringList({"1", "2"}));
}

TEST_F(Fill, EmptyArchiveKeepsHeaderAndOneEmptyRow)
{
    ArchiveTable t;
    const ArchiveRecord r = Record();
    t.fillFromRecords({&r, 1}, 1);
    t.setHeader(1);
    t.fillFromRecords({}, 1);
    EXPECT_EQ(t.rowCount(), 2);
    EXPECT_EQ(t.columnCount(), 12);
    EXPECT_EQ(t.cell(1, 0), QStringLiteral("Object"));
    EXPECT_EQ(Row(t, 1), QStringList(12, QString()));
}

TEST_F(Fill, NamesAreThoseInForceAtFillTime)
{
    ObjectNameList names = DefaultObjectNames();
    names[3] = {QStringLiteral("Мост"), QStringLiteral("Bridge")};
    ArchiveRecord r = Record();
    r.objectIndex = 3;
    ArchiveTable ru, en, unnamed;
    ru.fillFromRecords({&r, 1}, 0, names);
    en.fillFromRecords({&r, 1}, 1, names);
    unnamed.fillFromRecords({&r, 1}, 1);
    names[3] = {QStringLiteral("Другой"), QStringLiteral("Other")};
    EXPECT_EQ(ru.cell(1, 1), QStringLiteral("Мост"));
    EXPECT_EQ(en.cell(1, 1), QStringLiteral("Bridge"));
    EXPECT_EQ(unnamed.cell(1, 1), QStringLiteral("Object 4")) << "the start-up names unless given";
}

TEST_F(Fill, ProjectOfAnotherShapeBecomesTwelveColumns)
{
    ArchiveTable t(3, 4);
    t.setCell(0, 0, QStringLiteral("A"));
    t.setCell(2, 3, QStringLiteral("stale"));
    const ArchiveRecord r = Record();
    t.fillFromRecords({&r, 1}, 1);
    EXPECT_EQ(t.columnCount(), 12);
    EXPECT_EQ(t.rowCount(), 2);
    EXPECT_EQ(Row(t, 0),
              QStringList({"№", "Object", "Sensor", "Diapason", "Value", "Series | Number",
                           "Quantity measuring in series", "Step X", "Step Y", "Date", "Time", "Regime"}));
    EXPECT_EQ(t.cell(1, 1), QStringLiteral("Object 2"));
}

} // namespace
