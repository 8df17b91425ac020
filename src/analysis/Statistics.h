#pragma once
// Summary figures, histogram and cumulative frequency of one object's readings. No window code.
#include <array>
#include <functional>
#include <span>
#include <vector>

/// The percentiles every summary gives.
inline constexpr std::array<int, 5> kPercentiles{5, 10, 50, 90, 95};

struct Summary {
    int count = 0;
    double mean = 0;
    double median = 0;
    /// Sample standard deviation (n - 1 in the denominator); 0 for fewer than two readings.
    double stdDev = 0;
    double min = 0;
    double max = 0;
    /// Percentiles 5, 10, 50, 90 and 95 (kPercentiles), as Percentile gives them.
    std::array<double, kPercentiles.size()> percentiles{};
};

/// The p-th percentile (0..100) of ascending `sorted` values by linear interpolation between
/// order statistics: position h = (n − 1)·p/100 counted from 0, value x[⌊h⌋] + (h − ⌊h⌋)·(x[⌊h⌋+1] − x[⌊h⌋])
/// (Hyndman and Fan's type 7, the default of R and of spreadsheets' PERCENTILE). 0 for no values.
double Percentile(std::span<const double> sorted, double p);

/// Figures of `values`; all zero when there are none.
Summary Summarize(std::span<const double> values);

/// Bins of equal width whose edges are whole multiples of the width, so that class thresholds
/// that are multiples of it fall on edges. Bin i holds start + i·width <= v < start + (i+1)·width,
/// except that a reading on an edge goes to the bin below where its class says so (see ClassOf).
struct Histogram {
    double start = 0;
    double width = 1;
    std::vector<int> counts;
    double end() const { return start + width * double(counts.size()); }
};

/// A width of 1, 2, 2.5 or 5 times a power of ten that cuts `span` into about `bins` pieces.
double NiceWidth(double span, int bins);

/// The class of a reading (any numbering); with it a reading lying exactly on a bin edge is
/// counted in the bin whose readings share its class, so that a reading on a class boundary
/// falls on the side the class rule puts it.
using ClassOf = std::function<int(double)>;

/// Histogram of `values` with bins of `width` (> 0) whose edges are `anchor` + k·width; empty for
/// no values.
Histogram MakeHistogram(std::span<const double> values, double width, double anchor = 0,
                        const ClassOf& classOf = {});

/// A histogram whose bins never straddle a class boundary: every one of `boundaries` is a bin
/// edge, with about `bins` bins over the values' range where the boundaries allow it (the width
/// divides every distance between boundaries; boundaries are whole numbers).
Histogram ClassAlignedHistogram(std::span<const double> values, std::span<const double> boundaries, int bins,
                                const ClassOf& classOf = {});

/// One step of the cumulative frequency curve: `percent` of the readings are at or below `value`.
struct CumulativePoint {
    double value = 0;
    double percent = 0;
};

/// The readings in ascending order, each with the share of readings at or below it; equal
/// readings give one step.
std::vector<CumulativePoint> CumulativeFrequency(std::span<const double> values);

/// The standard normal quantile Φ⁻¹(p) for 0 < p < 1 (relative error below 1e-9).
double NormalQuantile(double p);

/// The readings on a normal-probability axis: each reading in ascending order with its plotting
/// position (i − 0.5)/n as a percent (Hazen) and that position's normal quantile `z`, so that a
/// normally distributed population lies on a straight line.
struct ProbabilityPoint {
    double value = 0;
    double percent = 0;
    double z = 0;
};
std::vector<ProbabilityPoint> ProbabilityPlot(std::span<const double> values);

/// Percentages of `counts` in their total (all zero when the total is 0).
std::vector<double> Shares(std::span<const int> counts);
