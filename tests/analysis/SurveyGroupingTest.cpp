// Surveys grouped from the table whatever its row order, repeat surveys, repeated positions,
// pairing of potential and resistivity, percentiles, class-aligned histograms and break-out lists.
#include "SurveyFixture.h"
#include "analysis/BreakOut.h"
#include "analysis/Statistics.h"
#include "analysis/Survey.h"
#include "analysis/SurveyFigures.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

FixtureRow Reading(const QString& name, int sensor, int series, int point, double value, const QString& date,
                   const QString& time)
{
    FixtureRow r;
    r.name = name;
    r.sensor = sensor;
    r.series = series;
    r.point = point;
    r.value = QString::number(value);
    r.date = date;
    r.time = time;
    return r;
}

// An object surveyed series after series on one day, oldest first, the time rising reading by
// reading from `hour`.
std::vector<FixtureRow> OldestFirst(const QString& name, int sensor, int firstSeries, int series, int points,
                                    const QString& date, int hour, double base)
{
    std::vector<FixtureRow> rows;
    int second = 0;
    for (int s = firstSeries; s < firstSeries + series; ++s)
        for (int p = 1; p <= points; ++p, ++second)
            rows.push_back(
                Reading(name, sensor, s, p, base - 7 * s - 3 * p, date,
                        QTime(hour, second / 60, second % 60).toString(QStringLiteral("hh:mm:ss"))));
    return rows;
}

// What a survey amounts to, independent of the rows it came from.
struct Digest {
    QString title;
    int replaced = 0, unreadable = 0, stepX = 0, firstPoint = 0, firstSeries = 0;
    std::vector<std::tuple<int, int, double>> points;
    std::vector<double> grid;
    Summary summary;

    bool operator==(const Digest& o) const
    {
        return title == o.title && replaced == o.replaced && unreadable == o.unreadable && stepX == o.stepX &&
               firstPoint == o.firstPoint && firstSeries == o.firstSeries && points == o.points &&
               grid == o.grid && summary.count == o.summary.count && summary.mean == o.summary.mean &&
               summary.stdDev == o.summary.stdDev && summary.percentiles == o.summary.percentiles;
    }
};

std::vector<Digest> DigestOf(const ArchiveTable& table)
{
    std::vector<Digest> digests;
    for (const SurveyObject& o : GroupSurveys(table)) {
        Digest d{ObjectTitle(o, 1), o.replaced, o.unreadable, o.stepX, o.firstPoint,
                 o.firstSeries,     {},         {},           {}};
        for (const SurveyPoint& p : o.points) d.points.emplace_back(p.series, p.point, p.value);
        for (int j = 0; j < o.grid.rows(); ++j)
            for (int i = 0; i < o.grid.columns(); ++i)
                d.grid.push_back(o.grid.has(i, j) ? o.grid.at(i, j) : -1e9);
        d.summary = Summarize(o.values());
        digests.push_back(std::move(d));
    }
    return digests;
}

// Two objects, both sensors, a repeat survey days later, a re-measured position and an
// unreadable row: everything the grouping has to get right at once.
std::vector<FixtureRow> FieldRows()
{
    std::vector<FixtureRow> rows =
        OldestFirst(QStringLiteral("Мост"), 0, 1, 4, 5, QStringLiteral("03.06.2024"), 9, -150);
    for (const FixtureRow& r :
         OldestFirst(QStringLiteral("Мост"), 1, 5, 4, 5, QStringLiteral("03.06.2024"), 11, 120))
        rows.push_back(r);
    for (const FixtureRow& r :
         OldestFirst(QStringLiteral("Pier B"), 0, 1, 3, 3, QStringLiteral("03.06.2024"), 14, -300))
        rows.push_back(r);
    // The same bridge surveyed again a week later, numbering from 1.
    for (const FixtureRow& r :
         OldestFirst(QStringLiteral("Мост"), 0, 1, 2, 5, QStringLiteral("10.06.2024"), 8, -250))
        rows.push_back(r);
    rows.push_back(Reading(QStringLiteral("Мост"), 0, 2, 3, -480, QStringLiteral("03.06.2024"),
                           QStringLiteral("10:30:00")));
    FixtureRow bad = Reading(QStringLiteral("PIER b"), 0, 2, 2, 0, QStringLiteral("03.06.2024"),
                             QStringLiteral("14:00:30"));
    bad.value = QStringLiteral("—");
    rows.push_back(bad);
    return rows;
}

} // namespace

