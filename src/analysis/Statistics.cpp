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
    s.median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    s.mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / double(n);
    if (n > 1) {
        double squares = 0;
        for (double v : sorted) squares += (v - s.mean) * (v - s.mean);
        s.stdDev = std::sqrt(squares / double(n - 1));
    }
    return s;
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

Histogram MakeHistogram(std::span<const double> values, double width)
{
    Histogram h;
    h.width = width > 0 ? width : 1;
    if (values.empty()) return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    h.start = std::floor(*lo / h.width) * h.width;
    const int bins = std::max(1, int(std::floor((*hi - h.start) / h.width)) + 1);
    h.counts.assign(std::size_t(bins), 0);
    for (double v : values) {
        const int i = std::clamp(int(std::floor((v - h.start) / h.width)), 0, bins - 1);
        ++h.counts[std::size_t(i)];
    }
    return h;
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
