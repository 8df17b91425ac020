#include "ChartGeometry.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace {

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

AxisRange Spanning(double lo, double hi)
{
    if (!(lo <= hi)) return {0, 1};
    // One value still needs a span to be drawn across; it then sits in the middle.
    if (lo == hi) return {lo - 0.5, hi + 0.5};
    return {lo, hi};
}

// Sutherland-Hodgman against one side of the box: keeps the part where coordinate `axis`
// of the point is >= lo (lower side) or <= hi (upper side).
int ClipSide(const BoxPoint* in, int n, BoxPoint* out, int axis, double limit, bool lower)
{
    auto coord = [axis](const BoxPoint& p) { return axis == 0 ? p.u : axis == 1 ? p.v : p.w; };
    auto inside = [&](const BoxPoint& p) { return lower ? coord(p) >= limit : coord(p) <= limit; };
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const BoxPoint& a = in[i];
        const BoxPoint& b = in[(i + 1) % n];
        const bool ia = inside(a), ib = inside(b);
        if (ia) out[m++] = a;
        if (ia != ib) {
            const double t = (limit - coord(a)) / (coord(b) - coord(a));
            out[m++] = {a.u + t * (b.u - a.u), a.v + t * (b.v - a.v), a.w + t * (b.w - a.w)};
        }
    }
    return m;
}

bool Inside(const BoxPoint& p)
{
    return p.u >= 0 && p.u <= 1 && p.v >= 0 && p.v <= 1 && p.w >= 0 && p.w <= 1;
}

bool AllInside(const ChartPrimitive& c)
{
    for (int i = 0; i < c.count; ++i)
        if (!Inside(c.points[std::size_t(i)])) return false;
    return true;
}

// Cuts a polygon (3 or more corners) or a segment (2) to the box; false when nothing is left.
bool ClipToBox(ChartPrimitive& c)
{
    if (AllInside(c)) return true;
    if (c.count == 1) return false;
    if (c.count == 2) {
        // Liang-Barsky: the part of a + t (b - a), 0 <= t <= 1, inside all six sides.
        const BoxPoint a = c.points[0], b = c.points[1];
        double t0 = 0, t1 = 1;
        const double p0[3]{a.u, a.v, a.w}, d[3]{b.u - a.u, b.v - a.v, b.w - a.w};
        for (int k = 0; k < 3; ++k) {
            if (d[k] == 0) {
                if (p0[k] < 0 || p0[k] > 1) return false;
                continue;
            }
            double ta = (0 - p0[k]) / d[k], tb = (1 - p0[k]) / d[k];
            if (ta > tb) std::swap(ta, tb);
            t0 = std::max(t0, ta);
            t1 = std::min(t1, tb);
            if (t0 > t1) return false;
        }
        c.points[0] = {a.u + t0 * d[0], a.v + t0 * d[1], a.w + t0 * d[2]};
        c.points[1] = {a.u + t1 * d[0], a.v + t1 * d[1], a.w + t1 * d[2]};
        return true;
    }
    std::array<BoxPoint, 10> a = c.points, b{};
    int n = c.count;
    for (int side = 0; side < 6 && n > 0; ++side) {
        n = ClipSide(a.data(), n, b.data(), side / 2, side % 2 ? 1.0 : 0.0, side % 2 == 0);
        a = b;
    }
    if (n < 3) return false;
    c.points = a;
    c.count = std::uint8_t(n);
    return true;
}

} // namespace

BoxProjection::BoxProjection(const ChartView& view, const QRectF& plot)
{
    width_ = std::max(1.0, plot.width());
    height_ = std::max(1.0, plot.height());
    depth_ = std::max(0.0, view.depthPercent) / 100 * std::min(width_, height_);
    // The angles turn the box away from the viewer: a rotation below 360 brings its right
    // side into view, an elevation below 360 its top.
    const double a = Radians(360 - view.rotation), e = Radians(360 - view.elevation);
    cosA_ = std::cos(a);
    sinA_ = std::sin(a);
    cosE_ = std::cos(e);
    sinE_ = std::sin(e);
    const double size = std::max({width_, height_, depth_});
    distance_ = view.perspective > 0 ? size * 120 / std::min(view.perspective, 100.0) : 0;
    scale_ = std::clamp(view.zoom, kMinZoom, kMaxZoom) / 100;
    centre_ = plot.center() + view.move;
}

