#include "ChartPainter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

const QColor kGradientEnd(0, 128, 255);
const QColor kBackWall(255, 128, 64);
const QColor kLeftWall(255, 255, 0);
constexpr int kWallAlpha = 77; // 70 % transparent
constexpr double kTickLength = 5;
constexpr double kLabelGap = 8;

QFont LabelFont(const QPainter& painter)
{
    QFont f = painter.font();
    f.setPixelSize(12);
    f.setBold(false);
    return f;
}

QFont TitleFont(const QPainter& painter)
{
    QFont f = painter.font();
    f.setPixelSize(16);
    f.setBold(true);
    return f;
}

// Keeps texts from covering each other: a text whose box meets one already drawn is left out.
class LabelPlacer {
public:
    explicit LabelPlacer(QPainter& p) : p_(p) {}

    bool draw(const QRectF& box, int flags, const QString& text)
    {
        for (const QRectF& r : taken_)
            if (r.intersects(box)) return false;
        taken_.push_back(box);
        p_.drawText(box, flags, text);
        return true;
    }
    void reserve(const QRectF& box) { taken_.push_back(box); }

private:
    QPainter& p_;
    std::vector<QRectF> taken_;
};

void DrawBackground(QPainter& p, const QRect& rect)
{
    // White at the top, RGB(0,128,255) at the bottom, their half-way mix at 88 % down.
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, Qt::white);
    g.setColorAt(0.88, QColor(127, 191, 255));
    g.setColorAt(1, kGradientEnd);
    p.fillRect(rect, g);
    // The lowered outer bevel.
    p.setPen(QColor(128, 128, 128));
    p.drawLine(rect.topLeft(), rect.topRight());
    p.drawLine(rect.topLeft(), rect.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(rect.bottomLeft(), rect.bottomRight());
    p.drawLine(rect.topRight(), rect.bottomRight());
}

// One axis's ticks: a mark from the tick's point `at(along)` by `mark`, and its label in the
// box `labelBox(point, width)` gives. The width of the widest label drawn.
template <class At, class LabelBox>
double DrawTicks(QPainter& p, LabelPlacer& placer, const QFontMetricsF& fm,
                 const std::vector<AxisTick>& ticks, At at, QPointF mark, int flags, LabelBox labelBox)
{
    double widest = 0;
    for (const AxisTick& t : ticks) {
        const QPointF q = at(t.along);
        p.drawLine(q, q + mark);
        const double w = fm.horizontalAdvance(t.label);
        if (placer.draw(labelBox(q, w), flags, t.label)) widest = std::max(widest, w);
    }
    return widest;
}

QPolygonF Face(const BoxProjection& box, std::initializer_list<int> corners)
{
    QPolygonF poly;
    for (int c : corners) poly << box.corner(c);
    return poly;
}

