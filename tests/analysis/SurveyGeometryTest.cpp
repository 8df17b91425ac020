// Units, origin and orientation of the drawn survey, the automatic iso-line interval and the
// placement of iso-line labels.
#include "analysis/SurveyGeometry.h"
#include "analysis/Contours.h"

#include <gtest/gtest.h>

#include <random>

TEST(SurveyGeometry, StepsAreCentimetresShownInTheChosenUnit)
{
    EXPECT_DOUBLE_EQ(FromCentimetres(25, LengthUnit::Millimetre), 250);
    EXPECT_DOUBLE_EQ(FromCentimetres(25, LengthUnit::Centimetre), 25);
    EXPECT_DOUBLE_EQ(FromCentimetres(25, LengthUnit::Metre), 0.25);
    for (int u = 0; u < kLengthUnitCount; ++u) EXPECT_EQ(UnitOfKey(KeyOfUnit(LengthUnit(u))), LengthUnit(u));
    EXPECT_EQ(UnitOfKey(QStringLiteral("furlong")), LengthUnit::Centimetre);
    EXPECT_EQ(UnitText(LengthUnit::Metre, 0), QStringLiteral("м"));
    EXPECT_EQ(UnitText(LengthUnit::Millimetre, 1), QStringLiteral("mm"));
}

TEST(SurveyGeometry, PointOneOfSeriesOneIsTheOrigin)
{
    EXPECT_EQ(MeasuredPosition(1, 1, 20, 30), (PlanPoint{0, 0}));
    EXPECT_EQ(MeasuredPosition(4, 1, 20, 30), (PlanPoint{60, 0}));
    EXPECT_EQ(MeasuredPosition(1, 3, 20, 30), (PlanPoint{0, 60}));
}

