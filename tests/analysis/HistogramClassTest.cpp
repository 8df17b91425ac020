// The histogram as drawn: a reading exactly on a class boundary is counted in a bin of its own
// class, on the side the class rule puts it.
#include "SurveyFixture.h"
#include "analysis/ChartPainter.h"

#include <gtest/gtest.h>

TEST(HistogramBins, ReadingsOnABoundaryFallInTheBinOfTheirClass)
{
    const PotentialThresholds cu{-200, -350};
    const struct Case {
        int sensor; // 0 potential, 1 resistivity
        std::vector<double> values;
    } cases[] = {
        // Both thresholds as readings, also as the lowest and the highest reading.
        {0, {-200, -200, -350, -100, -420, -199, -351, -275}},
        {0, {-350, -300, -200}},
        {0, {-200, -350}},
        // Resistivity: a value on a bound belongs to the riskier class below it (10 is "high").
        {1, {10, 50, 100, 9.9, 120, 10.1, 75}},
        {1, {10, 100}},
    };
    for (const Case& c : cases) {
        std::vector<FixtureRow> rows;
        int n = 0;
        for (double v : c.values) {
            FixtureRow r;
            r.sensor = c.sensor;
            r.point = ++n;
            r.length = int(c.values.size());
            r.value = QString::number(v, 'f', 1);
            r.time = QStringLiteral("10:00:%1").arg(n, 2, 10, QLatin1Char('0'));
            rows.push_back(r);
        }
        const std::vector<SurveyObject> surveys = GroupSurveys(FixtureTable(rows));
        ASSERT_EQ(surveys.size(), 1u);
        const Histogram h = HistogramOf(surveys[0], cu);
        SCOPED_TRACE(::testing::PrintToString(c.values) + " width " + std::to_string(h.width));
        const auto classOf = [&](double v) {
            return c.sensor == 0 ? int(ClassifyPotential(v, cu)) : int(ClassifyResistivity(v));
        };
        // Each reading in its bin a <= v < b, unless that bin's readings are of another class: then
        // in the bin below, which it closes (v == b), and which must be of its class.
        std::vector<int> expected(h.counts.size(), 0);
        for (double v : c.values) {
            int found = int(h.counts.size()); // past the end: the last bin must close on v
            for (std::size_t k = 0; k < h.counts.size() && found == int(h.counts.size()); ++k) {
                const double a = h.start + double(k) * h.width;
                if (v >= a - 1e-9 && v < a + h.width - 1e-9) found = int(k);
            }
            if (found == int(h.counts.size()) || classOf(h.start + (found + 0.5) * h.width) != classOf(v))
                --found;
            ASSERT_GE(found, 0) << v << " has no bin of its class";
            ASSERT_EQ(classOf(h.start + (found + 0.5) * h.width), classOf(v)) << v;
            ++expected[std::size_t(found)];
        }
        EXPECT_EQ(h.counts, expected);
    }
}