// The surfaces, farthest pieces first.
void DrawSurfaces(QPainter& p, const std::vector<DiagramSurface>& surfaces, const ChartRanges& ranges,
                  const BoxProjection& box, int gridStep)
{
    std::vector<ChartPrimitive> pieces;
    // Room for the pieces up front: a hundred thousand of them would otherwise be copied
    // over several times as the list grows. A grid thins with the square of the step; a
    // lone point stays one piece.
    std::size_t expected = 16;
    const auto thinning = std::size_t(std::max(1, gridStep * gridStep));
    for (const DiagramSurface& s : surfaces)
        if (s.visible) expected += s.points.size() <= 1 ? s.points.size() : s.points.size() / thinning + 1;
    pieces.reserve(expected);
    for (std::size_t i = 0; i < surfaces.size(); ++i)
        if (surfaces[i].visible && surfaces[i].transparency < 100)
            AppendSurfacePrimitives(surfaces[i], int(i), ranges, gridStep, pieces);
    const ProjectedPieces projected = ProjectInDepthOrder(pieces, box);
    // Smoothing costs three quarters of a frame once cells are many; small cells hide its
    // lack, so only a few large ones get it.
    p.setRenderHint(QPainter::Antialiasing, pieces.size() <= 600);
    // Paint by look, not by surface. Surfaces take their colours from a short sequence, so
    // even a hundred thousand one-point surfaces share a handful of looks: pens and brushes
    // are made once per look, set only when the look changes, and the drawing pass, which
    // visits surfaces in depth order, reads a small table rather than one spread over
    // megabytes. Cell edges are cosmetic lines, the rasteriser's quick path; past some tens
    // of thousands of cells they would only darken the whole surface, and filling alone is
    // much quicker. Lone points need neither pen nor brush: they are two plain fills.
    struct Look {
        QColor fill, edge;
        QBrush brush;
        QPen edgePen, linePen;
    };
    const bool outlined = pieces.size() <= 20000;
    std::vector<Look> looks;
    std::vector<std::uint32_t> lookOf(surfaces.size());
    std::unordered_map<std::uint64_t, std::uint32_t> lookIndex;
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        const int alpha = 255 * (100 - std::clamp(surfaces[i].transparency, 0, 100)) / 100;
        const std::uint64_t key = std::uint64_t(surfaces[i].color.rgba()) << 8 | std::uint64_t(alpha);
        auto [known, added] = lookIndex.try_emplace(key, std::uint32_t(looks.size()));
        lookOf[i] = known->second;
        if (!added) continue;
        Look look;
        look.fill = surfaces[i].color;
        look.fill.setAlpha(alpha);
        look.edge = surfaces[i].color.darker(160);
        look.edge.setAlpha(alpha);
        look.brush = QBrush(look.fill);
        look.linePen = QPen(look.fill, 2.5, Qt::SolidLine, Qt::RoundCap);
        look.edgePen = QPen(look.edge, 0);
        look.edgePen.setCosmetic(true);
        looks.push_back(look);
    }
    // What the painter holds; QPainter compares a pen on every set, which alone cost a
    // tenth of a large frame.
    const QPen noEdges(Qt::NoPen);
    const QPen* penSet = nullptr;
    const QBrush* brushSet = nullptr;
    auto usePen = [&](const QPen& pen) {
        if (&pen != penSet) p.setPen(pen);
        penSet = &pen;
    };
    for (const ProjectedPiece& c : projected.pieces) {
        const Look& look = looks[lookOf[std::size_t(c.surface)]];
        const QPointF* corners = projected.corners.data() + c.first;
        if (c.kind == PrimitiveKind::Dot) {
            // A framed square on whole pixels, the fill's quickest path.
            const QPoint q = corners[0].toPoint();
            p.fillRect(QRect(q.x() - 3, q.y() - 3, 7, 7), look.edge);
            p.fillRect(QRect(q.x() - 2, q.y() - 2, 5, 5), look.fill);
            continue;
        }
        if (c.kind == PrimitiveKind::Segment) {
            usePen(look.linePen);
            p.drawLine(corners[0], corners[1]);
            continue;
        }
        usePen(outlined ? look.edgePen : noEdges);
        if (&look.brush != brushSet) p.setBrush(look.brush);
        brushSet = &look.brush;
        p.drawPolygon(corners, c.count);
    }
}

// Point marks above every surface that shows them.
void DrawMarks(QPainter& p, const std::vector<DiagramSurface>& surfaces, const ChartRanges& ranges,
               const BoxProjection& box, const QFontMetricsF& fm)
{
    const double th = fm.height();
    const QLocale locale;
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        const DiagramSurface& s = surfaces[i];
        if (!s.visible || !s.marksVisible) continue;
        for (const DiagramPoint& pt : s.points) {
            // A value beyond the axis range keeps its mark, at the box's edge where the
            // surface is cut; the mark still names the value itself.
            BoxPoint b = ToBox(pt, s.axis, ranges);
            b.u = std::clamp(b.u, 0.0, 1.0);
            b.v = std::clamp(b.v, 0.0, 1.0);
            b.w = std::clamp(b.w, 0.0, 1.0);
            const QPointF q = box.map(b);
            const QString text = MarkText(pt.y, locale);
            const double w = fm.horizontalAdvance(text) + 6;
            const QRectF r(q.x() - w / 2, q.y() - 8 - th - 2, w, th + 2);
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(q, QPointF(q.x(), r.bottom()));
            p.setBrush(QColor(255, 255, 225));
            p.drawRect(r);
            p.drawText(r, Qt::AlignCenter, text);
        }
    }
}

