#pragma once
// Iso-lines of a value grid by marching squares. No window code.
#include "ValueGrid.h"

#include <vector>

struct ContourSegment {
    GridPoint a, b;
};

/// Pieces of the iso-line at `level`, one or two per grid cell it crosses, in grid units. A
/// node counts as above the level when its value is >= level. Cells with a node without a
/// reading are skipped. A saddle cell is resolved by the mean of its four nodes.
std::vector<ContourSegment> ContourSegments(const ValueGrid& grid, double level);

struct ContourLine {
    double level = 0;
    std::vector<GridPoint> points;
    bool closed = false; ///< the last point joins the first
};

/// The segments of `level` joined into lines: open lines run from grid edge (or gap) to grid
/// edge, closed ones ring a hill or a hollow.
std::vector<ContourLine> ContourLines(const ValueGrid& grid, double level);

/// Whole multiples of `interval` strictly between `min` and `max`, ascending; none when
/// `interval` is not positive or would give more than `limit` levels.
std::vector<double> IntervalLevels(double min, double max, double interval, int limit = 200);

/// The interval of the automatic iso-lines: the smallest 1, 2, 2.5 or 5 × 10^k that gives at most
/// `maxLines` levels strictly between `min` and `max`; 0 when the range is empty.
double AutoInterval(double min, double max, int maxLines = 12);

/// A label's box in device units (left, top, width, height).
struct LabelBox {
    double x = 0, y = 0, w = 0, h = 0;
    bool overlaps(const LabelBox& o) const
    {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
};

struct PlacedLabel {
    int line = 0; ///< index into the candidates
    LabelBox box;
};

/// One label per line where it fits: for each line its candidates are tried in order (lines in
/// order too), and a candidate is taken when it overlaps no label already placed and keeps
/// `clearance` away from every measured point. A line none of whose candidates fits stays
/// unlabelled.
std::vector<PlacedLabel> PlaceLabels(const std::vector<std::vector<LabelBox>>& candidates,
                                     const std::vector<GridPoint>& points, double clearance);
