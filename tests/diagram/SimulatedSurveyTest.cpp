// The diagram's grouping over archives as the instrument simulator lists them: the same
// survey on both archive orders and both series numberings.
#include "DiagramFixture.h"
#include "diagram/Surfaces.h"
#include "support/SimulatedArchive.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct SurfaceShape {
    QString object;
    SensorKind sensor;
    std::size_t points;
    friend bool operator==(const SurfaceShape&, const SurfaceShape&) = default;
};

void PrintTo(const SurfaceShape& s, std::ostream* os)
{
    *os << s.object.toStdString() << (s.sensor == SensorKind::Potential ? " potential " : " resistance ")
        << s.points;
}

std::vector<SurfaceShape> Shapes(const ArchiveTable& table)
{
    const SurfacesResult result = buildSurfaces(table, 0, QLocale::c());
    EXPECT_FALSE(result.error);
    std::vector<SurfaceShape> out;
    for (const DiagramSurface& s : result.surfaces)
        out.push_back({s.objectName, s.sensorKind, s.points.size()});
    return out;
}

constexpr auto P = SensorKind::Potential;
constexpr auto R = SensorKind::Resistance;

// A bridge with potential (3 series of 4) and resistivity (2 series) on one grid, then a pier
// whose third series was broken off after 2 of 3 points.
const char kSurvey[] = "object 1 name=\"Мост\" series=4\n"
                       "object 2 name=\"Опора\" series=3\n"
                       "field f hotspot=(2,2,2,-300)\n"
                       "series object=1 sensor=potential count=3 field=f\n"
                       "series object=1 sensor=resistance count=2 field=f\n"
                       "series object=2 sensor=potential count=2 field=f\n"
                       "series object=2 sensor=potential points=2 field=f\n";

struct GroupingCase {
    const char* name;
    const char* archive;
    std::vector<SurfaceShape> surfaces;
};

void PrintTo(const GroupingCase& c, std::ostream* os) { *os << c.name; }

class SimulatedGrouping : public ::testing::TestWithParam<GroupingCase> {};

TEST_P(SimulatedGrouping, SurfacesFollowTheRunningTotal)
{
    const GroupingCase& c = GetParam();
    const ArchiveTable table = SimulatedTable(std::string(c.archive) + "\n" + kSurvey);
    ASSERT_EQ(table.rowCount(), 1 + 12 + 8 + 8);
    EXPECT_EQ(Shapes(table), c.surfaces);
}

std::vector<GroupingCase> GroupingCases()
{
    const QString bridge = QStringLiteral("Мост"), pier = QStringLiteral("Опора");
    return {
        // Latest first with one count per object: the running total lands on each object's
        // last row, so every object is one surface, whatever sensors it holds.
        {"NewestFirstPerObject",
         "archive order=newest-first numbering=object",
         {{pier, P, 8}, {bridge, R, 20}}},
        // Latest first with a count per sensor: the latest resistivity row's ordinal covers the
        // resistivity rows only, so the bridge splits into its two sensors.
        {"NewestFirstPerSensor",
         "archive order=newest-first numbering=sensor",
         {{pier, P, 8}, {bridge, R, 8}, {bridge, P, 12}}},
        // Oldest first the running total grows 1, 3, 7, 15, ...: the bridge falls into blocks
        // of 1, 2, 4, 8 rows, the last one running into its resistivity rows.
        {"OldestFirstPerObject",
         "archive order=oldest-first numbering=object",
         {{bridge, P, 1}, {bridge, P, 2}, {bridge, P, 4}, {bridge, P, 8}, {bridge, R, 5}, {pier, P, 8}}},
        {"OldestFirstPerSensor",
         "archive numbering=sensor",
         {{bridge, P, 1},
          {bridge, P, 2},
          {bridge, P, 4},
          {bridge, P, 8},
          {bridge, R, 4},
          {bridge, R, 1},
          {pier, P, 8}}},
    };
}

INSTANTIATE_TEST_SUITE_P(Orders, SimulatedGrouping, ::testing::ValuesIn(GroupingCases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(SimulatedGrouping, WholeObjectKeepsEveryGridPlace)
{
    // Latest first, one surface per object: the bridge's 20 rows land on 20 distinct places of
    // its point-by-series grid, the broken-off pier series leaves its last place empty.
    const SurfacesResult result =
        buildSurfaces(SimulatedTable(std::string("archive order=newest-first\n") + kSurvey), 0, QLocale::c());
    ASSERT_EQ(result.surfaces.size(), 2u);
    std::set<std::pair<double, double>> pier, bridge;
    for (const DiagramPoint& p : result.surfaces[0].points) pier.insert({p.z, p.x});
    for (const DiagramPoint& p : result.surfaces[1].points) bridge.insert({p.z, p.x});
    EXPECT_EQ(bridge.size(), 20u);
    EXPECT_EQ(*bridge.rbegin(), std::make_pair(5.0, 4.0));
    EXPECT_EQ(pier.size(), 8u);
    EXPECT_TRUE(pier.contains({3, 2}));
    EXPECT_FALSE(pier.contains({3, 3}));
    // The potentials reach down into the corroding area and stay on the left scale's range.
    double lowest = 0;
    for (const DiagramPoint& p : result.surfaces[0].points) lowest = std::min(lowest, p.y);
    EXPECT_LT(lowest, -350);
    EXPECT_GT(lowest, kLeftAxisMin);
}

TEST(SimulatedGrouping, FieldSurveyScenario)
{
    // The sample survey lists the latest first and counts each sensor's series: the bridge's
    // potential of each visit (the return visit counts from 1 again) is a surface, its
    // resistivity another; the parking deck's re-measured series 3 (its latest rows) has an
    // ordinal of 48, so the deck is cut there.
    const ArchiveTable table = SimulatedTable({}, std::string(LM11_SOURCE_DIR) + "/sim/scenarios/field.txt");
    ASSERT_EQ(table.rowCount(), 1 + 341);
    const QString bridge = QStringLiteral("Мост"), column = QStringLiteral("Колонна 3"),
                  parking = QStringLiteral("Паркинг");
    EXPECT_EQ(Shapes(table), (std::vector<SurfaceShape>{{bridge, P, 72},
                                                        {bridge, P, 72},
                                                        {bridge, R, 72},
                                                        {column, P, 29},
                                                        {parking, P, 48},
                                                        {parking, P, 48}}));
}

} // namespace
