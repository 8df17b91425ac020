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
