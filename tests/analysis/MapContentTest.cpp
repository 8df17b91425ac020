// What the map shows, before anything is drawn: its legend and the texts of each line, the value
// range of the continuous scale, the iso-lines' levels and where they run.
#include "analysis/MapContent.h"
#include "SurveyFixture.h"

#include <QLocale>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace {

SurveyObject OneSurvey(int sensor, int series, int points, double (*value)(int series, int point))
{
    const auto surveys =
        GroupSurveys(FixtureTable(LatestFirst(QStringLiteral("Мост"), sensor, series, points,
                                              [&](int s, int p) { return QString::number(value(s, p)); })));
    EXPECT_EQ(surveys.size(), 1u);
    return surveys.at(0);
}

// -100 mV at point 1 falling by 50 mV a point to -400 mV at point 7, the same on both series.
double Slope(int, int point) { return -100 - 50 * (point - 1); }

std::vector<QString> Texts(const std::vector<LegendEntry>& legend)
{
    std::vector<QString> texts;
    for (const LegendEntry& e : legend) texts.push_back(e.text);
    return texts;
}

QString Scale(double low, double high)
{
    const QLocale locale;
    return locale.toString(low, 'f', 1) + QStringLiteral(" … ") + locale.toString(high, 'f', 1);
}

} // namespace