BoxProjection::Eye BoxProjection::toEye(const BoxPoint& p) const
{
    const double x = (p.u - 0.5) * width_, y = (p.v - 0.5) * height_, z = (p.w - 0.5) * depth_;
    const double x1 = x * cosA_ + z * sinA_;
    const double z1 = -x * sinA_ + z * cosA_;
    const double y2 = y * cosE_ + z1 * sinE_;
    const double z2 = -y * sinE_ + z1 * cosE_;
    return {x1, y2, z2};
}

QPointF BoxProjection::map(const BoxPoint& p) const
{
    double unused;
    return map(p, unused);
}

QPointF BoxProjection::map(const BoxPoint& p, double& depth) const
{
    const Eye e = toEye(p);
    depth = e.z;
    const double f = distance_ > 0 ? distance_ / std::max(distance_ + e.z, distance_ * 0.05) : 1.0;
    return {centre_.x() + e.x * f * scale_, centre_.y() - e.y * f * scale_};
}

double BoxProjection::depth(const BoxPoint& p) const { return toEye(p).z; }

QPointF BoxProjection::corner(int i) const
{
    return map({double(i & 1), double((i >> 1) & 1), double((i >> 2) & 1)});
}

std::vector<double> AxisTicks(const AxisRange& range, double length, double minSpacing)
{
    std::vector<double> ticks;
    if (!(range.span() > 0) || !std::isfinite(range.span()) || length <= 0) return ticks;
    const double maxCount = std::max(1.0, std::floor(length / std::max(1.0, minSpacing)));
    double step = 1;
    for (double power = 1;; power *= 10) {
        bool found = false;
        for (double m : {1.0, 2.0, 5.0}) {
            step = m * power;
            if (range.span() / step <= maxCount) {
                found = true;
                break;
            }
        }
        if (found || power > 1e15) break;
    }
    for (double t = std::ceil(range.min / step) * step; t <= range.max + 1e-9; t += step)
        ticks.push_back(t == 0 ? 0.0 : t); // no "-0"
    return ticks;
}

ChartTicks TicksFor(const ChartRanges& ranges, const BoxProjection& box, double labelSpacing,
                    double bottomSpacing)
{
    auto edgeLength = [&](const BoxPoint& a, const BoxPoint& b) {
        const QPointF d = box.map(b) - box.map(a);
        return std::hypot(d.x(), d.y());
    };
    auto ticks = [](const AxisRange& range, double length, double spacing, auto along) {
        std::vector<AxisTick> out;
        for (double t : AxisTicks(range, length, spacing))
            out.push_back({along(t), QString::number(std::llround(t))});
        return out;
    };
    auto upward = [](const AxisRange& r) { return [r](double t) { return (t - r.min) / r.span(); }; };
    const AxisRange& depth = ranges.depth;
    ChartTicks out;
    out.left = ticks(ranges.left, edgeLength({0, 0, 0}, {0, 1, 0}), labelSpacing, upward(ranges.left));
    out.right = ticks(ranges.right, edgeLength({1, 0, 1}, {1, 1, 1}), labelSpacing, upward(ranges.right));
    out.bottom = ticks(ranges.bottom, edgeLength({0, 0, 0}, {1, 0, 0}), bottomSpacing, upward(ranges.bottom));
    out.depth = ticks(depth, edgeLength({1, 0, 0}, {1, 0, 1}), labelSpacing,
                      [&depth](double t) { return (depth.max - t) / depth.span(); });
    return out;
}