TEST(SurveyGeometry, OrientationMovesTheCornersWhereTheDrawingExpectsThem)
{
    // A 40 × 10 survey: the origin O = (0, 0), the end of the first series E = (40, 0) and the
    // first point of the last series S = (0, 10).
    struct Case {
        Orientation o;
        PlanPoint origin, end, lastSeries;
    };
    const Case cases[] = {
        {{}, {0, 0}, {40, 0}, {0, 10}},
        {{true, false, false}, {40, 0}, {0, 0}, {40, 10}},
        {{false, true, false}, {0, 10}, {40, 10}, {0, 0}},
        {{true, true, false}, {40, 10}, {0, 10}, {40, 0}},
        // A quarter turn clockwise: X now points down, Y to the right; drawn extent 10 × 40.
        {{false, false, true}, {0, 40}, {0, 0}, {10, 40}},
        {{true, false, true}, {0, 0}, {0, 40}, {10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(OrientationText(c.o, 1).toStdString());
        EXPECT_EQ(Orient({0, 0}, 40, 10, c.o), c.origin);
        EXPECT_EQ(Orient({40, 0}, 40, 10, c.o), c.end);
        EXPECT_EQ(Orient({0, 10}, 40, 10, c.o), c.lastSeries);
    }
    // Every orientation keeps distances and stays in the drawn extent.
    for (int bits = 0; bits < 8; ++bits) {
        const Orientation o{bool(bits & 1), bool(bits & 2), bool(bits & 4)};
        const PlanPoint a = Orient({5, 2}, 40, 10, o), b = Orient({25, 7}, 40, 10, o);
        EXPECT_DOUBLE_EQ(std::hypot(a.x - b.x, a.y - b.y), std::hypot(20, 5));
        const double w = o.rotate ? 10 : 40, h = o.rotate ? 40 : 10;
        for (const PlanPoint& p : {a, b}) {
            EXPECT_GE(p.x, 0);
            EXPECT_LE(p.x, w);
            EXPECT_GE(p.y, 0);
            EXPECT_LE(p.y, h);
        }
    }
}

TEST(SurveyGeometry, OrientationTextNamesEveryChoice)
{
    EXPECT_EQ(OrientationText({}, 1), QStringLiteral("as measured"));
    EXPECT_EQ(OrientationText({}, 0), QStringLiteral("как измерено"));
    const QString all = OrientationText({true, true, true}, 1);
    EXPECT_TRUE(all.contains(QStringLiteral("X axis mirrored")));
    EXPECT_TRUE(all.contains(QStringLiteral("Y axis mirrored")));
    EXPECT_TRUE(all.contains(QStringLiteral("90°")));
}

TEST(SurveyGeometry, ScaleBarIsARoundLengthThatFits)
{
    const std::pair<double, double> cases[] = {{1, 1}, {1.9, 1},   {2, 2},     {4.99, 2},
                                               {7, 5}, {0.3, 0.2}, {180, 100}, {0, 0}};
    for (auto [maximum, length] : cases) EXPECT_DOUBLE_EQ(ScaleBarLength(maximum), length) << maximum;
}

TEST(IsoLines, AutomaticIntervalGivesAtMostTwelveLinesAndNoFewerThanNeeded)
{
    const double nice[] = {1, 2, 2.5, 5};
    const std::pair<double, double> ranges[] = {{-480, -120}, {-351, -349}, {3, 250},
                                                {0.5, 0.9},   {-12, 12},    {100, 101}};
    for (auto [min, max] : ranges) {
        const double interval = AutoInterval(min, max);
        ASSERT_GT(interval, 0) << min << ' ' << max;
        const auto levels = IntervalLevels(min, max, interval);
        EXPECT_LE(levels.size(), 12u) << min << ' ' << max;
        // The next finer round interval would have been too many lines.
        const double decade = std::pow(10.0, std::floor(std::log10(interval) + 1e-9));
        double finer = 0;
        for (double m : nice)
            for (double d : {decade / 10, decade})
                if (m * d < interval * (1 - 1e-9)) finer = std::max(finer, m * d);
        EXPECT_GT(IntervalLevels(min, max, finer, 100000).size(), 12u)
            << min << ' ' << max << " at " << finer;
    }
    EXPECT_DOUBLE_EQ(AutoInterval(-480, -120), 50);
    EXPECT_EQ(AutoInterval(5, 5), 0);
}

TEST(IsoLines, LabelsTakeTheFirstFreeCandidate)
{
    const LabelBox a{0, 0, 30, 10}, b{20, 5, 30, 10}, c{100, 0, 30, 10};
    // Line 1 cannot take b (it overlaps line 0's label) and falls back to c; line 2's only
    // candidate lies on a measured point and stays unlabelled.
    const std::vector<std::vector<LabelBox>> candidates{{a}, {b, c}, {{200, 0, 30, 10}}};
    const std::vector<GridPoint> points{{215, 5}};
    const auto placed = PlaceLabels(candidates, points, 3);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].line, 0);
    EXPECT_EQ(placed[1].line, 1);
    EXPECT_EQ(placed[1].box.x, 100);
    // A point just outside the clearance does not block a label.
    EXPECT_EQ(PlaceLabels({{{200, 0, 30, 10}}}, {{235, 5}}, 3).size(), 1u);
    EXPECT_EQ(PlaceLabels({{{200, 0, 30, 10}}}, {{232, 5}}, 3).size(), 0u);
}

TEST(IsoLines, PlacedLabelsNeverOverlapNorCoverAPoint)
{
    std::mt19937 random(25);
    std::uniform_real_distribution<double> at(0, 400);
    for (int round = 0; round < 50; ++round) {
        std::vector<GridPoint> points;
        for (int k = 0; k < 30; ++k) points.push_back({at(random), at(random)});
        std::vector<std::vector<LabelBox>> candidates(12);
        for (auto& line : candidates)
            for (int k = 0; k < 6; ++k) line.push_back({at(random), at(random), 36, 12});
        const auto placed = PlaceLabels(candidates, points, 4);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            for (std::size_t j = i + 1; j < placed.size(); ++j)
                EXPECT_FALSE(placed[i].box.overlaps(placed[j].box));
            const LabelBox& b = placed[i].box;
            for (const GridPoint& p : points)
                EXPECT_FALSE(p.x > b.x - 4 && p.x < b.x + b.w + 4 && p.y > b.y - 4 && p.y < b.y + b.h + 4 &&
                             std::hypot(std::max({b.x - p.x, 0.0, p.x - b.x - b.w}),
                                        std::max({b.y - p.y, 0.0, p.y - b.y - b.h})) < 4);
        }
    }
}