TEST(MapContent, LegendNamesEveryClassWithItsRangeInTheChosenLanguage)
{
    const SurveyObject potential = OneSurvey(0, 2, 7, Slope);
    const SurveyObject resistivity = OneSurvey(1, 2, 7, [](int, int p) { return 4.0 + 30 * p; });
    struct Case {
        const SurveyObject* survey;
        MapOptions options;
        QString title;
        std::vector<QString> texts;
        std::vector<LegendEntry::Kind> kinds;
    };
    using K = LegendEntry::Kind;
    MapOptions english;
    english.lang = 1;
    english.thresholds = PotentialThresholds{-200, -350};
    MapOptions russian = english;
    russian.lang = 0;
    MapOptions continuous = english;
    continuous.fill = FillMode::Continuous;
    const Case cases[] = {
        {&potential,
         english,
         QStringLiteral("Potential classes (ASTM C876), mV"),
         {QStringLiteral("corrosion unlikely (90 %): > -200 mV"), QStringLiteral("uncertain: -200 … -350 mV"),
          QStringLiteral("corrosion likely (90 %): < -350 mV"), QStringLiteral("no data"),
          QStringLiteral("measured point"), QStringLiteral("iso-line")},
         {K::Box, K::Box, K::Box, K::Hatch, K::Point, K::Line}},
        {&potential,
         russian,
         QStringLiteral("Классы потенциала (ASTM C876), мВ"),
         {QStringLiteral("коррозия маловероятна (90 %): > -200 мВ"),
          QStringLiteral("неопределённо: -200 … -350 мВ"),
          QStringLiteral("коррозия вероятна (90 %): < -350 мВ"), QStringLiteral("нет данных"),
          QStringLiteral("точка измерения"), QStringLiteral("изолиния")},
         {K::Box, K::Box, K::Box, K::Hatch, K::Point, K::Line}},
        {&resistivity,
         english,
         QStringLiteral("Resistivity risk (RILEM TC 154), kOhm·cm"),
         {QStringLiteral("negligible: > 100 kOhm·cm"), QStringLiteral("low: 50 … 100 kOhm·cm"),
          QStringLiteral("moderate: 10 … 50 kOhm·cm"), QStringLiteral("high: ≤ 10 kOhm·cm"),
          QStringLiteral("no data"), QStringLiteral("measured point"), QStringLiteral("iso-line")},
         {K::Box, K::Box, K::Box, K::Box, K::Hatch, K::Point, K::Line}},
        {&potential,
         continuous,
         QStringLiteral("Potential, mV"),
         {Scale(-400, -100), QStringLiteral("no data"), QStringLiteral("measured point"),
          QStringLiteral("iso-line")},
         {K::Scale, K::Hatch, K::Point, K::Line}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        const MapContent content = BuildMapContent(*c.survey, nullptr, c.options);
        EXPECT_EQ(content.legendTitle, c.title);
        EXPECT_EQ(Texts(content.legend), c.texts);
        std::vector<K> kinds;
        for (const LegendEntry& e : content.legend) kinds.push_back(e.kind);
        EXPECT_EQ(kinds, c.kinds);
    }

    // The class boxes carry the classes' colours, in order of rising risk.
    const MapContent classes = BuildMapContent(potential, nullptr, english);
    for (int k = 0; k < kPotentialClassCount; ++k)
        EXPECT_EQ(classes.legend[std::size_t(k)].color, PotentialClassColor(PotentialClass(k))) << k;
    EXPECT_EQ(classes.colorOf(-150), PotentialClassColor(PotentialClass::Unlikely));
    EXPECT_EQ(classes.colorOf(-400), PotentialClassColor(PotentialClass::Likely));
}

TEST(MapContent, ContinuousScaleSpansTheSurveyOrTheCommonRange)
{
    const SurveyObject survey = OneSurvey(0, 2, 7, Slope);
    MapOptions options;
    options.fill = FillMode::Continuous;
    MapContent own = BuildMapContent(survey, nullptr, options);
    EXPECT_EQ(own.min, -400);
    EXPECT_EQ(own.max, -100);
    EXPECT_EQ(own.scaleLow, QLocale().toString(-400.0, 'f', 1));
    EXPECT_EQ(own.scaleHigh, QLocale().toString(-100.0, 'f', 1));
    EXPECT_EQ(own.colorOf(-400), ScaleColor(0));
    EXPECT_EQ(own.colorOf(-100), ScaleColor(1));

    options.commonRange = std::pair{-500.0, 0.0};
    const MapContent common = BuildMapContent(survey, nullptr, options);
    EXPECT_EQ(common.min, -500);
    EXPECT_EQ(common.max, 0);
    EXPECT_EQ(Texts(common.legend).at(0), Scale(-500, 0));
    EXPECT_EQ(common.colorOf(-250), ScaleColor(0.5));

    // An empty common range, or a fill by class, keeps the survey's own range.
    options.commonRange = std::pair{0.0, 0.0};
    EXPECT_EQ(BuildMapContent(survey, nullptr, options).min, -400);
    options.commonRange = std::pair{-500.0, 0.0};
    options.fill = FillMode::Classes;
    const MapContent classes = BuildMapContent(survey, nullptr, options);
    EXPECT_EQ(classes.min, -400);
    EXPECT_EQ(classes.max, -100);
}

TEST(MapContent, ThresholdsComeFirstAndAnIntervalLevelOnAThresholdIsNotRepeated)
{
    const SurveyObject potential = OneSurvey(0, 2, 7, Slope);
    MapOptions options;
    options.thresholds = PotentialThresholds{-200, -350};
    options.interval = 50;
    const MapContent content = BuildMapContent(potential, nullptr, options);
    EXPECT_EQ(content.levels, (std::vector<double>{-200, -350, -300, -250, -150}));
    // The slope crosses each level once, from series 1 to series 2, where the level lies.
    ASSERT_EQ(content.isoLines.size(), content.levels.size());
    for (std::size_t k = 0; k < content.isoLines.size(); ++k) {
        const MapIsoLine& iso = content.isoLines[k];
        SCOPED_TRACE(iso.label.toStdString());
        EXPECT_EQ(iso.line.level, content.levels[k]);
        EXPECT_EQ(iso.threshold, k < 2);
        EXPECT_EQ(iso.label, QString::number(content.levels[k]));
        EXPECT_FALSE(iso.line.closed);
        const double x = (-100 - iso.line.level) / 50; // grid units from point 1
        for (const GridPoint& p : iso.line.points) EXPECT_NEAR(p.x, x, 1e-9);
    }

    // No interval: only the thresholds. Resistivity: the class bounds are its levels, and the
    // readings (34 … 214) cross 100 and 50 but not 10.
    options.interval = 0;
    EXPECT_EQ(BuildMapContent(potential, nullptr, options).levels, (std::vector<double>{-200, -350}));
    const SurveyObject resistivity = OneSurvey(1, 2, 7, [](int, int p) { return 4.0 + 30 * p; });
    const MapContent res = BuildMapContent(resistivity, nullptr, options);
    EXPECT_EQ(res.levels, (std::vector<double>{100, 50, 10}));
    ASSERT_EQ(res.isoLines.size(), 2u);
    EXPECT_EQ(res.isoLines[0].line.level, 100);
    EXPECT_EQ(res.isoLines[1].line.level, 50);
    for (const MapIsoLine& iso : res.isoLines) EXPECT_TRUE(iso.threshold);
}

TEST(MapContent, IsoLineRingsABump)
{
    // -100 mV everywhere but -400 mV at point 3 of series 3: the -200 mV threshold rings it a
    // third of the way out to its neighbours, and nothing else is drawn.
    const SurveyObject bump =
        OneSurvey(0, 5, 5, [](int s, int p) { return s == 3 && p == 3 ? -400.0 : -100.0; });
    MapOptions options;
    options.thresholds = PotentialThresholds{-200, -450};
    const MapContent content = BuildMapContent(bump, nullptr, options);
    ASSERT_EQ(content.isoLines.size(), 1u);
    const ContourLine& ring = content.isoLines[0].line;
    EXPECT_EQ(ring.level, -200);
    EXPECT_TRUE(ring.closed);
    EXPECT_TRUE(content.isoLines[0].threshold);
    ASSERT_GE(ring.points.size(), 4u);
    bool left = false, right = false, below = false, above = false;
    for (const GridPoint& p : ring.points) {
        const double dx = p.x - 2, dy = p.y - 2; // from the bump's node
        EXPECT_LE(std::max(std::abs(dx), std::abs(dy)), 1.0) << p.x << ", " << p.y;
        const auto near = [](double a, double b) { return std::abs(a - b) < 1e-9; };
        left |= near(dx, -2.0 / 3) && near(dy, 0);
        right |= near(dx, 2.0 / 3) && near(dy, 0);
        below |= near(dy, -2.0 / 3) && near(dx, 0);
        above |= near(dy, 2.0 / 3) && near(dx, 0);
    }
    EXPECT_TRUE(left && right && below && above);
}

TEST(MapContent, CombinedViewShowsRiskTilesAndItsOwnLegend)
{
    std::vector<FixtureRow> rows = LatestFirst(QStringLiteral("Мост"), 0, 2, 3,
                                               [](int, int p) { return QString::number(-100 - 150 * p); });
    for (FixtureRow& r :
         LatestFirst(QStringLiteral("Мост"), 1, 2, 3, [](int s, int) { return QString::number(s * 60); }))
        rows.push_back(r);
    const auto surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 2u);
    MapOptions options;
    options.lang = 1;
    options.combined = true;
    options.interval = 50;
    const int pot = surveys[0].sensor == SensorKind::Potential ? 0 : 1;
    const MapContent content =
        BuildMapContent(surveys[std::size_t(pot)], &surveys[std::size_t(1 - pot)], options);
    EXPECT_TRUE(content.combined);
    EXPECT_EQ(content.legendTitle, QStringLiteral("Combined risk"));
    EXPECT_EQ(
        Texts(content.legend),
        (std::vector<QString>{QStringLiteral("low"), QStringLiteral("moderate"), QStringLiteral("high"),
                              QStringLiteral("severe"), QStringLiteral("no potential reading"),
                              QStringLiteral("no resistivity reading"), QStringLiteral("measured point")}));
    EXPECT_EQ(content.legend[4].pattern, Qt::FDiagPattern);
    EXPECT_EQ(content.legend[5].pattern, Qt::DiagCrossPattern);
    EXPECT_TRUE(content.isoLines.empty()); // tiles, no iso-lines
    ASSERT_EQ(content.nodes.size(), 6u);
    for (const CombinedNode& n : content.nodes) EXPECT_GE(n.potentialRow, 0);

    // Without its partner the same survey is a map of its own readings.
    EXPECT_FALSE(BuildMapContent(surveys[std::size_t(pot)], nullptr, options).combined);
}