// Axis titles outside the labels; the extents are the room the labels took beside each axis.
void DrawTitles(QPainter& p, const BoxProjection& box, const ChartTitles& titles, const QFontMetricsF& fm,
                double leftExtent, double rightExtent, double bottomExtent)
{
    auto at = [&box](double u, double v, double w) { return box.map({u, v, w}); };
    const double th = fm.height();
    const QFont titleFont = TitleFont(p);
    const QFontMetricsF tm(titleFont);
    p.setFont(titleFont);
    p.setPen(Qt::black);
    auto rotated = [&](const QPointF& centre, double degrees, const QString& text) {
        p.save();
        p.translate(centre);
        p.rotate(degrees);
        const double w = tm.horizontalAdvance(text);
        p.drawText(QRectF(-w / 2, -tm.height() / 2, w, tm.height()), Qt::AlignCenter, text);
        p.restore();
    };
    {
        const QPointF lo = at(0, 0, 0), hi = at(0, 1, 0);
        const double x = std::min(lo.x(), hi.x()) - kLabelGap - leftExtent - 6 - tm.height() / 2;
        rotated(QPointF(x, (lo.y() + hi.y()) / 2), -90, titles.left);
    }
    {
        const QPointF lo = at(1, 0, 1), hi = at(1, 1, 1);
        const double x = std::max(lo.x(), hi.x()) + kLabelGap + rightExtent + 6 + tm.height() / 2;
        rotated(QPointF(x, (lo.y() + hi.y()) / 2), 90, titles.right);
    }
    {
        const QPointF a = at(0, 0, 0), b = at(1, 0, 0);
        const double y = std::max(a.y(), b.y()) + kLabelGap + bottomExtent + 4 + tm.height() / 2;
        rotated(QPointF((a.x() + b.x()) / 2, y), 0, titles.bottom);
    }
    {
        // Along the depth axis, below and right of its labels.
        const QPointF a = at(1, 0, 0), b = at(1, 0, 1);
        double angle = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180 / M_PI;
        if (angle > 90) angle -= 180;
        if (angle < -90) angle += 180;
        const QPointF mid = (a + b) / 2 + QPointF(kLabelGap + fm.horizontalAdvance(QStringLiteral("000")) + 8,
                                                  th + tm.height() / 2 + 4);
        rotated(mid, angle, titles.depth);
    }
}

} // namespace

QRectF ChartPainter::plotRect(const QRect& rect)
{
    // Room for the labels and titles beside the box; the box's own turn and perspective
    // are inside the zoom.
    const double side = std::clamp(rect.width() * 0.09, 60.0, 110.0);
    return QRectF(rect).adjusted(side, 16, -side, -std::clamp(rect.height() * 0.16, 60.0, 150.0));
}

int ChartPainter::coarseStep(const std::vector<DiagramSurface>& surfaces, int cells)
{
    std::size_t points = 0;
    for (const DiagramSurface& s : surfaces)
        if (s.visible) points += s.points.size();
    if (cells <= 0 || points <= std::size_t(cells)) return 1;
    // Cells fall with the square of the step across and in depth.
    return int(std::ceil(std::sqrt(double(points) / cells)));
}