ChartRanges RangesFor(const std::vector<DiagramSurface>& surfaces, const ChartView& view)
{
    double xlo = INFINITY, xhi = -INFINITY, zlo = INFINITY, zhi = -INFINITY;
    for (const DiagramSurface& s : surfaces) {
        if (!s.visible) continue;
        for (const DiagramPoint& p : s.points) {
            xlo = std::min(xlo, p.x);
            xhi = std::max(xhi, p.x);
            zlo = std::min(zlo, p.z);
            zhi = std::max(zhi, p.z);
        }
    }
    ChartRanges r;
    r.bottom = Spanning(xlo, xhi);
    r.depth = Spanning(zlo, zhi);
    const double dx = view.scrollX * r.bottom.span();
    r.bottom = {r.bottom.min + dx, r.bottom.max + dx};
    r.left = {r.left.min + view.scrollY * r.left.span(), r.left.max + view.scrollY * r.left.span()};
    r.right = {r.right.min + view.scrollY * r.right.span(), r.right.max + view.scrollY * r.right.span()};
    return r;
}

BoxPoint ToBox(const DiagramPoint& p, VerticalAxis axis, const ChartRanges& ranges)
{
    const AxisRange& vertical = axis == VerticalAxis::Right ? ranges.right : ranges.left;
    return {(p.x - ranges.bottom.min) / ranges.bottom.span(), (p.y - vertical.min) / vertical.span(),
            (ranges.depth.max - p.z) / ranges.depth.span()};
}