TEST(MapContent, AxisNumbersCountFromPointOneOfSeriesOneWhereverItIsDrawn)
{
    // 3 series × 5 points, 20 cm apart along the series and 30 cm between them.
    const SurveyObject survey = OneSurvey(0, 3, 5, Slope);
    const QRectF area(0, 0, 900, 600);
    for (const Orientation o :
         {Orientation{}, Orientation{true, false, false}, Orientation{false, true, false},
          Orientation{true, true, false}, Orientation{false, false, true}, Orientation{true, false, true}}) {
        SCOPED_TRACE(OrientationText(o, 1).toStdString());
        MapOptions options;
        options.orientation = o;
        options.lang = 1;
        const MapContent content = BuildMapContent(survey, nullptr, options);
        const MapLayout layout = LayOutMap(content, area, 1);
        const QPointF origin = MapPoint(content, layout, 0, 0);
        const QPointF far = MapPoint(content, layout, 4, 2); // point 5 of series 3
        const auto zeroAt = [](const std::vector<MapTick>& ticks) {
            for (const MapTick& t : ticks)
                if (std::abs(t.label.toDouble()) < 1e-9) return t.at;
            return -1.0;
        };
        const std::vector<MapTick> xs = MapTicksX(content, layout, 1);
        const std::vector<MapTick> ys = MapTicksY(content, layout, 1);
        ASSERT_GE(xs.size(), 2u);
        ASSERT_GE(ys.size(), 2u);
        EXPECT_NEAR(zeroAt(xs), origin.x(), 1e-6);
        EXPECT_NEAR(zeroAt(ys), origin.y(), 1e-6);
        // The numbers grow away from the origin, to the far corner: 80 cm along the series,
        // 60 cm across them (the other way round after a quarter turn).
        const double alongX = o.rotate ? 60 : 80, alongY = o.rotate ? 80 : 60;
        for (const MapTick& t : xs)
            EXPECT_NEAR(t.label.toDouble(), alongX * (t.at - origin.x()) / (far.x() - origin.x()), 1e-6);
        for (const MapTick& t : ys)
            EXPECT_NEAR(t.label.toDouble(), alongY * (t.at - origin.y()) / (far.y() - origin.y()), 1e-6);
        EXPECT_EQ(content.xTitle, o.rotate ? QStringLiteral("Y, cm") : QStringLiteral("X, cm"));
        EXPECT_EQ(content.yTitle, o.rotate ? QStringLiteral("X, cm") : QStringLiteral("Y, cm"));
        // The scale bar is a round length at most a third of the plot's width.
        const MapScaleBar bar = ScaleBarOf(content, layout);
        EXPECT_GT(bar.length, 0);
        EXPECT_LE(bar.length * layout.scale, layout.plot.width() / 3 + 1e-9);
        EXPECT_EQ(bar.text, QString::number(bar.length) + QStringLiteral(" cm"));
    }
}

