#include "Contours.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {

// Edge numbers of a cell: 0 bottom (i,j)-(i+1,j), 1 right (i+1,j)-(i+1,j+1),
// 2 top (i,j+1)-(i+1,j+1), 3 left (i,j)-(i,j+1).
struct EdgeRef {
    int64_t id;
    GridPoint point;
};

class Marcher {
public:
    Marcher(const ValueGrid& grid, double level) : g_(grid), level_(level) {}

    // The crossing on a cell edge. Each grid edge is computed from its own two nodes in one
    // direction, so both cells that share it give bit-identical points and the same id.
    EdgeRef edge(int i, int j, int e) const
    {
        int i0 = i, j0 = j, i1 = i, j1 = j;
        bool horizontal = true;
        switch (e) {
        case 0: i1 = i + 1; break;
        case 1:
            i0 = i1 = i + 1;
            j1 = j + 1;
            horizontal = false;
            break;
        case 2:
            j0 = j1 = j + 1;
            i1 = i + 1;
            break;
        default:
            j1 = j + 1;
            horizontal = false;
            break;
        }
        const double v0 = g_.at(i0, j0), v1 = g_.at(i1, j1);
        const double t = v1 == v0 ? 0.5 : (level_ - v0) / (v1 - v0);
        const int64_t id = (int64_t(j0) * (g_.columns() + 1) + i0) * 2 + (horizontal ? 0 : 1);
        return {id, {i0 + t * (i1 - i0), j0 + t * (j1 - j0)}};
    }

    template <typename Emit> void cell(int i, int j, Emit&& emit) const
    {
        const double a = g_.at(i, j), b = g_.at(i + 1, j), c = g_.at(i + 1, j + 1), d = g_.at(i, j + 1);
        if (std::isnan(a) || std::isnan(b) || std::isnan(c) || std::isnan(d)) return;
        const int index =
            (a >= level_ ? 1 : 0) | (b >= level_ ? 2 : 0) | (c >= level_ ? 4 : 0) | (d >= level_ ? 8 : 0);
        const bool centreAbove = (a + b + c + d) / 4 >= level_;
        const auto pair = [&](int e1, int e2) { emit(edge(i, j, e1), edge(i, j, e2)); };
        switch (index) {
        case 1:
        case 14: pair(0, 3); break;
        case 2:
        case 13: pair(0, 1); break;
        case 3:
        case 12: pair(1, 3); break;
        case 4:
        case 11: pair(1, 2); break;
        case 6:
        case 9: pair(0, 2); break;
        case 7:
        case 8: pair(2, 3); break;
        case 5: // a and c above
            if (centreAbove) {
                pair(0, 1);
                pair(2, 3);
            } else {
                pair(0, 3);
                pair(1, 2);
            }
            break;
        case 10: // b and d above
            if (centreAbove) {
                pair(0, 3);
                pair(1, 2);
            } else {
                pair(0, 1);
                pair(2, 3);
            }
            break;
        default: break; // 0 and 15: the line does not cross this cell
        }
    }

private:
    const ValueGrid& g_;
    double level_;
};

} // namespace

std::vector<ContourSegment> ContourSegments(const ValueGrid& grid, double level)
{
    std::vector<ContourSegment> out;
    const Marcher m(grid, level);
    for (int j = 0; j + 1 < grid.rows(); ++j)
        for (int i = 0; i + 1 < grid.columns(); ++i)
            m.cell(i, j, [&](const EdgeRef& p, const EdgeRef& q) { out.push_back({p.point, q.point}); });
    return out;
}