void ChartPainter::paint(QPainter& p, const QRect& rect, const std::vector<DiagramSurface>& surfaces,
                         const ChartView& view, const ChartTitles& titles, int gridStep)
{
    p.save();
    p.setClipRect(rect);
    DrawBackground(p, rect);

    const ChartRanges ranges = RangesFor(surfaces, view);
    const BoxProjection box(view, plotRect(rect));
    auto at = [&box](double u, double v, double w) { return box.map({u, v, w}); };
    auto line = [&](const BoxPoint& a, const BoxPoint& b) { p.drawLine(box.map(a), box.map(b)); };

    p.setRenderHint(QPainter::Antialiasing, true);

    // Walls: back (w = 1) and left (u = 0); no floor.
    p.setPen(QPen(QColor(96, 96, 96), 1));
    p.setBrush(QColor(kBackWall.red(), kBackWall.green(), kBackWall.blue(), kWallAlpha));
    p.drawPolygon(Face(box, {4, 5, 7, 6}));
    p.setBrush(QColor(kLeftWall.red(), kLeftWall.green(), kLeftWall.blue(), kWallAlpha));
    p.drawPolygon(Face(box, {0, 4, 6, 2}));

    const QFont labelFont = LabelFont(p);
    const QFontMetricsF fm(labelFont);
    const ChartTicks ticks =
        TicksFor(ranges, box, fm.height() * 1.6, fm.horizontalAdvance(QStringLiteral("0000")));

    // Grid lines on the walls, at the left, bottom and depth ticks.
    p.setPen(QPen(QColor(80, 80, 80, 140), 1, Qt::DotLine));
    for (const AxisTick& t : ticks.left) {
        line({0, t.along, 1}, {1, t.along, 1});
        line({0, t.along, 0}, {0, t.along, 1});
    }
    for (const AxisTick& t : ticks.bottom) line({t.along, 0, 1}, {t.along, 1, 1});
    for (const AxisTick& t : ticks.depth) line({0, 0, t.along}, {0, 1, t.along});

    DrawSurfaces(p, surfaces, ranges, box, gridStep);
    p.setRenderHint(QPainter::Antialiasing, true);

    // Axis lines and their ticks.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    line({0, 0, 0}, {0, 1, 0});
    line({1, 0, 1}, {1, 1, 1});
    line({0, 0, 0}, {1, 0, 0});
    line({1, 0, 0}, {1, 0, 1});

    p.setFont(labelFont);
    LabelPlacer placer(p);
    const double th = fm.height();
    const double leftExtent = DrawTicks(
        p, placer, fm, ticks.left, [&](double v) { return at(0, v, 0); }, QPointF(-kTickLength, 0),
        Qt::AlignRight | Qt::AlignVCenter,
        [&](QPointF q, double w) { return QRectF(q.x() - kLabelGap - w, q.y() - th / 2, w, th); });
    DrawTicks(
        p, placer, fm, ticks.bottom, [&](double u) { return at(u, 0, 0); }, QPointF(0, kTickLength),
        Qt::AlignCenter,
        [&](QPointF q, double w) { return QRectF(q.x() - w / 2, q.y() + kLabelGap, w, th); });
    const double bottomExtent = ticks.bottom.empty() ? 0 : th;
    DrawTicks(
        p, placer, fm, ticks.depth, [&](double w) { return at(1, 0, w); },
        QPointF(kTickLength, kTickLength * 0.6), Qt::AlignLeft | Qt::AlignVCenter,
        [&](QPointF q, double w) { return QRectF(q.x() + kLabelGap, q.y() + 2, w, th); });
    const double rightExtent = DrawTicks(
        p, placer, fm, ticks.right, [&](double v) { return at(1, v, 1); }, QPointF(kTickLength, 0),
        Qt::AlignLeft | Qt::AlignVCenter,
        [&](QPointF q, double w) { return QRectF(q.x() + kLabelGap, q.y() - th / 2, w, th); });

    DrawMarks(p, surfaces, ranges, box, fm);
    DrawTitles(p, box, titles, fm, leftExtent, rightExtent, bottomExtent);
    p.restore();
}
