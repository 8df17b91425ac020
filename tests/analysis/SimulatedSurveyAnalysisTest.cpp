// The survey analysis over archives as the instrument simulator lists them: the same surveys
// whatever the archive order and the series numbering, and the sample field survey.
#include "analysis/Survey.h"
#include "support/SimulatedArchive.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SurveyShape {
    QString name;
    SensorKind sensor;
    std::size_t positions;
    int replaced;
    QDate first;
    friend bool operator==(const SurveyShape&, const SurveyShape&) = default;
};

void PrintTo(const SurveyShape& s, std::ostream* os)
{
    *os << s.name.toStdString() << (s.sensor == SensorKind::Potential ? " potential " : " resistance ")
        << s.positions << " positions, " << s.replaced << " replaced, from "
        << s.first.toString(Qt::ISODate).toStdString();
}

std::vector<SurveyShape> Shapes(const ArchiveTable& table)
{
    std::vector<SurveyShape> out;
    for (const SurveyObject& s : GroupSurveys(table))
        out.push_back({s.name, s.sensor, s.points.size(), s.replaced, s.first.date()});
    return out;
}

constexpr auto P = SensorKind::Potential;
constexpr auto R = SensorKind::Resistance;

// A bridge with potential (3 series of 4) and resistivity (2 series) on one grid, then a pier
// with a series broken off after 2 of 3 points and one measured again on the same day.
const char kSurvey[] = "object 1 name=\"Мост\" series=4\n"
                       "object 2 name=\"Опора\" series=3\n"
                       "field f hotspot=(2,2,2,-300)\n"
                       "start 2014-05-17 09:00:00\n"
                       "series object=1 sensor=potential count=3 field=f\n"
                       "series object=1 sensor=resistance count=2 field=f\n"
                       "series object=2 sensor=potential count=2 field=f\n"
                       "series object=2 sensor=potential points=2 field=f\n"
                       "series object=2 sensor=potential number=1 field=f row=1\n";

class SimulatedSurveys : public ::testing::TestWithParam<const char*> {};

TEST_P(SimulatedSurveys, EveryOrderAndNumberingGivesTheSameSurveys)
{
    const ArchiveTable table = SimulatedTable(std::string(GetParam()) + "\n" + kSurvey);
    ASSERT_EQ(table.rowCount(), 1 + 12 + 8 + 6 + 2 + 3);
    const QDate day(2014, 5, 17);
    // Whatever the diagram makes of the order, the analysis sees one survey per object and
    // sensor; the pier's series 1, measured again, counts once.
    EXPECT_EQ(Shapes(table), (std::vector<SurveyShape>{{QStringLiteral("Мост"), P, 12, 0, day},
                                                       {QStringLiteral("Мост"), R, 8, 0, day},
                                                       {QStringLiteral("Опора"), P, 8, 3, day}}));
}

INSTANTIATE_TEST_SUITE_P(Orders, SimulatedSurveys,
                         ::testing::Values("archive order=newest-first numbering=object",
                                           "archive order=newest-first numbering=sensor",
                                           "archive order=oldest-first numbering=object",
                                           "archive order=oldest-first numbering=sensor"));

TEST(SimulatedSurveys, FieldSurveyScenario)
{
    // One survey per object and sensor; the bridge deck's return visit a year later, counted
    // from series 1 again, is a survey of its own; the parking deck's series measured twice
    // counts once, with its first 16 readings replaced.
    const ArchiveTable table = SimulatedTable({}, std::string(LM11_SOURCE_DIR) + "/sim/scenarios/field.txt");
    const QString bridge = QStringLiteral("Мост");
    EXPECT_EQ(Shapes(table), (std::vector<SurveyShape>{{QStringLiteral("Паркинг"), P, 80, 16, {2014, 5, 17}},
                                                       {QStringLiteral("Колонна 3"), P, 29, 0, {2014, 5, 17}},
                                                       {bridge, R, 72, 0, {2014, 5, 18}},
                                                       {bridge, P, 72, 0, {2014, 5, 18}},
                                                       {bridge, P, 72, 0, {2015, 5, 19}}}));
}

} // namespace
