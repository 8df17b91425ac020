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

Histogram MakeHistogram(std::span<const double> values, double width, double anchor, const ClassOf& classOf)
{
    Histogram h;
    h.width = width > 0 ? width : 1;
    if (values.empty()) return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    // The bin of v counted from `start`; -1 for a lowest reading that belongs below the first bin.
    const auto binOf = [&](double v, double start) {
        const double at = (v - start) / h.width;
        const double edge = std::round(at);
        if (!classOf || std::abs(at - edge) > 1e-9) return int(std::floor(at));
        // On an edge: the bin above, unless its readings are of another class than v's.
        const int above = int(edge);
        return classOf(v) == classOf(start + (above + 0.5) * h.width) ? above : above - 1;
    };
    h.start = anchor + std::floor((*lo - anchor) / h.width) * h.width;
    if (binOf(*lo, h.start) < 0) h.start -= h.width;
    const int bins = std::max(1, binOf(*hi, h.start) + 1);
    h.counts.assign(std::size_t(bins), 0);
    for (double v : values) ++h.counts[std::size_t(std::clamp(binOf(v, h.start), 0, bins - 1))];
    return h;
}

Histogram ClassAlignedHistogram(std::span<const double> values, std::span<const double> boundaries, int bins,
                                const ClassOf& classOf)
{
    if (values.empty()) return {};
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const double nice = NiceWidth(*hi - *lo, bins);
    if (boundaries.empty()) return MakeHistogram(values, nice, 0, classOf);
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
    return MakeHistogram(values, width, boundaries[0], classOf);
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

double NormalQuantile(double p)
{
    // Acklam's rational approximation, refined by one Halley step on erfc.
    static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                                   1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                                   6.680131188771972e+01, -1.328068155288572e+01};
    static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                                   -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                   3.754408661907416e+00};
    if (!(p > 0)) return -INFINITY;
    if (!(p < 1)) return INFINITY;
    double x;
    if (p < 0.02425) {
        const double q = std::sqrt(-2 * std::log(p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    } else if (p > 1 - 0.02425) {
        const double q = std::sqrt(-2 * std::log(1 - p));
        x = -(((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    } else {
        const double q = p - 0.5, r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
    }
    const double e = 0.5 * std::erfc(-x / std::sqrt(2.0)) - p;
    const double u = e * std::sqrt(2 * M_PI) * std::exp(x * x / 2);
    return x - u / (1 + x * u / 2);
}

std::vector<ProbabilityPoint> ProbabilityPlot(std::span<const double> values)
{
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    std::vector<ProbabilityPoint> points;
    points.reserve(sorted.size());
    const double n = double(sorted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const double f = (double(i) + 0.5) / n;
        points.push_back({sorted[i], 100 * f, NormalQuantile(f)});
    }
    return points;
}

std::vector<double> Shares(std::span<const int> counts)
{
    const int total = std::accumulate(counts.begin(), counts.end(), 0);
    std::vector<double> shares;
    for (int c : counts) shares.push_back(total ? 100.0 * c / total : 0.0);
    return shares;
}
