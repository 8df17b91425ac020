#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

Summary Summarize(std::span<const double> values)
{
    Summary s;
    if (values.empty()) return s;
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    s.count = int(n);
    s.min = sorted.front();
    s.max = sorted.back();
    for (std::size_t k = 0; k < kPercentiles.size(); ++k)
        s.percentiles[k] = Percentile(sorted, kPercentiles[k]);
    s.median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    s.mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / double(n);
    if (n > 1) {
        double squares = 0;
        for (double v : sorted) squares += (v - s.mean) * (v - s.mean);
        s.stdDev = std::sqrt(squares / double(n - 1));
    }
    return s;
}

double Percentile(std::span<const double> sorted, double p)
{
    if (sorted.empty()) return 0;
    const double h = double(sorted.size() - 1) * std::clamp(p, 0.0, 100.0) / 100.0;
    const std::size_t lo = std::size_t(std::floor(h));
    if (lo + 1 >= sorted.size()) return sorted.back();
    return sorted[lo] + (h - double(lo)) * (sorted[lo + 1] - sorted[lo]);
}

double NiceWidth(double span, int bins)
{
    if (!(span > 0) || bins < 1) return 1;
    const double raw = span / bins;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

Histogram MakeHistogram(std::span<const double> values, double width, double anchor)
{
    Histogram h;
    h.width = width > 0 ? width : 1;
    if (values.empty()) return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    h.start = anchor + std::floor((*lo - anchor) / h.width) * h.width;
    const int bins = std::max(1, int(std::floor((*hi - h.start) / h.width)) + 1);
    h.counts.assign(std::size_t(bins), 0);
    for (double v : values) {
        const int i = std::clamp(int(std::floor((v - h.start) / h.width)), 0, bins - 1);
        ++h.counts[std::size_t(i)];
    }
    return h;
}

Histogram ClassAlignedHistogram(std::span<const double> values, std::span<const double> boundaries, int bins)
{
    if (values.empty()) return {};
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const double nice = NiceWidth(*hi - *lo, bins);
    if (boundaries.empty()) return MakeHistogram(values, nice);
    // The largest width that divides every distance between boundaries (whole numbers).
    long long divisor = 0;
    for (double b : boundaries) divisor = std::gcd(divisor, std::llabs(std::llround(b - boundaries[0])));
    double width = nice;
    if (divisor > 0) {
        const double g = double(divisor);
        // Wider bins than the gcd would swallow a boundary; narrower ones divide it evenly.
        width = nice >= g ? g : g / std::max(1.0, std::round(g / nice));
        // Values spread far beyond the boundaries would make thousands of bins; a bin per boundary
        // step is the finest that still keeps every class apart.
        while ((*hi - *lo) / width > 200 && width < g) width = g;
    }
    return MakeHistogram(values, width, boundaries[0]);
}

std::vector<CumulativePoint> CumulativeFrequency(std::span<const double> values)
{
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    std::vector<CumulativePoint> curve;
    const double n = double(sorted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i + 1 < sorted.size() && sorted[i + 1] == sorted[i]) continue; // the last of equal readings
        curve.push_back({sorted[i], 100.0 * double(i + 1) / n});
    }
    return curve;
}

std::vector<double> Shares(std::span<const int> counts)
{
    const int total = std::accumulate(counts.begin(), counts.end(), 0);
    std::vector<double> shares;
    for (int c : counts) shares.push_back(total ? 100.0 * c / total : 0.0);
    return shares;
}