TEST(GroupSurveys, OneSurveyPerObjectSensorAndRepeatDay)
{
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(FieldRows()));
    std::vector<QString> titles;
    for (const SurveyObject& o : surveys) titles.push_back(ObjectTitle(o, 1));
    EXPECT_EQ(titles, (std::vector<QString>{"Мост, Potential, 03.06.2024", "Мост, Resistivity, 03.06.2024",
                                            "Pier B, Potential, 03.06.2024", "Мост, Potential, 10.06.2024"}));
    ASSERT_EQ(surveys.size(), 4u);
    EXPECT_EQ(surveys[0].points.size(), 20u);
    EXPECT_EQ(surveys[1].points.size(), 20u);
    EXPECT_EQ(surveys[2].points.size(), 9u);
    EXPECT_EQ(surveys[3].points.size(), 10u);
    // "PIER b" is "Pier B" for the grouping; its unreadable row is counted there.
    EXPECT_EQ(surveys[2].unreadable, 1);
    EXPECT_EQ(surveys[3].firstSeries, 1);
    EXPECT_EQ(surveys[3].grid.rows(), 2);
}

TEST(GroupSurveys, TheLatestReadingOfAPositionCountsEverywhere)
{
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(FieldRows()));
    ASSERT_FALSE(surveys.empty());
    const SurveyObject& bridge = surveys[0];
    EXPECT_EQ(bridge.replaced, 1);
    // Series 2 point 3 was read at 09:00:07 (-173) and again at 10:30 (-480): the later one holds
    // in the points, the grid, the statistics and the break-out list.
    const auto it = std::find_if(bridge.points.begin(), bridge.points.end(),
                                 [](const SurveyPoint& p) { return p.series == 2 && p.point == 3; });
    ASSERT_NE(it, bridge.points.end());
    EXPECT_EQ(it->value, -480);
    EXPECT_EQ(bridge.grid.at(2, 1), -480);
    EXPECT_EQ(Summarize(bridge.values()).min, -480);
    const auto breakOut = BreakOutPositions(bridge, {-200, -350});
    ASSERT_EQ(breakOut.size(), 1u);
    EXPECT_EQ(breakOut[0].value, -480);

    // The earlier reading placed after the later one in the table changes nothing.
    std::vector<FixtureRow> rows = FieldRows();
    std::reverse(rows.begin(), rows.end());
    EXPECT_EQ(GroupSurveys(FixtureTable(rows))[0].grid.at(2, 1), -480);
}

TEST(GroupSurveys, AnyRowOrderGivesTheSameSurveys)
{
    const std::vector<FixtureRow> rows = FieldRows();
    const std::vector<Digest> expected = DigestOf(FixtureTable(rows));
    ASSERT_EQ(expected.size(), 4u);
    std::mt19937 rng(2511); // fixed seed: a failing order can be found again
    for (int round = 0; round < 40; ++round) {
        std::vector<FixtureRow> shuffled = rows;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        EXPECT_TRUE(DigestOf(FixtureTable(shuffled)) == expected) << "round " << round;
    }
}

TEST(GroupSurveys, ASeriesContinuedOnTheNextDayStaysOneSurvey)
{
    std::vector<FixtureRow> rows =
        OldestFirst(QStringLiteral("Wall"), 0, 1, 2, 3, QStringLiteral("01.07.2024"), 16, -100);
    for (const FixtureRow& r :
         OldestFirst(QStringLiteral("Wall"), 0, 3, 2, 3, QStringLiteral("02.07.2024"), 8, -100))
        rows.push_back(r);
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 1u);
    EXPECT_EQ(surveys[0].grid.rows(), 4);
    EXPECT_EQ(ObjectTitle(surveys[0], 1), QStringLiteral("Wall, Potential, 01.07.2024 – 02.07.2024"));
}

TEST(Pairing, AlignsBySeriesOrderWhenNumbersDoNotOverlap)
{
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(FieldRows()));
    ASSERT_EQ(surveys.size(), 4u);
    EXPECT_EQ(PartnerOf(surveys, 0), 1);
    EXPECT_EQ(PartnerOf(surveys, 1), 0);
    EXPECT_EQ(PartnerOf(surveys, 3), -1); // the repeat survey's day had no resistivity survey
    const SurveyObject& pot = surveys[0];
    const SurveyObject& res = surveys[1];
    EXPECT_EQ(DefaultAlignment(pot, res), SeriesAlignment::ByOrder);

    const RiskTally byOrder = TallyRisk(CombineSurveys(pot, res, {-200, -350}, SeriesAlignment::ByOrder));
    EXPECT_EQ(byOrder.paired, 20);
    EXPECT_EQ(byOrder.potentialOnly + byOrder.resistivityOnly, 0);

    // By number the resistivity series 5..8 meet no potential series: nothing is paired and no
    // share is invented.
    const RiskTally byNumber = TallyRisk(CombineSurveys(pot, res, {-200, -350}, SeriesAlignment::ByNumber));
    EXPECT_EQ(byNumber.paired, 0);
    EXPECT_EQ(byNumber.potentialOnly, 20);
    EXPECT_EQ(byNumber.resistivityOnly, 20);
    for (double p : byNumber.percent) EXPECT_EQ(p, 0);
}

