// Survey objects read back from the archive table's texts: blocks, sensors, grid placement,
// the pairing of potential and resistivity surveys and the date range.
#include "analysis/Survey.h"

#include "SurveyFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<int> Sizes(const std::vector<RowBlock>& blocks)
{
    std::vector<int> sizes;
    for (const RowBlock& b : blocks) sizes.push_back(b.rowCount);
    return sizes;
}

QString Mv(int s, int p) { return QString::number(-100 * s - p); }

TEST(SurfaceBlocks, GroupsRowsAsTheDiagramDoes)
{
    // Latest first, series 2 of length 5 complete: the ordinal 10 covers all ten rows.
    auto rows = LatestFirst("Мост", 0, 2, 5, Mv);
    EXPECT_EQ(Sizes(SurfaceBlocks(FixtureTable(rows))), std::vector<int>{10});

    // Ascending from series 1 point 1: ordinals 1, 2, 4, 8 cut blocks of 1, 2, 4 and 8 rows;
    // the last row alone still gets a block.
    std::vector<FixtureRow> up;
    for (int k = 0; k < 16; ++k) {
        FixtureRow r;
        r.series = 1 + k / 20;
        r.point = 1 + k;
        r.length = 20;
        r.value = "-100";
        up.push_back(r);
    }
    EXPECT_EQ(Sizes(SurfaceBlocks(FixtureTable(up))), (std::vector<int>{1, 2, 4, 8, 1}));

    // A new name starts a new block; names differing only in Latin case do not.
    auto two = LatestFirst("Bridge", 0, 1, 3, Mv);
    auto other = LatestFirst("BRIDGE", 0, 1, 2, Mv);
    auto third = LatestFirst("Мост", 0, 1, 2, Mv);
    two.insert(two.end(), other.begin(), other.end());
    two.insert(two.end(), third.begin(), third.end());
    EXPECT_EQ(Sizes(SurfaceBlocks(FixtureTable(two))), (std::vector<int>{3, 2, 2}));
    EXPECT_FALSE(SameObjectName("Мост", "МОСТ"));
    EXPECT_TRUE(SameObjectName("Wall A", "wALL a"));
}

TEST(SensorOfText, EitherLanguageWithOrWithoutItsBlanks)
{
    EXPECT_EQ(SensorOfText("Потенциала, мВ    "), SensorKind::Potential);
    EXPECT_EQ(SensorOfText("Potential , mV   "), SensorKind::Potential);
    EXPECT_EQ(SensorOfText("Сопротив., кОм*см "), SensorKind::Resistance);
    EXPECT_EQ(SensorOfText("Resist., kOhm*cm"), SensorKind::Resistance);
    EXPECT_EQ(SensorOfText("NAN"), SensorKind::Other);
    EXPECT_EQ(SensorOfText(""), SensorKind::Other);
}

TEST(SurveyObjects, GridPlacesEveryReadingAtItsSeriesAndPoint)
{
    // Series 2 broken off after point 2; series 3 and 1 complete (3 points).
    std::vector<FixtureRow> rows;
    for (auto [s, p] : {std::pair{3, 3}, {3, 2}, {3, 1}, {2, 2}, {2, 1}, {1, 3}, {1, 2}, {1, 1}}) {
        FixtureRow r;
        r.series = s;
        r.point = p;
        r.length = 3;
        r.value = Mv(s, p);
        rows.push_back(r);
    }
    const ArchiveTable table = FixtureTable(rows);
    const auto objects = SurveyObjects(table, SurfaceBlocks(table));
    ASSERT_EQ(objects.size(), 1u);
    const SurveyObject& o = objects[0];
    EXPECT_EQ(o.name, "Мост");
    EXPECT_EQ(o.sensor, SensorKind::Potential);
    EXPECT_EQ(o.points.size(), 8u);
    EXPECT_EQ(o.grid.columns(), 3);
    EXPECT_EQ(o.grid.rows(), 3);
    EXPECT_EQ(o.firstPoint, 1);
    EXPECT_EQ(o.firstSeries, 1);
    EXPECT_DOUBLE_EQ(o.grid.at(0, 0), -101);
    EXPECT_DOUBLE_EQ(o.grid.at(2, 2), -303);
    EXPECT_DOUBLE_EQ(o.grid.at(1, 1), -202);
    EXPECT_TRUE(std::isnan(o.grid.at(2, 1))); // series 2, point 3 was never measured
    // x = point × step X, y = series × step Y.
    EXPECT_DOUBLE_EQ(o.xAt(0), 20);
    EXPECT_DOUBLE_EQ(o.xAt(2), 60);
    EXPECT_DOUBLE_EQ(o.yAt(1), 60);
}

TEST(SurveyObjects, UnreadableRowsMixedSensorsAndRepeatedPositions)
{
    std::vector<FixtureRow> rows(6);
    rows[0] = {.value = "12,5", .series = 2, .point = 2, .length = 2}; // decimal comma
    rows[0].sensor = 1;
    rows[1] = {.value = "NAN", .series = 2, .point = 1, .length = 2};
    rows[1].sensor = 1;
    rows[2] = {.value = "40.0", .series = 1, .point = 2, .length = 2};
    rows[2].sensor = 1;
    rows[3] = {.value = "-420", .series = 1, .point = 1, .length = 2}; // the sensor changes here
    rows[4] = {.value = "-300", .series = 1, .point = 1, .length = 2}; // measured again, earlier
    rows[5] = {.value = "-250", .series = 1, .point = 2, .length = 2, .lang = 1};
    const ArchiveTable table = FixtureTable(rows);
    const std::vector<RowBlock> one{{1, 6}};
    const auto objects = SurveyObjects(table, one);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].sensor, SensorKind::Resistance);
    EXPECT_EQ(objects[0].values(), (std::vector<double>{12.5, 40}));
    EXPECT_EQ(objects[0].unreadable, 1);
    EXPECT_EQ(objects[1].sensor, SensorKind::Potential);
    EXPECT_EQ(objects[1].values(), (std::vector<double>{-420, -300, -250}));
    EXPECT_DOUBLE_EQ(objects[1].grid.at(0, 0), -420); // the earlier row stands on the map
    EXPECT_EQ(objects[1].points[0].row, 4);
}

