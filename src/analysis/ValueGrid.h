#pragma once
// Readings placed on the survey grid, and bilinear interpolation between them. No window code.
#include <cmath>
#include <limits>
#include <vector>

/// A point in grid units: x counts points along a series, y counts series; node (i, j) is at (i, j).
struct GridPoint {
    double x = 0;
    double y = 0;
    bool operator==(const GridPoint&) const = default;
};

/// A rectangular grid of readings; a node without a reading holds NaN.
class ValueGrid {
public:
    ValueGrid() = default;
    ValueGrid(int columns, int rows)
        : columns_(columns), rows_(rows),
          values_(std::size_t(columns) * std::size_t(rows), std::numeric_limits<double>::quiet_NaN())
    {
    }

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    bool has(int i, int j) const { return !std::isnan(at(i, j)); }
    /// NaN outside the grid and where nothing was measured.
    double at(int i, int j) const
    {
        if (i < 0 || j < 0 || i >= columns_ || j >= rows_) return std::numeric_limits<double>::quiet_NaN();
        return values_[std::size_t(j) * std::size_t(columns_) + std::size_t(i)];
    }
    void set(int i, int j, double v) { values_[std::size_t(j) * std::size_t(columns_) + std::size_t(i)] = v; }
    /// The nodes row by row (series by series), `columns()` to a row.
    const double* data() const { return values_.data(); }

private:
    int columns_ = 0;
    int rows_ = 0;
    std::vector<double> values_;
};

/// The value at grid position (x, y), bilinear between the four surrounding nodes. NaN outside
/// the grid, or when a node that carries weight there has no reading: a gap is never filled in.
double Bilinear(const ValueGrid& grid, double x, double y);