void AppendSurfacePrimitives(const DiagramSurface& surface, int index, const ChartRanges& ranges,
                             int gridStep, std::vector<ChartPrimitive>& out)
{
    if (surface.points.empty()) return;
    if (surface.points.size() == 1) {
        // A surface of one point, as every row of a project whose object changes on every row
        // is: no grid to build.
        ChartPrimitive c;
        c.kind = PrimitiveKind::Dot;
        c.surface = index;
        c.points[c.count++] = ToBox(surface.points.front(), surface.axis, ranges);
        if (ClipToBox(c)) out.push_back(c);
        return;
    }
    // The grid: distinct x values across, distinct z values in depth.
    std::vector<double> xs, zs;
    xs.reserve(surface.points.size());
    zs.reserve(surface.points.size());
    for (const DiagramPoint& p : surface.points) {
        xs.push_back(p.x);
        zs.push_back(p.z);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::sort(zs.begin(), zs.end());
    zs.erase(std::unique(zs.begin(), zs.end()), zs.end());
    const std::size_t nx = xs.size(), nz = zs.size();

    // Point of each grid place, or -1; a later row replaces an earlier one at the same place.
    std::vector<int> at(nx * nz, -1);
    for (std::size_t i = 0; i < surface.points.size(); ++i) {
        const DiagramPoint& p = surface.points[i];
        const std::size_t xi = std::size_t(std::lower_bound(xs.begin(), xs.end(), p.x) - xs.begin());
        const std::size_t zi = std::size_t(std::lower_bound(zs.begin(), zs.end(), p.z) - zs.begin());
        at[zi * nx + xi] = int(i);
    }

    // The grid lines drawn: every step-th, and always the last so that the edges stay.
    const std::size_t step = std::size_t(std::max(1, gridStep));
    auto lines = [step](std::size_t n) {
        std::vector<std::size_t> v;
        for (std::size_t i = 0; i < n; i += step) v.push_back(i);
        if (v.back() != n - 1) v.push_back(n - 1);
        return v;
    };
    const std::vector<std::size_t> cols = lines(nx), rows = lines(nz);
    const std::size_t nc = cols.size(), nr = rows.size();

    auto boxOf = [&](int point) { return ToBox(surface.points[std::size_t(point)], surface.axis, ranges); };
    auto add = [&](PrimitiveKind kind, std::initializer_list<int> points) {
        ChartPrimitive c;
        c.kind = kind;
        c.surface = index;
        for (int p : points) c.points[c.count++] = boxOf(p);
        if (ClipToBox(c)) out.push_back(c);
    };

    // Which grid places and which edges between them a drawn cell already shows.
    std::vector<char> covered(nc * nr, 0), acrossDone(nc * nr, 0), deepDone(nc * nr, 0);
    auto pointAt = [&](std::size_t c, std::size_t r) { return at[rows[r] * nx + cols[c]]; };
    for (std::size_t r = 0; r + 1 < nr; ++r)
        for (std::size_t c = 0; c + 1 < nc; ++c) {
            const int a = pointAt(c, r), b = pointAt(c + 1, r), d = pointAt(c + 1, r + 1),
                      e = pointAt(c, r + 1);
            if (a < 0 || b < 0 || d < 0 || e < 0) continue;
            add(PrimitiveKind::Quad, {a, b, d, e});
            for (auto [cc, rr] : {std::pair{c, r}, {c + 1, r}, {c + 1, r + 1}, {c, r + 1}})
                covered[rr * nc + cc] = 1;
            acrossDone[r * nc + c] = acrossDone[(r + 1) * nc + c] = 1;
            deepDone[r * nc + c] = deepDone[r * nc + c + 1] = 1;
        }
    // Every measurement stays visible: neighbours no cell joins are joined by a line, and a
    // point with no neighbour at all is drawn on its own.
    for (std::size_t r = 0; r < nr; ++r)
        for (std::size_t c = 0; c < nc; ++c) {
            const int a = pointAt(c, r);
            if (a < 0) continue;
            if (c + 1 < nc && !acrossDone[r * nc + c])
                if (const int b = pointAt(c + 1, r); b >= 0) {
                    add(PrimitiveKind::Segment, {a, b});
                    covered[r * nc + c] = covered[r * nc + c + 1] = 1;
                }
            if (r + 1 < nr && !deepDone[r * nc + c])
                if (const int b = pointAt(c, r + 1); b >= 0) {
                    add(PrimitiveKind::Segment, {a, b});
                    covered[r * nc + c] = covered[(r + 1) * nc + c] = 1;
                }
        }
    for (std::size_t r = 0; r < nr; ++r)
        for (std::size_t c = 0; c < nc; ++c)
            if (const int a = pointAt(c, r); a >= 0 && !covered[r * nc + c]) add(PrimitiveKind::Dot, {a});
}

ProjectedPieces ProjectInDepthOrder(const std::vector<ChartPrimitive>& primitives,
                                    const BoxProjection& projection)
{
    ProjectedPieces out;
    out.pieces.resize(primitives.size());
    std::size_t corners = 0;
    for (const ChartPrimitive& c : primitives) corners += c.count;
    out.corners.resize(corners);
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < primitives.size(); ++i) {
        const ChartPrimitive& c = primitives[i];
        ProjectedPiece& piece = out.pieces[i];
        double sum = 0;
        for (int k = 0; k < c.count; ++k) {
            double depth;
            out.corners[next + std::uint32_t(k)] = projection.map(c.points[std::size_t(k)], depth);
            sum += depth;
        }
        piece.depth = c.count ? sum / c.count : 0;
        piece.index = int(i);
        piece.surface = c.surface;
        piece.kind = c.kind;
        piece.count = c.count;
        piece.first = next;
        next += c.count;
    }
    // Farthest first; equal depths keep their order so that a frame never flickers.
    std::stable_sort(out.pieces.begin(), out.pieces.end(),
                     [](const ProjectedPiece& a, const ProjectedPiece& b) { return a.depth > b.depth; });
    return out;
}

std::vector<int> DepthOrder(const std::vector<ChartPrimitive>& primitives, const BoxProjection& projection)
{
    const ProjectedPieces projected = ProjectInDepthOrder(primitives, projection);
    std::vector<int> order;
    order.reserve(projected.pieces.size());
    for (const ProjectedPiece& piece : projected.pieces) order.push_back(piece.index);
    return order;
}

QString MarkText(double value, const QLocale& locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::DefaultNumberOptions); // grouping on
    QString text = l.toString(value, 'f', 3);
    const QString point = l.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(point)) text.chop(point.size());
    }
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    return text;
}