TEST(MapContent, AxisNumbersArePlainDecimalsInEveryUnitAndOrientation)
{
    // Counted-down axes subtract tick values from the grid's span; in metres those are sums of
    // tenths, and the origin's tick came out as "2.22045e-16" instead of "0".
    const SurveyObject survey = OneSurvey(0, 3, 5, Slope);
    const QRegularExpression plain(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    for (const LengthUnit unit : {LengthUnit::Millimetre, LengthUnit::Centimetre, LengthUnit::Metre}) {
        for (const Orientation o :
             {Orientation{}, Orientation{true, false, false}, Orientation{false, true, false},
              Orientation{true, true, false}, Orientation{false, false, true}, Orientation{true, false, true},
              Orientation{false, true, true}, Orientation{true, true, true}}) {
            SCOPED_TRACE(OrientationText(o, 1).toStdString() + " unit " + std::to_string(int(unit)));
            MapOptions options;
            options.orientation = o;
            options.length = unit;
            options.lang = 1;
            const MapContent content = BuildMapContent(survey, nullptr, options);
            for (const QRectF area :
                 {QRectF(0, 0, 900, 600), QRectF(0, 0, 430, 370), QRectF(0, 0, 1500, 1100)}) {
                const MapLayout layout = LayOutMap(content, area, 1);
                for (const auto& ticks : {MapTicksX(content, layout, 1), MapTicksY(content, layout, 1)}) {
                    bool zero = false;
                    for (const MapTick& t : ticks) {
                        EXPECT_TRUE(plain.match(t.label).hasMatch()) << t.label.toStdString();
                        zero = zero || t.label == QStringLiteral("0");
                    }
                    EXPECT_TRUE(zero) << "no tick reads 0";
                }
            }
        }
    }
}
