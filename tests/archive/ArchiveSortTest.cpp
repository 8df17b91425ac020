// The column sort: keys per column, direction, the order of equal keys, and refusal on
// cells that hold no number.
#include "ArchiveFixture.h"

#include <QRandomGenerator>

#include <functional>

namespace {

using Sort = ArchiveTest;

// A table whose column `column` holds `texts` (row 1 onwards); column 0 numbers the rows
// unless it is the column under test.
ArchiveTable TableWith(int column, const QStringList& texts)
{
    ArchiveTable t(12, int(texts.size()) + 1);
    for (int r = 1; r <= texts.size(); ++r) {
        if (column != 0) t.setCell(0, r, QString::number(r));
        t.setCell(column, r, texts[r - 1]);
    }
    return t;
}

TEST_F(Sort, ColumnKeysInBothDirections)
{
    struct Case {
        const char* locale;
        int column;
        QStringList cells;
        QStringList ascending;
    };
    const Case cases[] = {
        // Lower limit only, as a number, whatever the upper limit.
        {"ru_RU",
         3,
         {" 0  -  10", " -50  -  500", " -1000  -  -900"},
         {" -1000  -  -900", " -50  -  500", " 0  -  10"}},
        // Series then point, both as numbers.
        {"ru_RU", 5, {"10   |   1", "2   |   10", "2   |   9"}, {"2   |   9", "2   |   10", "10   |   1"}},
        // Values with the user's separator; tenths count, and integers mix with decimals.
        {"ru_RU", 4, {"12,3", "-350", "12,2", "0", "-0,1"}, {"-350", "-0,1", "0", "12,2", "12,3"}},
        {"en_US", 4, {"12.3", "-350", "12.2", "100"}, {"-350", "12.2", "12.3", "100"}},
        // Numbers, not texts: 9 before 10.
        {"ru_RU", 6, {"10", "9", "100", "-1"}, {"-1", "9", "10", "100"}},
        {"ru_RU", 7, {"20", "3"}, {"3", "20"}},
        {"ru_RU", 8, {"0", "255", "17"}, {"0", "17", "255"}},
        // Texts, locale-aware: lower case before upper, not in code order ("B" < "a").
        {"en_US", 1, {"b", "B", "a"}, {"a", "b", "B"}},
        {"ru_RU", 1, {"Объект 9", "Объект 10", "объект 1"}, {"объект 1", "Объект 10", "Объект 9"}},
        {"ru_RU",
         2,
         {"Сопротив., кОм*см ", "Потенциала, мВ    "},
         {"Потенциала, мВ    ", "Сопротив., кОм*см "}},
        // Times sort by the clock; dates only by their text.
        {"ru_RU", 10, {"14:07:09", "09:59:59", "14:07:08"}, {"09:59:59", "14:07:08", "14:07:09"}},
        {"ru_RU", 9, {"05.03.2021", "04.12.2021", "31.01.2020"}, {"04.12.2021", "05.03.2021", "31.01.2020"}},
        {"ru_RU", 11, {"Ручной", "Авто"}, {"Авто", "Ручной"}},
    };
    for (const Case& c : cases) {
        UseLocale(c.locale);
        ArchiveTable t = TableWith(c.column, c.cells);
        ASSERT_FALSE(t.sortByColumn(c.column, +1)) << c.column;
        EXPECT_EQ(Column(t, c.column), c.ascending) << "column " << c.column;
        ASSERT_FALSE(t.sortByColumn(c.column, -1));
        QStringList descending(c.ascending.rbegin(), c.ascending.rend());
        EXPECT_EQ(Column(t, c.column), descending) << "column " << c.column;
    }
}

TEST_F(Sort, WholeRowsMoveAndColumnZeroRestoresArchiveOrder)
{
    std::vector<ArchiveRecord> records;
    for (int k = 0; k < 40; ++k) {
        ArchiveRecord r = Record();
        r.objectIndex = uint8_t(k * 7 % 5);
        r.sensorType = uint8_t(k % 2);
        r.value = (k * 37 % 23) - 11.5;
        r.rangeLow = int16_t(-(k % 4) * 100);
        r.seriesNumber = uint8_t(k % 6);
        r.pointNumber = uint8_t(k % 11);
        r.stepX = uint8_t(k % 3);
        r.day = uint8_t(1 + k % 28);
        r.second = uint8_t(k);
        r.mode = uint8_t(k % 2);
        records.push_back(r);
    }
    ArchiveTable t;
    t.fillFromRecords(records, 0);
    const ArchiveTable original = t;
    std::vector<QStringList> rows;
    for (int r = 1; r < t.rowCount(); ++r) rows.push_back(Row(t, r));

    int direction = 1;
    for (int column : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) {
        ASSERT_FALSE(t.sortByColumn(column, direction)) << column;
        direction = -direction;
        // Each row is one of the original rows, whole; none lost, none doubled.
        std::vector<bool> seen(rows.size());
        for (int r = 1; r < t.rowCount(); ++r) {
            const int number = t.cell(0, r).toInt();
            ASSERT_GE(number, 1);
            ASSERT_LE(number, int(rows.size()));
            EXPECT_FALSE(seen[std::size_t(number - 1)])
                << "row " << number << " twice after column " << column;
            seen[std::size_t(number - 1)] = true;
            EXPECT_EQ(Row(t, r), rows[std::size_t(number - 1)]);
        }
    }
    ASSERT_FALSE(t.sortByColumn(0, +1));
    for (int r = 0; r < t.rowCount(); ++r) EXPECT_EQ(Row(t, r), Row(original, r)) << r;
}

// The quicksort as it is usually written, recursion and all, with the rows then laid out
// in the order of the sorted items.
void ReferenceQuickSort(std::vector<int>& items, int left, int right,
                        const std::function<int(int, int)>& compare)
{
    int i = 0;
    do {
        i = left;
        int j = right;
        const int pivot = items[std::size_t((left + right) / 2)];
        do {
            while (compare(items[std::size_t(i)], pivot) < 0) ++i;
            while (compare(items[std::size_t(j)], pivot) > 0) --j;
            if (i <= j) {
                std::swap(items[std::size_t(i)], items[std::size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j) ReferenceQuickSort(items, left, j, compare);
        left = i;
    } while (i < right);
}

QStringList ReferenceOrder(const ArchiveTable& t, int column, int direction, bool numeric)
{
    const int n = t.rowCount() - 1;
    std::vector<int> items(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) items[std::size_t(k)] = k + 1;
    auto compare = [&](int a, int b) {
        if (direction < 0) std::swap(a, b);
        if (numeric) {
            const int x = t.cell(column, a).toInt(), y = t.cell(column, b).toInt();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return QString::localeAwareCompare(t.cell(column, a), t.cell(column, b));
    };
    if (n > 1) ReferenceQuickSort(items, 0, n - 1, compare);
    QStringList order;
    for (int row : items) order << t.cell(0, row);
    return order;
}

TEST_F(Sort, EqualKeysComeOutAsTheQuicksortLeavesThem)
{
    QRandomGenerator random(20240611);
    for (int n : {2, 3, 5, 8, 33, 200, 1500}) {
        for (int distinct : {1, 2, 5, n}) {
            ArchiveTable t(12, n + 1);
            for (int r = 1; r <= n; ++r) {
                t.setCell(0, r, QString::number(r));
                t.setCell(6, r, QString::number(random.bounded(distinct)));
                t.setCell(1, r, QStringLiteral("Объект %1").arg(random.bounded(distinct)));
            }
            for (int column : {6, 1}) {
                for (int direction : {+1, -1}) {
                    const QStringList expected = ReferenceOrder(t, column, direction, column == 6);
                    ArchiveTable sorted = t;
                    ASSERT_FALSE(sorted.sortByColumn(column, direction));
                    EXPECT_EQ(Column(sorted, 0), expected)
                        << "n " << n << " distinct " << distinct << " column " << column << " direction "
                        << direction;
                }
            }
        }
    }
}

TEST_F(Sort, CellWithoutNumberRefusesAndMovesNothing)
{
    struct Case {
        int column;
        const char* bad;
    };
    const Case cases[] = {
        {0, "NAN"},   {0, ""},   {3, ""},         {3, "NAN"}, {4, "NAN"}, {4, ""},
        {4, "12,3x"}, {5, "12"}, {5, "2   |   "}, {6, "x"},   {7, "1,5"}, {8, "NAN"},
    };
    for (const Case& c : cases) {
        QStringList cells;
        for (int k = 9; k >= 1; --k) {
            switch (c.column) {
            case 3: cells << QStringLiteral(" %1  -  0").arg(k); break;
            case 5: cells << QStringLiteral("%1   |   1").arg(k); break;
            default: cells << QString::number(k);
            }
        }
        cells << QString::fromUtf8(c.bad); // last, so that a sort that went ahead would show
        ArchiveTable t = TableWith(c.column, cells);
        const ArchiveTable before = t;
        const auto error = t.sortByColumn(c.column, +1);
        ASSERT_TRUE(error) << c.column << " '" << c.bad << "'";
        EXPECT_TRUE(error->text.contains(QStringLiteral("'%1'").arg(QString::fromUtf8(c.bad))))
            << error->text.toStdString();
        for (int r = 0; r < t.rowCount(); ++r) EXPECT_EQ(Row(t, r), Row(before, r));
    }
}

TEST_F(Sort, TablesWithoutDataRowsOrWithOtherShapes)
{
    ArchiveTable headerOnly(12, 1);
    headerOnly.setCell(0, 0, QStringLiteral("№"));
    EXPECT_FALSE(headerOnly.sortByColumn(0, +1));
    EXPECT_EQ(headerOnly.cell(0, 0), QStringLiteral("№"));

    ArchiveTable nothing(0, 0);
    EXPECT_FALSE(nothing.sortByColumn(3, -1));

    // A project of three columns: a text column past its width sorts on empty keys,
    // which moves rows but loses none.
    ArchiveTable narrow(3, 4);
    for (int r = 1; r < 4; ++r) narrow.setCell(2, r, QString::number(r));
    ASSERT_FALSE(narrow.sortByColumn(9, +1));
    QStringList after = Column(narrow, 2);
    after.sort();
    EXPECT_EQ(after, QStringList({"1", "2", "3"}));
    ASSERT_FALSE(narrow.sortByColumn(2, -1));
    EXPECT_EQ(Column(narrow, 2), QStringList({"3", "2", "1"}));
}

TEST_F(Sort, ValueWrittenUnderOtherLocaleStillSorts)
{
    UseLocale("ru_RU");
    ArchiveTable t = TableWith(4, {"12.3", "12,2", "-0.5"});
    ASSERT_FALSE(t.sortByColumn(4, +1));
    EXPECT_EQ(Column(t, 4), QStringList({"-0.5", "12,2", "12.3"}));
}

} // namespace