TEST(Pairing, SharesCountPairedPositionsOnly)
{
    std::vector<FixtureRow> rows;
    // Potentials at series 1..2 × points 1..2, resistivities at series 1 only: 2 paired, 2 apart.
    rows.push_back(Reading(QStringLiteral("D"), 0, 1, 1, -400, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:00")));
    rows.push_back(Reading(QStringLiteral("D"), 0, 1, 2, -100, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:01")));
    rows.push_back(Reading(QStringLiteral("D"), 0, 2, 1, -400, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:02")));
    rows.push_back(Reading(QStringLiteral("D"), 0, 2, 2, -400, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:03")));
    rows.push_back(
        Reading(QStringLiteral("D"), 1, 1, 1, 5, QStringLiteral("05.05.2024"), QStringLiteral("10:00:00")));
    rows.push_back(
        Reading(QStringLiteral("D"), 1, 1, 2, 200, QStringLiteral("05.05.2024"), QStringLiteral("10:00:01")));
    const std::vector<SurveyObject> s = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(s.size(), 2u);
    ASSERT_EQ(s[0].sensor, SensorKind::Potential);
    EXPECT_EQ(DefaultAlignment(s[0], s[1]), SeriesAlignment::ByNumber);
    const RiskTally t = TallyRisk(CombineSurveys(s[0], s[1], {-200, -350}));
    EXPECT_EQ(t.paired, 2);
    EXPECT_EQ(t.potentialOnly, 2);
    EXPECT_EQ(t.resistivityOnly, 0);
    EXPECT_EQ(t.counts[std::size_t(CombinedRisk::Severe)], 1); // likely × high
    EXPECT_EQ(t.counts[std::size_t(CombinedRisk::Low)], 1);    // unlikely × negligible
    EXPECT_DOUBLE_EQ(t.percent[std::size_t(CombinedRisk::Severe)], 50);

    // As the report lists them, in either language: the paired count, each level with its count
    // and share of the paired positions, and the unpaired ones apart.
    const auto share = [](double percent) { return QLocale().toString(percent, 'f', 1); };
    const CombinedRiskFigures english =
        CombinedRiskRows(s[0], s[1], {-200, -350}, SeriesAlignment::ByNumber, 1);
    EXPECT_EQ(english.pairedLine, QStringLiteral("Shares over 2 positions with both readings"));
    EXPECT_EQ(english.unpairedLine, QStringLiteral("Unpaired: 2 potential only, 0 resistivity only"));
    const std::vector<std::pair<QString, QString>> listed{
        {QStringLiteral("low"), QStringLiteral("1 (%1 %)").arg(share(50))},
        {QStringLiteral("moderate"), QStringLiteral("0 (%1 %)").arg(share(0))},
        {QStringLiteral("high"), QStringLiteral("0 (%1 %)").arg(share(0))},
        {QStringLiteral("severe"), QStringLiteral("1 (%1 %)").arg(share(50))}};
    EXPECT_EQ(english.rows, listed);
    const CombinedRiskFigures russian =
        CombinedRiskRows(s[0], s[1], {-200, -350}, SeriesAlignment::ByNumber, 0);
    EXPECT_EQ(russian.pairedLine, QStringLiteral("Доли по 2 точкам с обоими измерениями"));
    EXPECT_EQ(russian.unpairedLine, QStringLiteral("Без пары: 2 только потенциал, 0 только сопротивление"));
    EXPECT_EQ(russian.rows.at(3).first, QStringLiteral("очень высокий"));
    // Thresholds below both potentials class them as unlikely: the severe position turns moderate.
    const CombinedRiskFigures lowered =
        CombinedRiskRows(s[0], s[1], {-500, -600}, SeriesAlignment::ByNumber, 1);
    EXPECT_EQ(lowered.rows.at(0).second, QStringLiteral("1 (%1 %)").arg(share(50)));
    EXPECT_EQ(lowered.rows.at(1).second, QStringLiteral("1 (%1 %)").arg(share(50)));
    EXPECT_EQ(lowered.rows.at(3).second, QStringLiteral("0 (%1 %)").arg(share(0)));
}

TEST(Percentiles, LinearInterpolationBetweenOrderStatistics)
{
    const std::vector<double> sorted{10, 20, 30, 40, 50};
    const struct {
        double p, expected;
    } cases[] = {{0, 10}, {5, 12}, {10, 14}, {50, 30}, {90, 46}, {95, 48}, {100, 50}, {62.5, 35}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Percentile(sorted, c.p), c.expected) << c.p;
    EXPECT_EQ(Percentile(std::vector<double>{7}, 95), 7);
    EXPECT_EQ(Percentile(std::vector<double>{}, 50), 0);

    // Summarize sorts before it interpolates, and its 50th percentile is the median.
    const Summary s = Summarize(std::vector<double>{-300, -100, -250, -120, -400, -210});
    EXPECT_DOUBLE_EQ(s.percentiles[2], s.median);
    EXPECT_DOUBLE_EQ(s.percentiles[0], -375); // h = 0.25 between -400 and -300
    EXPECT_DOUBLE_EQ(s.percentiles[4], -105); // h = 4.75 between -120 and -100
}

TEST(Histogram, BinsNeverStraddleAClassBoundary)
{
    std::vector<double> potentials;
    for (int k = 0; k < 200; ++k) potentials.push_back(-20 - 2.37 * k);
    const struct {
        std::vector<double> boundaries;
        int bins;
    } cases[] = {
        {{-81, -231}, 12},  // Ag/AgCl thresholds: odd numbers, 150 apart
        {{-200, -350}, 12}, // Cu/CuSO4
        {{-125, -275}, 30},
        {{100, 50, 10}, 12}, // resistivity bounds
    };
    for (const auto& c : cases) {
        const Histogram h = ClassAlignedHistogram(potentials, c.boundaries, c.bins);
        ASSERT_FALSE(h.counts.empty());
        for (double b : c.boundaries) {
            const double k = (b - h.start) / h.width;
            EXPECT_NEAR(k, std::round(k), 1e-9) << b << " is inside a bin of width " << h.width;
        }
        EXPECT_LE(h.start, potentials.back());
        EXPECT_GT(h.end(), potentials.front());
        int total = 0;
        for (int n : h.counts) total += n;
        EXPECT_EQ(total, int(potentials.size()));
    }
}

TEST(BreakOut, WorstClassNumberedBySeriesThenPoint)
{
    std::vector<FixtureRow> rows;
    rows.push_back(Reading(QStringLiteral("E"), 0, 2, 1, -500, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:00")));
    rows.push_back(Reading(QStringLiteral("E"), 0, 1, 3, -351, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:01")));
    rows.push_back(Reading(QStringLiteral("E"), 0, 1, 1, -350, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:02")));
    rows.push_back(
        Reading(QStringLiteral("E"), 1, 1, 1, 10, QStringLiteral("05.05.2024"), QStringLiteral("09:00:03")));
    rows.push_back(Reading(QStringLiteral("E"), 1, 1, 2, 10.5, QStringLiteral("05.05.2024"),
                           QStringLiteral("09:00:04")));
    const std::vector<SurveyObject> s = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(s.size(), 2u);
    const auto pot = BreakOutPositions(s[0], {-200, -350});
    ASSERT_EQ(pot.size(), 2u); // -350 is on the boundary: uncertain, not likely
    EXPECT_EQ(std::make_tuple(pot[0].number, pot[0].series, pot[0].point), std::make_tuple(1, 1, 3));
    EXPECT_EQ(std::make_tuple(pot[1].number, pot[1].series, pot[1].point), std::make_tuple(2, 2, 1));
    EXPECT_DOUBLE_EQ(pot[0].x, s[0].xAt(2));
    EXPECT_DOUBLE_EQ(pot[1].y, s[0].yAt(1));
    // Engineer's thresholds move the list with them.
    EXPECT_EQ(BreakOutPositions(s[0], EngineerThresholds(Electrode::CuCuSO4, -300, -450).values).size(), 1u);
    const auto res = BreakOutPositions(s[1], {});
    ASSERT_EQ(res.size(), 1u);
    EXPECT_EQ(res[0].value, 10); // exactly 10 kOhm·cm is high risk
}

TEST(ThresholdSource, NamesTheStandardOrTheEngineer)
{
    EXPECT_EQ(ThresholdSourceText(StandardThresholds(Electrode::CuCuSO4), 1),
              QStringLiteral("ASTM C876, Cu/CuSO4"));
    EXPECT_EQ(ThresholdSourceText(StandardThresholds(Electrode::Calomel), 0),
              QStringLiteral("ASTM C876, Насыщ. каломельный"));
    const ThresholdsInForce own = EngineerThresholds(Electrode::CuCuSO4, -400, -250);
    EXPECT_EQ(ThresholdSourceText(own, 1), QStringLiteral("set by the engineer"));
    EXPECT_EQ(ThresholdSourceText(own, 0), QStringLiteral("задано инженером"));
    EXPECT_EQ(own.values.upper, -250); // given the wrong way round
    EXPECT_EQ(own.values.lower, -400);
}
