#pragma once
// The 3-D chart's geometry, free of any painting: the view of the box, the axis scales
// and ticks, and the surfaces cut into quads, lines and points in depth order.
#include "Surfaces.h"

#include <QLocale>
#include <QPointF>
#include <QRectF>

#include <array>
#include <cstdint>
#include <vector>

/// A point inside the chart's box in box units: u 0..1 left to right (bottom axis), v 0..1
/// bottom to top (vertical axes), w 0..1 front to back (depth axis).
struct BoxPoint {
    double u = 0, v = 0, w = 0;
};

/// The user's view of the chart. Angles are degrees as the chart settings give them: a
/// rotation of 360 faces the box's front, an elevation of 360 looks at it level.
struct ChartView {
    double rotation = 327;
    double elevation = 352;
    double zoom = 70;          // percent of the size that fills the plot area
    double perspective = 50;   // 0 parallel projection .. 100 strongest
    double depthPercent = 100; // box depth in percent of its smaller front side
    QPointF move;              // the whole drawing moved, in pixels
    double scrollX = 0;        // bottom axis scrolled, in parts of its span
    double scrollY = 0;        // vertical axes scrolled, in parts of their span
};

inline constexpr double kMinZoom = 2, kMaxZoom = 1000;

/// The view's projection of box points into a plot rectangle.
class BoxProjection {
public:
    BoxProjection(const ChartView& view, const QRectF& plot);

    QPointF map(const BoxPoint& p) const;
    /// map() that also gives depth() of the same point, for the price of one.
    QPointF map(const BoxPoint& p, double& depth) const;
    /// Distance from the viewer along the view direction; larger is farther.
    double depth(const BoxPoint& p) const;
    /// Corner i of the box: bit 0 set for u = 1, bit 1 for v = 1, bit 2 for w = 1.
    QPointF corner(int i) const;

private:
    struct Eye {
        double x, y, z;
    };
    Eye toEye(const BoxPoint& p) const;

    double width_, height_, depth_;
    double cosA_, sinA_, cosE_, sinE_;
    double distance_; // viewer to the box centre; 0 for a parallel projection
    double scale_;
    QPointF centre_;
};

struct AxisRange {
    double min = 0, max = 1;
    double span() const { return max - min; }
};

/// Whole-number tick values of `range`, their step a 1, 2 or 5 times a power of ten and
/// at least 1, chosen so that ticks are at least `minSpacing` apart over `length` pixels.
std::vector<double> AxisTicks(const AxisRange& range, double length, double minSpacing);

/// Ranges of the four axes: the vertical ones fixed, the bottom and depth ones spanning
/// the visible surfaces' points; scrolling shifts the bottom and the vertical ones.
struct ChartRanges {
    AxisRange bottom, depth, left{kLeftAxisMin, kLeftAxisMax}, right{kRightAxisMin, kRightAxisMax};
};
ChartRanges RangesFor(const std::vector<DiagramSurface>& surfaces, const ChartView& view);

/// One labelled tick of an axis: where it lies along the axis in box units (the u, v or w
/// of its point) and its label, the tick value rounded to a whole number.
struct AxisTick {
    double along = 0;
    QString label;
    bool operator==(const AxisTick&) const = default;
};
/// The labelled ticks of the four axes, each axis along its edge of the box: left (u = 0,
/// w = 0), right (u = 1, w = 1), bottom (v = 0, w = 0) and depth (u = 1, v = 0), where the
/// largest series is in front. `labelSpacing` is the room a label needs between the ticks of
/// the vertical and depth axes, `bottomSpacing` that of the bottom axis, both in pixels of the
/// edges as `box` projects them.
struct ChartTicks {
    std::vector<AxisTick> left, right, bottom, depth;
};
ChartTicks TicksFor(const ChartRanges& ranges, const BoxProjection& box, double labelSpacing,
                    double bottomSpacing);

/// Box position of a surface point; the depth axis is inverted (its largest series in front).
BoxPoint ToBox(const DiagramPoint& p, VerticalAxis axis, const ChartRanges& ranges);

enum class PrimitiveKind : std::uint8_t { Quad, Segment, Dot };

/// A piece of a surface, already cut to the box: a filled polygon (a grid cell, up to 10
/// corners once cut), a line between neighbouring points that bound no cell, or a lone point.
struct ChartPrimitive {
    PrimitiveKind kind = PrimitiveKind::Quad;
    std::uint8_t count = 0;
    int surface = 0;
    std::array<BoxPoint, 10> points;
};

/// The pieces of `surface` (number `index`) on a grid of its distinct x and z values.
/// `gridStep` > 1 takes every gridStep-th grid line only, for quick drawing while the
/// view moves. Where two points share a grid place the later one counts.
void AppendSurfacePrimitives(const DiagramSurface& surface, int index, const ChartRanges& ranges,
                             int gridStep, std::vector<ChartPrimitive>& out);

/// Pieces as drawn: screen corners in one shared pool, the pieces small, so that the
/// drawing pass, which visits them in depth order rather than in memory order, stays in
/// the cache even with a hundred thousand of them.
struct ProjectedPiece {
    double depth = 0; ///< mean depth of the corners
    int index = 0;    ///< position in the primitives projected
    int surface = 0;
    PrimitiveKind kind = PrimitiveKind::Quad;
    std::uint8_t count = 0;
    std::uint32_t first = 0; ///< first corner in ProjectedPieces::corners
};
struct ProjectedPieces {
    std::vector<ProjectedPiece> pieces; ///< farthest first
    std::vector<QPointF> corners;
};

/// `primitives` projected and ordered farthest first, so that drawing in this order lets
/// nearer pieces cover farther ones; equal depths keep their order.
ProjectedPieces ProjectInDepthOrder(const std::vector<ChartPrimitive>& primitives,
                                    const BoxProjection& projection);

/// Indices of `primitives` in the order ProjectInDepthOrder() draws them.
std::vector<int> DepthOrder(const std::vector<ChartPrimitive>& primitives, const BoxProjection& projection);

/// A point mark's text: digit grouping and at most three decimals ("#,##0.###").
QString MarkText(double value, const QLocale& locale = QLocale());
