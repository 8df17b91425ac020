// Rows of the archive table grouped into diagram surfaces.
#include "diagram/Surfaces.h"
#include "DiagramFixture.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <limits>
#include <string>

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

struct ExpectedSurface {
    QString name;
    SensorKind kind;
    VerticalAxis axis;
    std::vector<DiagramPoint> points;
};

struct SurfaceCase {
    std::string title;
    std::vector<DiagramRow> rows;
    std::vector<ExpectedSurface> expected;
    int lang = 0;
    QLocale locale = kRussian;
};

std::ostream& operator<<(std::ostream& os, const SurfaceCase& c) { return os << c.title; }

std::vector<DiagramPoint> PointsOf(const std::vector<DiagramRow>& rows, std::size_t from, std::size_t count)
{
    std::vector<DiagramPoint> points;
    for (std::size_t i = from; i < from + count; ++i)
        points.push_back({double(rows[i].point), rows[i].value.toDouble(), double(rows[i].series)});
    return points;
}

std::vector<SurfaceCase> Cases()
{
    const QString pot = PotentialRu(), res = ResistanceRu();
    std::vector<SurfaceCase> cases;

    { // Series 2 of length 5 complete, listed from its latest measurement: T = 10 takes all
        // ten rows; the next object's three rows raise T to 13.
        auto rows = LatestFirst("Мост", pot, 2, 5, -300);
        auto more = LatestFirst("Опора", pot, 1, 3, -100);
        rows.insert(rows.end(), more.begin(), more.end());
        cases.push_back({"latest first, two objects",
                         rows,
                         {{"Мост", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 0, 10)},
                          {"Опора", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 10, 3)}}});
    }
    { // Ordinals 1, 2, 3, ... make T 1, 3, 7, 15: blocks of 1, 2, 4 and 8 rows.
        std::vector<DiagramRow> rows;
        for (int p = 1; p <= 15; ++p) rows.push_back({"Балка", pot, QString::number(-10 * p), 1, p, 20});
        cases.push_back({"increasing order",
                         rows,
                         {{"Балка", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 0, 1)},
                          {"Балка", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 1, 2)},
                          {"Балка", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 3, 4)},
                          {"Балка", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 7, 8)}}});
    }
    { // Series 2 holds points 1 and 2 only: the first row's ordinal 7 covers all seven rows.
        std::vector<DiagramRow> rows{{"Плита", pot, "-5", 2, 2, 5}, {"Плита", pot, "-6", 2, 1, 5}};
        for (int p = 5; p >= 1; --p) rows.push_back({"Плита", pot, QString::number(-p), 1, p, 5});
        rows.push_back({"Стена", pot, "-77", 1, 1, 5});
        cases.push_back({"incomplete last series",
                         rows,
                         {{"Плита", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 0, 7)},
                          {"Стена", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 7, 1)}}});
    }
    { // Latin letters match whatever their case; the Cyrillic ones must match exactly. The
        // single-row block on the last data row is drawn.
        std::vector<DiagramRow> rows{{"Bridge 7", pot, "-1", 1, 3, 5},
                                     {"BRIDGE 7", pot, "-2", 1, 2, 5},
                                     {"bridge 7", pot, "-3", 1, 1, 5},
                                     {"Мост", pot, "-4", 1, 2, 5},
                                     {"МОСТ", pot, "-5", 1, 1, 5}};
        cases.push_back({"name case",
                         rows,
                         {{"Bridge 7", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 0, 3)},
                          {"Мост", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 3, 1)},
                          {"МОСТ", SensorKind::Potential, VerticalAxis::Left, PointsOf(rows, 4, 1)}}});
    }
    { // Read in Russian, drawn in English: no sensor text matches.
        std::vector<DiagramRow> rows{
            {"A", pot, "-1", 1, 2, 5}, {"A", pot, "-2", 1, 1, 5}, {"B", res, "3,5", 1, 1, 5}};
        cases.push_back({"language switched",
                         rows,
                         {{"A", SensorKind::Other, VerticalAxis::Left, PointsOf(rows, 0, 2)},
                          {"B", SensorKind::Other, VerticalAxis::Left, {{1, 3.5, 1}}}},
                         1});
    }
    {
        std::vector<DiagramRow> rows{{"A", res, "12,5", 1, 2, 5}, {"A", res, "12.5", 1, 1, 5}};
        cases.push_back({"both separators, comma locale",
                         rows,
                         {{"A", SensorKind::Resistance, VerticalAxis::Right, {{2, 12.5, 1}, {1, 12.5, 1}}}}});
        cases.push_back({"both separators, point locale",
                         rows,
                         {{"A", SensorKind::Resistance, VerticalAxis::Right, {{2, 12.5, 1}, {1, 12.5, 1}}}},
                         0,
                         kEnglish});
    }
    { // Sensor texts compare like names: the case of Latin letters does not matter.
        std::vector<DiagramRow> rows{{"A", "POTENTIAL , MV   ", "-1", 12, 3, 3}, {"A", pot, "-2", 1, 1, 3}};
        cases.push_back({"series 12, point 3",
                         rows,
                         {{"A", SensorKind::Potential, VerticalAxis::Left, {{3, -1, 12}, {1, -2, 1}}}},
                         1});
    }
    {
        auto rows = LatestFirst("Колонна", res, 2, 3, 10);
        auto more = LatestFirst("Ригель", res, 1, 2, 40);
        rows.insert(rows.end(), more.begin(), more.end());
        cases.push_back({"resistance only",
                         rows,
                         {{"Колонна", SensorKind::Resistance, VerticalAxis::Right, PointsOf(rows, 0, 6)},
                          {"Ригель", SensorKind::Resistance, VerticalAxis::Right, PointsOf(rows, 6, 2)}}});
    }
    { // Series numbers a crafted project may hold: T saturates instead of wrapping round to
        // a small or negative limit.
        const int big = std::numeric_limits<int>::max();
        std::vector<DiagramRow> rows{{"A", pot, "-1", big, big, big},
                                     {"B", pot, "-2", big, big, big},
                                     {"C", pot, "-3", big, big, big},
                                     {"C", pot, "-4", 1, 1, 5}};
        const double b = big;
        cases.push_back({"huge series numbers",
                         rows,
                         {{"A", SensorKind::Potential, VerticalAxis::Left, {{b, -1, b}}},
                          {"B", SensorKind::Potential, VerticalAxis::Left, {{b, -2, b}}},
                          {"C", SensorKind::Potential, VerticalAxis::Left, {{b, -3, b}, {1, -4, 1}}}}});
    }
    return cases;
}

