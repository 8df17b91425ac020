// The break-out map puts its numbered markers where the worst positions are on the grid.
#include "analysis/BreakOutPainter.h"
#include "SurveyFixture.h"
#include "analysis/MapPainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

TEST(BreakOutMap, MarkersSitOnTheWorstPositionsInNumberOrder)
{
    // 3 series × 4 points; -400 mV at series 1 point 4 and series 3 point 1, the rest passive.
    std::vector<FixtureRow> rows = LatestFirst("Мост", 0, 3, 4, [](int s, int p) {
        return QString::number((s == 1 && p == 4) || (s == 3 && p == 1) ? -400 : -100);
    });
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 1u);
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRectF area(0, 0, 600, 400);
    std::vector<QPointF> centres;
    {
        QPainter p(&image);
        centres = PaintBreakOutMap(p, area, surveys[0], {-200, -350}, LengthUnit::Centimetre, {}, 1);
    }
    ASSERT_EQ(centres.size(), 2u);
    for (const QPointF& c : centres) EXPECT_TRUE(area.contains(c));
    // Number 1 is series 1 point 4: right and low; number 2 is series 3 point 1: left and high.
    EXPECT_GT(centres[0].x(), centres[1].x());
    EXPECT_GT(centres[0].y(), centres[1].y());
    // The marker is painted there (a pixel beside the number, inside the disc).
    for (const QPointF& c : centres) {
        const QColor seen = image.pixelColor((c + QPointF(0, 5)).toPoint());
        EXPECT_GT(seen.red(), 150);
        EXPECT_LT(seen.green(), 80);
    }

    // Engineer's thresholds below every reading: no markers.
    QPainter p(&image);
    EXPECT_TRUE(PaintBreakOutMap(p, area, surveys[0], {-450, -500}, LengthUnit::Centimetre, {}, 1).empty());
}

TEST(BreakOutMap, MarkersLieAsTheMapPlacesThemInEveryOrientation)
{
    // Steps of 20 and 50: the marks' spacing shows whether the steps are honoured too.
    std::vector<FixtureRow> rows = LatestFirst("Мост", 0, 3, 4, [](int s, int p) {
        return QString::number((s == 1 && p == 4) || (s == 3 && p == 1) || (s == 3 && p == 3) ? -400 : -100);
    });
    for (FixtureRow& r : rows) {
        r.stepX = 20;
        r.stepY = 50;
    }
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 1u);
    const QRectF area(0, 0, 640, 480);
    const Orientation orientations[] = {
        {}, {true, false, false}, {false, true, false}, {false, false, true}, {true, true, true}};
    for (const Orientation& o : orientations) {
        SCOPED_TRACE(OrientationText(o, 1).toStdString());
        QImage image(640, 480, QImage::Format_RGB32);
        QPainter p(&image);
        const std::vector<QPointF> marks =
            PaintBreakOutMap(p, area, surveys[0], {-200, -350}, LengthUnit::Metre, o, 1);
        MapOptions options;
        options.orientation = o;
        options.length = LengthUnit::Metre;
        const SurveyMap map(surveys[0], nullptr, options);
        // Series 1 point 4, series 3 point 1, series 3 point 3 in number order.
        const QPointF onMap[] = {map.positionOf(area, 4, 1), map.positionOf(area, 1, 3),
                                 map.positionOf(area, 3, 3)};
        ASSERT_EQ(marks.size(), 3u);
        // The same shape: every distance between marks in the same ratio as on the map.
        const auto distance = [](QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); };
        const double ratio = distance(marks[0], marks[1]) / distance(onMap[0], onMap[1]);
        for (auto [a, b] : {std::pair{0, 2}, std::pair{1, 2}})
            EXPECT_NEAR(distance(marks[a], marks[b]) / distance(onMap[a], onMap[b]), ratio, 1e-6);
        // And the same way round: the directions from mark 1 to the others agree.
        for (int k : {1, 2}) {
            const QPointF m = marks[k] - marks[0], d = onMap[k] - onMap[0];
            EXPECT_NEAR(m.x() * d.x() + m.y() * d.y(), std::hypot(m.x(), m.y()) * std::hypot(d.x(), d.y()),
                        1e-6 * std::hypot(d.x(), d.y()) * std::hypot(m.x(), m.y()))
                << k;
        }
    }
}

TEST(GridSketch, OriginSitsInTheCornerTheMapPutsItIn)
{
    std::vector<FixtureRow> rows =
        LatestFirst("Мост", 0, 3, 5, [](int, int) { return QStringLiteral("-150"); });
    const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 1u);
    const QRectF area(0, 0, 500, 400);
    const Orientation orientations[] = {
        {}, {true, false, false}, {false, true, false}, {false, false, true}, {true, false, true}};
    for (const Orientation& o : orientations) {
        SCOPED_TRACE(OrientationText(o, 1).toStdString());
        QImage image(500, 400, QImage::Format_RGB32);
        QPainter p(&image);
        const QPointF origin = PaintGridSketch(p, area, surveys[0], LengthUnit::Centimetre, o, 1);
        MapOptions options;
        options.orientation = o;
        const SurveyMap map(surveys[0], nullptr, options);
        // On the map, the origin's side of the survey's middle (series 2 point 3); on the sketch,
        // drawn centred in its area, its side of the area's middle.
        const QPointF mapOrigin = map.positionOf(area, 1, 1), mapMiddle = map.positionOf(area, 3, 2);
        const QPointF middle = area.center();
        const auto sign = [](double v) { return v > 1e-6 ? 1 : v < -1e-6 ? -1 : 0; };
        EXPECT_EQ(sign(origin.x() - middle.x()), sign(mapOrigin.x() - mapMiddle.x()));
        EXPECT_EQ(sign(origin.y() - middle.y()), sign(mapOrigin.y() - mapMiddle.y()));
        EXPECT_TRUE(area.contains(origin));
    }
}
