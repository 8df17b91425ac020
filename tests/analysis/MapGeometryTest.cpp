// The map drawn in the chosen orientation, and one series or one point drawn without an
// invented area.
#include "SurveyFixture.h"
#include "analysis/MapPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

std::vector<SurveyObject> Surveys(int series, int points)
{
    std::vector<FixtureRow> rows;
    for (int s = 1; s <= series; ++s)
        for (int p = 1; p <= points; ++p) {
            FixtureRow r;
            r.series = s;
            r.point = p;
            r.length = points;
            r.value = QString::number(-150 - 40 * p - 30 * s);
            r.time = QStringLiteral("10:%1:00").arg(10 + s * points + p);
            rows.push_back(r);
        }
    return GroupSurveys(FixtureTable(rows));
}

} // namespace

TEST(MapGeometry, OrientationPutsPointsWhereTheDrawingHasThem)
{
    const auto surveys = Surveys(2, 3);
    ASSERT_EQ(surveys.size(), 1u);
    const QRectF area(0, 0, 700, 450);
    struct Case {
        Orientation o;
        int dx, dy; // direction of point 3 from point 1 on screen (y down), and of series 2
        int sx, sy;
    };
    const Case cases[] = {
        {{}, 1, 0, 0, -1},
        {{true, false, false}, -1, 0, 0, -1},
        {{false, true, false}, 1, 0, 0, 1},
        {{false, false, true}, 0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        MapOptions options;
        options.orientation = c.o;
        const SurveyMap map(surveys[0], nullptr, options);
        const QPointF origin = map.positionOf(area, 1, 1);
        const QPointF end = map.positionOf(area, 3, 1);
        const QPointF next = map.positionOf(area, 1, 2);
        SCOPED_TRACE(OrientationText(c.o, 1).toStdString());
        auto sign = [](double v) { return v > 1e-6 ? 1 : v < -1e-6 ? -1 : 0; };
        EXPECT_EQ(sign(end.x() - origin.x()), c.dx);
        EXPECT_EQ(sign(end.y() - origin.y()), c.dy);
        EXPECT_EQ(sign(next.x() - origin.x()), c.sx);
        EXPECT_EQ(sign(next.y() - origin.y()), c.sy);
        EXPECT_TRUE(area.contains(origin) && area.contains(end) && area.contains(next));
        // The map answers for the point where it drew it.
        EXPECT_EQ(map.rowsAt(area, end), std::vector<int>{surveys[0].points[2].row});
    }
}

TEST(MapGeometry, OneSeriesAndOnePointAreNotFilledIn)
{
    for (int points : {1, 4}) {
        const auto surveys = Surveys(1, points);
        ASSERT_EQ(surveys.size(), 1u);
        MapOptions options;
        options.lang = 1;
        const SurveyMap map(surveys[0], nullptr, options);
        QImage image(700, 450, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        map.paint(painter, image.rect());
        painter.end();
        const QPointF first = map.positionOf(image.rect(), 1, 1);
        // Each reading shows as a disc in its class colour (around the measured-point dot)...
        const QColor shown = image.pixelColor((first + QPointF(0, 4.5)).toPoint());
        EXPECT_EQ(shown, PotentialClassColor(ClassifyPotential(surveys[0].points[0].value,
                                                               ThresholdsFor(Electrode::CuCuSO4))))
            << points;
        // ...but beside the series, a few pixels away from the discs, the plot stays white.
        const QPoint beside = (first + QPointF(0, -14)).toPoint();
        EXPECT_EQ(image.pixelColor(beside), QColor(Qt::white)) << points;
    }
}

TEST(MapGeometry, FillIsTheBilinearValueInItsColourPixelByPixel)
{
    // 4 series × 5 points with series 2 point 3 missing: the gap must stay empty around it.
    std::vector<FixtureRow> rows;
    for (int s = 1; s <= 4; ++s)
        for (int p = 1; p <= 5; ++p) {
            if (s == 2 && p == 3) continue;
            FixtureRow r;
            r.series = s;
            r.point = p;
            r.value = QString::number(-120 - 37 * p - 41 * s + (p * s) % 3 * 13);
            r.time = QStringLiteral("10:%1:00").arg(10 + s * 5 + p);
            rows.push_back(r);
        }
    const auto surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 1u);
    const SurveyObject& o = surveys[0];
    const std::vector<double> values = o.values();
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    for (const FillMode fill : {FillMode::Classes, FillMode::Continuous}) {
        MapOptions options;
        options.fill = fill;
        options.thresholds = PotentialThresholds{-230, -330};
        const SurveyMap map(o, nullptr, options);
        const QImage image = map.fillImage(97, 61);
        ASSERT_EQ(image.size(), QSize(97, 61));
        int empty = 0;
        for (int py = 0; py < image.height(); ++py)
            for (int px = 0; px < image.width(); ++px) {
                const double x = (px + 0.5) * (o.grid.columns() - 1) / image.width();
                const double y = (o.grid.rows() - 1) - (py + 0.5) * (o.grid.rows() - 1) / image.height();
                const double v = Bilinear(o.grid, x, y);
                QRgb want = 0; // transparent
                if (!std::isnan(v))
                    want = (fill == FillMode::Classes
                                ? PotentialClassColor(ClassifyPotential(v, *options.thresholds))
                                : ScaleColor((v - *lo) / (*hi - *lo)))
                               .rgba();
                else
                    ++empty;
                ASSERT_EQ(image.pixel(px, py), want) << px << ", " << py << " value " << v;
            }
        EXPECT_GT(empty, 0); // the gap shows
    }
}
