// The break-out map puts its numbered markers where the worst positions are on the grid.
#include "analysis/BreakOutPainter.h"
#include "SurveyFixture.h"

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
        centres = PaintBreakOutMap(p, area, surveys[0], {-200, -350}, 1);
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
    EXPECT_TRUE(PaintBreakOutMap(p, area, surveys[0], {-450, -500}, 1).empty());
}
