// The chart's geometry without a window: the view's projection, axis ticks, the surfaces
// cut into pieces and their depth order.
#include "diagram/ChartGeometry.h"
#include "DiagramFixture.h"
#include "diagram/ChartPainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <QImage>
#include <QPainter>

namespace {

const QRectF kPlot(100, 50, 800, 600);

double Distance(const QPointF& a, const QPointF& b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

TEST(BoxProjection, FrontViewFillsThePlotAtFullZoom)
{
    ChartView view;
    view.rotation = 360;
    view.elevation = 360;
    view.perspective = 0;
    view.zoom = 100;
    const BoxProjection box(view, kPlot);
    // Front corners: bottom left and top right of the plot; the back face lies behind them.
    EXPECT_NEAR(box.corner(0).x(), kPlot.left(), 1e-9);
    EXPECT_NEAR(box.corner(0).y(), kPlot.bottom(), 1e-9);
    EXPECT_NEAR(box.corner(3).x(), kPlot.right(), 1e-9);
    EXPECT_NEAR(box.corner(3).y(), kPlot.top(), 1e-9);
    EXPECT_NEAR(Distance(box.corner(4), box.corner(0)), 0, 1e-9);
    EXPECT_LT(box.depth({0, 0, 0}), box.depth({0, 0, 1}));
}

TEST(BoxProjection, StartViewShowsTheBoxFromAboveAndRight)
{
    const BoxProjection box(ChartView{}, kPlot);
    // Every corner inside the plot's surroundings at zoom 70.
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(kPlot.adjusted(-60, -60, 60, 60).contains(box.corner(i))) << "corner " << i;
    }
    // Top over bottom on every vertical edge.
    for (int i : {0, 1, 4, 5}) EXPECT_LT(box.corner(i + 2).y(), box.corner(i).y()) << "edge " << i;
    // Turned: the back lies right of the front and, seen from above, higher up.
    EXPECT_GT(box.corner(4).x(), box.corner(0).x());
    EXPECT_LT(box.corner(4).y(), box.corner(0).y());
    // The right side faces the viewer: its front edge is the nearest.
    EXPECT_LT(box.depth({1, 0, 0}), box.depth({0, 0, 0}));
    EXPECT_LT(box.depth({1, 0, 0}), box.depth({1, 0, 1}));
    // In perspective the back face looks smaller than the front one.
    EXPECT_LT(Distance(box.corner(4), box.corner(5)), Distance(box.corner(0), box.corner(1)));
    EXPECT_LT(Distance(box.corner(4), box.corner(6)), Distance(box.corner(0), box.corner(2)));
}

TEST(BoxProjection, ZoomScalesAboutTheCentreAndMoveShifts)
{
    ChartView view;
    const BoxProjection at70(view, kPlot);
    view.zoom = 140;
    const BoxProjection at140(view, kPlot);
    view.move = QPointF(30, -20);
    const BoxProjection moved(view, kPlot);
    for (int i = 0; i < 8; ++i) {
        const QPointF a = at70.corner(i) - kPlot.center(), b = at140.corner(i) - kPlot.center();
        EXPECT_NEAR(b.x(), 2 * a.x(), 1e-6);
        EXPECT_NEAR(b.y(), 2 * a.y(), 1e-6);
        EXPECT_NEAR(moved.corner(i).x(), at140.corner(i).x() + 30, 1e-6);
        EXPECT_NEAR(moved.corner(i).y(), at140.corner(i).y() - 20, 1e-6);
    }
    // Parallel projection: opposite faces are the same size.
    view = ChartView{};
    view.perspective = 0;
    const BoxProjection flat(view, kPlot);
    EXPECT_NEAR(Distance(flat.corner(4), flat.corner(5)), Distance(flat.corner(0), flat.corner(1)), 1e-6);
}

TEST(AxisTicks, WholeNumbersAtReadableSteps)
{
    struct Case {
        AxisRange range;
        double length, spacing;
        std::vector<double> ticks;
    };
    auto from = [](double a, double b, double step) {
        std::vector<double> v;
        for (double t = a; t <= b; t += step) v.push_back(t);
        return v;
    };
    const Case cases[]{
        {{-999, 999}, 600, 24, from(-900, 900, 100)}, // 25 labels fit: step 100
        {{-999, 999}, 2000, 24, from(-950, 950, 50)},
        {{0, 999}, 300, 24, from(0, 900, 100)},
        {{1, 12}, 500, 24, from(1, 12, 1)}, // never below 1
        {{1, 12}, 100, 24, {5, 10}},
        {{0.5, 1.5}, 300, 24, {1}}, // one series in the middle
        {{0.2, 0.8}, 300, 24, {}},  // no whole number inside
        {{5, 5}, 300, 24, {}},      // no span
        {{-3, 3}, 300, 24, from(-3, 3, 1)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AxisTicks(c.range, c.length, c.spacing), c.ticks)
            << c.range.min << ".." << c.range.max << " over " << c.length;
}

} // namespace

// Found by gtest next to AxisTick, for readable failures.
void PrintTo(const AxisTick& t, std::ostream* os) { *os << t.along << " \"" << t.label.toStdString() << '"'; }

namespace {

TEST(ChartTicks, EachAxisLabelledAlongItsOwnEdge)
{
    ChartRanges ranges;
    ranges.bottom = {1, 5};
    ranges.depth = {1, 3};
    // A plot large enough for a label at every whole point and series.
    const BoxProjection box(ChartView{}, QRectF(0, 0, 2000, 2000));
    const ChartTicks ticks = TicksFor(ranges, box, 24, 24);
    EXPECT_EQ(ticks.bottom,
              (std::vector<AxisTick>{{0, "1"}, {0.25, "2"}, {0.5, "3"}, {0.75, "4"}, {1, "5"}}));
    // In value order; the largest series is in front, where the depth axis starts.
    EXPECT_EQ(ticks.depth, (std::vector<AxisTick>{{1, "1"}, {0.5, "2"}, {0, "3"}}));
    // The vertical axes keep their own fixed scales: -999..999 mV and 0..999 kOhm*cm.
    for (const auto& [axis, range] :
         {std::pair{&ticks.left, ranges.left}, std::pair{&ticks.right, ranges.right}}) {
        ASSERT_FALSE(axis->empty());
        for (const AxisTick& t : *axis) {
            bool whole = false;
            const int value = t.label.toInt(&whole);
            ASSERT_TRUE(whole) << t.label.toStdString();
            EXPECT_DOUBLE_EQ(t.along, (value - range.min) / range.span()) << value;
        }
    }
    EXPECT_TRUE(std::any_of(ticks.left.begin(), ticks.left.end(),
                            [](const AxisTick& t) { return t.label == "0" && t.along == 0.5; }));
    EXPECT_TRUE(std::none_of(ticks.left.begin(), ticks.left.end(),
                             [](const AxisTick& t) { return t.label == "-0"; }));

    // The bottom axis's own spacing thins its labels only.
    const ChartTicks wideBottom = TicksFor(ranges, box, 24, 1e5);
    EXPECT_EQ(wideBottom.bottom, (std::vector<AxisTick>{{1, "5"}}));
    EXPECT_EQ(wideBottom.left, ticks.left);
    EXPECT_EQ(wideBottom.depth, ticks.depth);
    // A smaller chart has fewer labels on the same range.
    const BoxProjection small(ChartView{}, QRectF(0, 0, 200, 150));
    EXPECT_LT(TicksFor(ranges, small, 24, 24).left.size(), ticks.left.size());
}

DiagramSurface Grid(int nx, int nz, double y = -200)
{
    DiagramSurface s;
    for (int z = 1; z <= nz; ++z)
        for (int x = 1; x <= nx; ++x) s.points.push_back({double(x), y + x + 10 * z, double(z)});
    return s;
}

struct PieceCount {
    int quads = 0, segments = 0, dots = 0;
    bool operator==(const PieceCount&) const = default;
};
std::ostream& operator<<(std::ostream& os, const PieceCount& c)
{
    return os << c.quads << " quads, " << c.segments << " segments, " << c.dots << " dots";
}

PieceCount Count(const std::vector<ChartPrimitive>& pieces)
{
    PieceCount c;
    for (const ChartPrimitive& p : pieces)
        (p.kind == PrimitiveKind::Quad ? c.quads : p.kind == PrimitiveKind::Segment ? c.segments : c.dots)++;
    return c;
}

std::vector<ChartPrimitive> Pieces(const DiagramSurface& s, int step = 1)
{
    std::vector<DiagramSurface> list{s};
    std::vector<ChartPrimitive> out;
    AppendSurfacePrimitives(s, 0, RangesFor(list, ChartView{}), step, out);
    return out;
}

TEST(SurfacePrimitives, EveryMeasurementStaysVisible)
{
    struct Case {
        std::string title;
        DiagramSurface surface;
        PieceCount expected;
    };
    DiagramSurface incomplete = Grid(5, 1); // series 1 complete, series 2 holds points 1 and 2
    incomplete.points.push_back({1, -5, 2});
    incomplete.points.push_back({2, -6, 2});
    DiagramSurface holed = Grid(3, 3);
    holed.points.erase(holed.points.begin() + 4); // the middle point
    const Case cases[]{
        {"full grid", Grid(4, 3), {6, 0, 0}},
        {"single series", Grid(5, 1), {0, 4, 0}},
        {"single point per series", Grid(1, 4), {0, 3, 0}},
        {"single point", Grid(1, 1), {0, 0, 1}},
        // One cell; series 1 goes on from point 2 to 5 as a line.
        {"incomplete last series", incomplete, {1, 3, 0}},
        // The middle point missing empties all four cells; the ring of edges remains.
        {"missing point", holed, {0, 8, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(Count(Pieces(c.surface)), c.expected) << c.title;
}

TEST(SurfacePrimitives, LaterRowWinsAGridPlace)
{
    DiagramSurface s = Grid(2, 2);
    s.points.push_back({1, 500, 1}); // the same place as the first point, later
    std::vector<DiagramSurface> list{s};
    const ChartRanges ranges = RangesFor(list, ChartView{});
    const auto pieces = Pieces(s);
    ASSERT_EQ(Count(pieces), (PieceCount{1, 0, 0}));
    const double later = ToBox({1, 500, 1}, VerticalAxis::Left, ranges).v;
    bool found = false;
    for (int i = 0; i < pieces[0].count; ++i)
        found = found || std::abs(pieces[0].points[std::size_t(i)].v - later) < 1e-12;
    EXPECT_TRUE(found);
}

TEST(SurfacePrimitives, ValuesOutsideTheScaleAreCutAtTheBox)
{
    // Heights run from far below -999 to far above 999: the cells are cut, not dropped,
    // and nothing is drawn outside the box.
    DiagramSurface s;
    s.points = {{1, -3000, 1}, {2, 3000, 1}, {1, -3000, 2}, {2, 3000, 2}, {3, 5000, 1}, {3, 5000, 2}};
    const auto pieces = Pieces(s);
    ASSERT_FALSE(pieces.empty());
    double umin = 1, umax = 0;
    for (const ChartPrimitive& p : pieces) {
        for (int i = 0; i < p.count; ++i) {
            const BoxPoint& b = p.points[std::size_t(i)];
            EXPECT_GE(b.v, -1e-12);
            EXPECT_LE(b.v, 1 + 1e-12);
            umin = std::min(umin, b.u);
            umax = std::max(umax, b.u);
        }
    }
    // The first cell (u 0..0.5) rises from -3000 to 3000: only the part between -999 and
    // 999 is inside. The cell over the top drops out.
    EXPECT_NEAR(umin, 0.5 * (3000 - 999) / 6000, 1e-9);
    EXPECT_NEAR(umax, 0.5 * (3000 + 999) / 6000, 1e-9);
    EXPECT_EQ(Count(pieces).quads, 1);
}

TEST(SurfacePrimitives, CoarseGridKeepsTheEdges)
{
    const DiagramSurface s = Grid(10, 10);
    const PieceCount full = Count(Pieces(s, 1)), coarse = Count(Pieces(s, 3));
    EXPECT_EQ(full.quads, 81);
    // Lines 0, 3, 6, 9 across and in depth: 3 x 3 cells that still reach the last line.
    EXPECT_EQ(coarse.quads, 9);
}

TEST(DepthOrder, NearerQuadComesLater)
{
    // Two quads over each other, one near the front and one near the back.
    ChartPrimitive front, back;
    front.kind = back.kind = PrimitiveKind::Quad;
    front.count = back.count = 4;
    front.points = {BoxPoint{0.2, 0.5, 0.1}, {0.8, 0.5, 0.1}, {0.8, 0.5, 0.3}, {0.2, 0.5, 0.3}};
    back.points = {BoxPoint{0.2, 0.5, 0.7}, {0.8, 0.5, 0.7}, {0.8, 0.5, 0.9}, {0.2, 0.5, 0.9}};
    const std::vector<ChartPrimitive> pieces{front, back};
    EXPECT_EQ(DepthOrder(pieces, BoxProjection(ChartView{}, kPlot)), (std::vector<int>{1, 0}));
    // Seen from behind, the order turns round.
    ChartView behind;
    behind.rotation = 147;
    EXPECT_EQ(DepthOrder(pieces, BoxProjection(behind, kPlot)), (std::vector<int>{0, 1}));
}

TEST(RangesFor, SpanVisibleSurfacesOnly)
{
    std::vector<DiagramSurface> list{Grid(4, 3), Grid(9, 7)};
    ChartRanges r = RangesFor(list, ChartView{});
    EXPECT_EQ(r.bottom.min, 1);
    EXPECT_EQ(r.bottom.max, 9);
    EXPECT_EQ(r.depth.max, 7);
    list[1].visible = false;
    r = RangesFor(list, ChartView{});
    EXPECT_EQ(r.bottom.max, 4);
    EXPECT_EQ(r.depth.max, 3);
    // The fixed scales stay whatever is shown.
    EXPECT_EQ(r.left.min, -999);
    EXPECT_EQ(r.right.max, 999);
    // One series: its depth sits in the middle of the box.
    list = {Grid(4, 1)};
    r = RangesFor(list, ChartView{});
    EXPECT_DOUBLE_EQ(ToBox({2, 0, 1}, VerticalAxis::Left, r).w, 0.5);
    // The depth axis runs from the largest series in front to the smallest at the back.
    list = {Grid(2, 5)};
    r = RangesFor(list, ChartView{});
    EXPECT_DOUBLE_EQ(ToBox({1, 0, 5}, VerticalAxis::Left, r).w, 0);
    EXPECT_DOUBLE_EQ(ToBox({1, 0, 1}, VerticalAxis::Left, r).w, 1);
    EXPECT_DOUBLE_EQ(ToBox({1, 0, 1}, VerticalAxis::Right, r).v, 0);
}

TEST(MarkText, GroupsDigitsAndKeepsThreeDecimals)
{
    struct Case {
        double value;
        QLocale locale;
        QString text;
    };
    const QLocale en(QLocale::English, QLocale::UnitedStates), ru(QLocale::Russian, QLocale::Russia);
    const Case cases[]{
        {1234.5678, en, "1,234.568"}, {-350, en, "-350"},
        {12.5, ru, "12,5"},           {0.0004, en, "0"},
        {-0.0004, en, "0"},           {1000000, en, "1,000,000"},
        {999.9996, en, "1,000"},      {12.25, en, "12.25"},
    };
    for (const Case& c : cases) EXPECT_EQ(MarkText(c.value, c.locale), c.text) << c.value;
}

TEST(ChartPainter, LonePointsKeepTheirColourAndTransparency)
{
    // Surfaces of one point each, as a project whose object changes on every row gives.
    // Surfaces of one colour share their paint; one of them is half transparent and must
    // stay so, and one of another colour keeps its own.
    const QColor red(255, 0, 0), green(0, 160, 0);
    std::vector<DiagramSurface> surfaces(3);
    const double xs[] = {1, 5, 9};
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        surfaces[i].axis = VerticalAxis::Left;
        surfaces[i].points = {{xs[i], 0, 1}};
    }
    surfaces[0].color = red;
    surfaces[1].color = red;
    surfaces[1].transparency = 50;
    surfaces[2].color = green;
    // A wider depth axis than one series, so that the points lie inside the box.
    surfaces[2].points.push_back({9, 0, 3});

    QImage image(900, 700, QImage::Format_RGB32);
    const ChartView view;
    {
        QPainter p(&image);
        ChartPainter::paint(p, image.rect(), surfaces, view, ChartTitles{}, 1);
    }
    const ChartRanges ranges = RangesFor(surfaces, view);
    const BoxProjection box(view, ChartPainter::plotRect(image.rect()));
    auto pixelAt = [&](const DiagramSurface& s, std::size_t k) {
        return QColor(image.pixel(box.map(ToBox(s.points[k], s.axis, ranges)).toPoint()));
    };
    EXPECT_EQ(pixelAt(surfaces[0], 0), red);
    const QColor half = pixelAt(surfaces[1], 0);
    EXPECT_NE(half, red);
    EXPECT_GT(half.red(), 150) << "half transparent red over the chart's background";
    EXPECT_GT(half.green(), 10) << "the background must show through";
    // The green surface of two series is a line through its points in its colour.
    EXPECT_EQ(pixelAt(surfaces[2], 1).green(), 160);
}

} // namespace