class BuildSurfaces : public ::testing::TestWithParam<SurfaceCase> {};

TEST_P(BuildSurfaces, GroupsRowsIntoSurfaces)
{
    const SurfaceCase& c = GetParam();
    const ArchiveTable table = DiagramTable(c.rows);
    const SurfacesResult result = buildSurfaces(table, c.lang, c.locale);
    ASSERT_FALSE(result.error.has_value())
        << "row " << result.error->row << " column " << result.error->column;
    ASSERT_EQ(result.surfaces.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        SCOPED_TRACE("surface " + std::to_string(i));
        const DiagramSurface& s = result.surfaces[i];
        EXPECT_EQ(s.objectName, c.expected[i].name);
        EXPECT_EQ(s.sensorKind, c.expected[i].kind);
        EXPECT_EQ(s.axis, c.expected[i].axis);
        EXPECT_EQ(s.points, c.expected[i].points);
        EXPECT_TRUE(s.visible);
        EXPECT_FALSE(s.marksVisible);
        EXPECT_EQ(s.transparency, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, BuildSurfaces, ::testing::ValuesIn(Cases()), [](const auto& test) {
    std::string name;
    for (char ch : test.param.title)
        if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
    return name;
});

TEST(BuildSurfacesLimits, TableIsLeftUnchanged)
{
    const ArchiveTable table = DiagramTable(LatestFirst("Мост", PotentialRu(), 2, 4, -200));
    const ArchiveTable copy = table;
    buildSurfaces(table, 0, kRussian);
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c) ASSERT_EQ(table.cell(c, r), copy.cell(c, r));
}

// The first cell that does not convert stops the building, and the error says where.
struct BadCell {
    std::string title;
    int column;
    QString text;
};

class BuildSurfacesBadCell : public ::testing::TestWithParam<BadCell> {};

TEST_P(BuildSurfacesBadCell, NamesRowAndColumn)
{
    const BadCell& c = GetParam();
    auto rows = LatestFirst("Мост", PotentialRu(), 2, 3, -300);
    ArchiveTable table = DiagramTable(rows);
    // Row 4 starts a block (T = 6 covers rows 1..6, a new name starts row 4), so both its
    // value and its series length are read.
    for (int r = 4; r <= 6; ++r) table.setCell(1, r, QStringLiteral("Опора"));
    table.setCell(c.column, 4, c.text);
    const SurfacesResult result = buildSurfaces(table, 0, kRussian);
    ASSERT_TRUE(result.error.has_value());
    EXPECT_EQ(result.error->row, 4);
    EXPECT_EQ(result.error->column, c.column);
    EXPECT_EQ(result.error->text, c.text);
    EXPECT_TRUE(result.surfaces.empty());
}

INSTANTIATE_TEST_SUITE_P(Cells, BuildSurfacesBadCell,
                         ::testing::Values(BadCell{"word", 4, "abc"}, BadCell{"nan", 4, "NAN"},
                                           BadCell{"lowernan", 4, "nan"}, BadCell{"inf", 4, "inf"},
                                           BadCell{"empty", 4, ""}, BadCell{"grouped", 4, "1 234,5"},
                                           BadCell{"lengthword", 6, "ten"},
                                           BadCell{"lengthdecimal", 6, "5,5"}),
                         [](const auto& test) { return test.param.title; });

TEST(BuildSurfacesBadCellMessage, NamesRowColumnAndTextInEitherLanguage)
{
    auto rows = LatestFirst("Мост", PotentialRu(), 2, 3, -300);
    ArchiveTable table = DiagramTable(rows);
    table.setCell(4, 2, QStringLiteral("12a"));
    const SurfacesResult result = buildSurfaces(table, 0, kRussian);
    ASSERT_TRUE(result.error.has_value());
    EXPECT_EQ(
        InvalidCellMessage(*result.error, QStringLiteral("Значение"), 0),
        QStringLiteral("График не построен: строка 2, столбец \"Значение\" содержит не число: \"12a\""));
    EXPECT_EQ(InvalidCellMessage(*result.error, QStringLiteral("Value"), 1),
              QStringLiteral("The diagram is not drawn: row 2, column \"Value\" holds no number: \"12a\""));
    // A cell or a heading that itself reads like a place holder is shown as typed.
    const SurfaceCellError odd{7, 4, QStringLiteral("%1 %2")};
    EXPECT_EQ(InvalidCellMessage(odd, QStringLiteral("%3"), 1),
              QStringLiteral("The diagram is not drawn: row 7, column \"%3\" holds no number: \"%1 %2\""));
}

TEST(BuildSurfacesLimits, RowsPastTheEndAreNoPoints)
{
    // An empty name matches the empty cells past the table's end; they must not become
    // points (nor a value that does not convert).
    std::vector<DiagramRow> rows{{"", PotentialRu(), "-1", 3, 5, 10}, {"", PotentialRu(), "-2", 3, 4, 10}};
    const SurfacesResult result = buildSurfaces(DiagramTable(rows), 0, kRussian);
    ASSERT_FALSE(result.error.has_value());
    ASSERT_EQ(result.surfaces.size(), 1u);
    EXPECT_EQ(result.surfaces[0].points.size(), 2u);
}

TEST(BuildSurfacesLimits, ColourSequenceSkipsWhiteAndFallsBackToRed)
{
    // Alternating names give one surface per row.
    std::vector<DiagramRow> rows;
    for (int i = 0; i < 22; ++i) rows.push_back({i % 2 ? "A" : "B", PotentialRu(), "-1", 1, 1, 5});
    const SurfacesResult result = buildSurfaces(DiagramTable(rows), 0, kRussian);
    ASSERT_EQ(result.surfaces.size(), 22u);
    const std::vector<QColor> expected{
        QColor(255, 0, 0),     QColor(0, 128, 0),     QColor(255, 255, 0),   QColor(0, 0, 255),
        QColor(128, 128, 128), QColor(255, 0, 255),   QColor(0, 128, 128),   QColor(0, 0, 128),
        QColor(128, 0, 0),     QColor(0, 255, 0),     QColor(128, 128, 0),   QColor(128, 0, 128),
        QColor(192, 192, 192), QColor(0, 255, 255),   QColor(0, 0, 0),       QColor(192, 220, 192),
        QColor(166, 202, 240), QColor(255, 251, 240), QColor(160, 160, 164), QColor(255, 0, 0),
        QColor(255, 0, 0),     QColor(255, 0, 0)};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(result.surfaces[i].color, expected[i]) << "surface " << i;
}

TEST(NextSurfaceColor, TakesTheFirstFreeColour)
{
    EXPECT_EQ(NextSurfaceColor({}), QColor(255, 0, 0));
    // A colour the user gave an earlier surface is skipped; gaps are filled first.
    EXPECT_EQ(NextSurfaceColor({QColor(0, 128, 0)}), QColor(255, 0, 0));
    EXPECT_EQ(
        NextSurfaceColor({QColor(255, 0, 0), QColor(0, 128, 0), QColor(255, 255, 0), QColor(0, 0, 255)}),
        QColor(128, 128, 128));
    EXPECT_EQ(NextSurfaceColor({QColor(255, 0, 0), QColor(1, 2, 3)}), QColor(0, 128, 0));
}

TEST(SameDiagramText, LatinCaseOnly)
{
    struct Case {
        QString a, b;
        bool same;
    };
    const Case cases[]{
        {"Object 1", "OBJECT 1", true},
        {"az", "AZ", true},
        {"Мост", "МОСТ", false},
        {"ё", "Ё", false},
        {"abc", "abc ", false},
        {"@[", "`{", false},
        {"ä", "Ä", false},
        {"", "", true},
        {"Мост a", "Мост A", true},
        {"Potential , mV   ", "Potential , mV  ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameDiagramText(c.a, c.b), c.same) << c.a.toStdString() << " / " << c.b.toStdString();
}

TEST(ParseSeriesPoint, MissingNumbersAreZero)
{
    struct Case {
        QString text;
        int series, point;
    };
    const Case cases[]{
        {"12   |   3", 12, 3}, {"1|2", 1, 2}, {"   |   4", 0, 4},  {"5   |   ", 5, 0},
        {"7", 0, 0},           {"", 0, 0},    {"x   |   y", 0, 0}, {"99999999999   |   2", 0, 2},
    };
    for (const Case& c : cases) {
        const SeriesPoint sp = ParseSeriesPoint(c.text);
        EXPECT_EQ(sp.series, c.series) << c.text.toStdString();
        EXPECT_EQ(sp.point, c.point) << c.text.toStdString();
    }
}

} // namespace