std::vector<ContourLine> ContourLines(const ValueGrid& grid, double level)
{
    struct Piece {
        EdgeRef ends[2];
        bool used = false;
    };
    std::vector<Piece> pieces;
    const Marcher m(grid, level);
    for (int j = 0; j + 1 < grid.rows(); ++j)
        for (int i = 0; i + 1 < grid.columns(); ++i)
            m.cell(i, j, [&](const EdgeRef& p, const EdgeRef& q) { pieces.push_back({{p, q}}); });

    // Every grid edge is shared by at most two cells, so by at most two pieces.
    std::unordered_map<int64_t, std::vector<int>> byEdge;
    for (int k = 0; k < int(pieces.size()); ++k)
        for (const EdgeRef& e : pieces[std::size_t(k)].ends) byEdge[e.id].push_back(k);

    const auto follow = [&](int start, int64_t fromEdge, ContourLine& line) {
        // Walks from piece `start`, entering by `fromEdge`, until the line ends or closes.
        int k = start;
        int64_t entered = fromEdge;
        while (k >= 0 && !pieces[std::size_t(k)].used) {
            Piece& p = pieces[std::size_t(k)];
            p.used = true;
            const EdgeRef& out = p.ends[0].id == entered ? p.ends[1] : p.ends[0];
            line.points.push_back(out.point);
            int next = -1;
            for (int candidate : byEdge[out.id])
                if (candidate != k) next = candidate;
            entered = out.id;
            k = next;
            if (k >= 0 && pieces[std::size_t(k)].used) line.closed = true;
        }
    };

    std::vector<ContourLine> lines;
    // Open lines first, from an end that no other piece shares.
    for (int k = 0; k < int(pieces.size()); ++k) {
        if (pieces[std::size_t(k)].used) continue;
        for (const EdgeRef& e : pieces[std::size_t(k)].ends) {
            if (byEdge[e.id].size() != 1 || pieces[std::size_t(k)].used) continue;
            ContourLine line{level, {e.point}, false};
            follow(k, e.id, line);
            lines.push_back(std::move(line));
        }
    }
    for (int k = 0; k < int(pieces.size()); ++k) {
        if (pieces[std::size_t(k)].used) continue;
        const EdgeRef& e = pieces[std::size_t(k)].ends[0];
        ContourLine line{level, {e.point}, false};
        follow(k, e.id, line);
        if (line.closed) line.points.pop_back(); // the walk came back to its first point
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<double> IntervalLevels(double min, double max, double interval, int limit)
{
    std::vector<double> levels;
    if (!(interval > 0) || !(max > min)) return levels;
    const double first = std::floor(min / interval) + 1;
    const double last = std::ceil(max / interval) - 1;
    if (last - first + 1 > limit) return levels;
    for (double k = first; k <= last; ++k) levels.push_back(k * interval);
    return levels;
}

double AutoInterval(double min, double max, int maxLines)
{
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max) || maxLines < 1) return 0;
    // Start one decade below a step that would give about maxLines levels and go up.
    double decade = std::pow(10.0, std::floor(std::log10((max - min) / maxLines)) - 1);
    for (int tries = 0; tries < 8; ++tries, decade *= 10)
        for (double m : {1.0, 2.0, 2.5, 5.0}) {
            const double step = m * decade;
            const double count = std::ceil(max / step) - std::floor(min / step) - 1;
            if (count <= maxLines) return step;
        }
    return 0;
}

std::vector<PlacedLabel> PlaceLabels(const std::vector<std::vector<LabelBox>>& candidates,
                                     const std::vector<GridPoint>& points, double clearance)
{
    std::vector<PlacedLabel> placed;
    auto coversPoint = [&](const LabelBox& b) {
        for (const GridPoint& p : points) {
            const double dx = std::max({b.x - p.x, 0.0, p.x - (b.x + b.w)});
            const double dy = std::max({b.y - p.y, 0.0, p.y - (b.y + b.h)});
            if (dx * dx + dy * dy < clearance * clearance) return true;
        }
        return false;
    };
    for (int line = 0; line < int(candidates.size()); ++line)
        for (const LabelBox& box : candidates[std::size_t(line)]) {
            bool free = !coversPoint(box);
            for (const PlacedLabel& other : placed)
                if (free && box.overlaps(other.box)) free = false;
            if (free) {
                placed.push_back({line, box});
                break;
            }
        }
    return placed;
}