TEST(CombineSurveys, MissingReadingsAreMarkedNotGuessed)
{
    // Resistivity on series 1..2 × points 1..2; the potential survey lacks (2,2) and adds (3,1).
    // Each survey is one run, latest first, so each becomes one object.
    std::vector<FixtureRow> rows;
    for (auto [sensor, s, p, v] : {std::tuple{1, 2, 2, "8.0"},
                                   {1, 2, 1, "60.0"},
                                   {1, 1, 2, "120.0"},
                                   {1, 1, 1, "30.0"},
                                   {0, 3, 1, "-250"},
                                   {0, 2, 1, "-100"},
                                   {0, 1, 2, "-100"},
                                   {0, 1, 1, "-400"}}) {
        FixtureRow r;
        r.sensor = sensor;
        r.series = s;
        r.point = p;
        r.length = 2;
        r.value = v;
        rows.push_back(r);
    }
    const ArchiveTable table = FixtureTable(rows);
    const auto objects = SurveyObjects(table, SurfaceBlocks(table));
    ASSERT_EQ(objects.size(), 2u);
    ASSERT_EQ(objects[0].sensor, SensorKind::Resistance);
    ASSERT_EQ(objects[1].sensor, SensorKind::Potential);
    ASSERT_EQ(PartnerOf(objects, 0), 1);
    ASSERT_EQ(PartnerOf(objects, 1), 0);

    const auto nodes = CombineSurveys(objects[1], objects[0], ThresholdsFor(Electrode::CuCuSO4));
    const struct {
        int series, point;
        CombinedRisk risk;
    } expected[] = {
        {1, 1, CombinedRisk::High},          // -400 likely, 30 moderate
        {1, 2, CombinedRisk::Low},           // -100 unlikely, 120 negligible
        {2, 1, CombinedRisk::Low},           // -100 unlikely, 60 low
        {2, 2, CombinedRisk::NoPotential},   // 8.0 measured, no potential
        {3, 1, CombinedRisk::NoResistivity}, // -250 measured, no resistivity
    };
    ASSERT_EQ(nodes.size(), std::size(expected));
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        EXPECT_EQ(nodes[k].series, expected[k].series);
        EXPECT_EQ(nodes[k].point, expected[k].point);
        EXPECT_EQ(nodes[k].risk, expected[k].risk) << k;
    }
    EXPECT_EQ(nodes[0].potentialRow, 8);
    EXPECT_EQ(nodes[0].resistanceRow, 4);
    EXPECT_EQ(nodes[3].potentialRow, -1);
    EXPECT_EQ(nodes[3].resistanceRow, 1);
    EXPECT_EQ(nodes[4].resistanceRow, -1);

    // Against a saturated Ag/AgCl electrode -100 mV is uncertain: (2,1) with 60 becomes moderate.
    const auto agcl = CombineSurveys(objects[1], objects[0], ThresholdsFor(Electrode::AgAgClSaturated));
    EXPECT_EQ(agcl[2].risk, CombinedRisk::Moderate);
    EXPECT_EQ(agcl[1].risk, CombinedRisk::Low); // 120 negligible keeps it low
}

TEST(PartnerOf, NeedsTheSameNameAndSteps)
{
    auto rows = LatestFirst("Мост", 0, 1, 2, Mv);
    auto res = LatestFirst("Мост", 1, 1, 2, [](int, int) { return QStringLiteral("20.0"); });
    for (auto& r : res) r.stepX = 50;
    auto wall = LatestFirst("Стена", 1, 1, 2, [](int, int) { return QStringLiteral("20.0"); });
    rows.insert(rows.end(), res.begin(), res.end());
    rows.insert(rows.end(), wall.begin(), wall.end());
    const ArchiveTable table = FixtureTable(rows);
    const auto objects = SurveyObjects(table, SurfaceBlocks(table));
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(PartnerOf(objects, 0), -1);
    EXPECT_EQ(PartnerOf(objects, 2), -1);
}

TEST(MeasurementDates, EarliestAndLatestMoment)
{
    auto rows = LatestFirst("Мост", 0, 1, 3, Mv);
    rows[0].date = "18.05.2014";
    rows[0].time = "08:40:00";
    rows[1].time = "23:59:59";
    rows[2].time = "09:00:01";
    const ArchiveTable table = FixtureTable(rows);
    const auto objects = SurveyObjects(table, SurfaceBlocks(table));
    ASSERT_EQ(objects.size(), 1u);
    const DateRange range = MeasurementDates(table, objects[0]);
    ASSERT_TRUE(range.valid());
    EXPECT_EQ(range.first, QDateTime(QDate(2014, 5, 17), QTime(9, 0, 1)));
    EXPECT_EQ(range.last, QDateTime(QDate(2014, 5, 18), QTime(8, 40, 0)));
}

} // namespace
