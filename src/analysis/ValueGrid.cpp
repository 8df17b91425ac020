#include "ValueGrid.h"

#include <algorithm>

double Bilinear(const ValueGrid& grid, double x, double y)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    if (grid.columns() < 1 || grid.rows() < 1) return nan;
    if (!(x >= 0 && y >= 0 && x <= grid.columns() - 1 && y <= grid.rows() - 1)) return nan;
    // The last node's cell is the one before it, so that the far edges are inside the grid.
    const int i = std::min(int(x), std::max(grid.columns() - 2, 0));
    const int j = std::min(int(y), std::max(grid.rows() - 2, 0));
    const double tx = x - i;
    const double ty = y - j;
    const double weights[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
    const int di[4] = {0, 1, 0, 1};
    const int dj[4] = {0, 0, 1, 1};
    double sum = 0;
    for (int k = 0; k < 4; ++k) {
        if (weights[k] == 0) continue;
        const double v = grid.at(i + di[k], j + dj[k]);
        if (std::isnan(v)) return nan;
        sum += weights[k] * v;
    }
    return sum;
}
