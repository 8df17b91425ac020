// Summary figures, histogram and cumulative frequency on small sets worked out by hand.
#include "analysis/Statistics.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Summary, OddAndEvenCountsWorkedByHand)
{
    // Mean -300; deviations 200, 50, 0, -100, -150; squares sum to 75000; / 4 = 18750.
    const std::vector<double> odd{-250, -100, -450, -300, -400};
    const Summary s = Summarize(odd);
    EXPECT_EQ(s.count, 5);
    EXPECT_DOUBLE_EQ(s.mean, -300);
    EXPECT_DOUBLE_EQ(s.median, -300);
    EXPECT_NEAR(s.stdDev, 136.9306394, 1e-6);
    EXPECT_DOUBLE_EQ(s.min, -450);
    EXPECT_DOUBLE_EQ(s.max, -100);

    const std::vector<double> even{-100, -400, -250, -300};
    const Summary e = Summarize(even);
    EXPECT_DOUBLE_EQ(e.median, -275);
    EXPECT_DOUBLE_EQ(e.mean, -262.5);
}

TEST(Summary, NoneAndOneReading)
{
    const Summary none = Summarize({});
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.mean, 0);
    const std::vector<double> one{12.5};
    const Summary s = Summarize(one);
    EXPECT_EQ(s.count, 1);
    EXPECT_DOUBLE_EQ(s.median, 12.5);
    EXPECT_DOUBLE_EQ(s.stdDev, 0);
}

TEST(Histogram, BinsStartOnMultiplesOfTheWidth)
{
    // Bins [-450,-400) ... [-100,-50): a reading on an edge belongs to the bin above it.
    const std::vector<double> values{-100, -250, -300, -400, -450};
    const Histogram h = MakeHistogram(values, 50);
    EXPECT_DOUBLE_EQ(h.start, -450);
    EXPECT_DOUBLE_EQ(h.width, 50);
    EXPECT_EQ(h.counts, (std::vector<int>{1, 1, 0, 1, 1, 0, 0, 1}));
    EXPECT_DOUBLE_EQ(h.end(), -50);

    const std::vector<double> same{7, 7, 7};
    const Histogram one = MakeHistogram(same, 5);
    EXPECT_DOUBLE_EQ(one.start, 5);
    EXPECT_EQ(one.counts, std::vector<int>{3});
    EXPECT_TRUE(MakeHistogram({}, 5).counts.empty());
}

TEST(Histogram, NiceWidths)
{
    const struct {
        double span;
        int bins;
        double width;
    } cases[] = {{700, 14, 50}, {700, 12, 100}, {300, 12, 25}, {0.9, 4, 0.25}, {47, 10, 5}, {0, 10, 1}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NiceWidth(c.span, c.bins), c.width) << c.span << "/" << c.bins;
}

TEST(Cumulative, EqualReadingsMakeOneStep)
{
    const std::vector<double> values{-300, -100, -300, -450};
    const auto curve = CumulativeFrequency(values);
    ASSERT_EQ(curve.size(), 3u);
    EXPECT_DOUBLE_EQ(curve[0].value, -450);
    EXPECT_DOUBLE_EQ(curve[0].percent, 25);
    EXPECT_DOUBLE_EQ(curve[1].value, -300);
    EXPECT_DOUBLE_EQ(curve[1].percent, 75);
    EXPECT_DOUBLE_EQ(curve[2].value, -100);
    EXPECT_DOUBLE_EQ(curve[2].percent, 100);
}

TEST(Shares, PercentOfTheTotal)
{
    const std::vector<int> counts{1, 3, 0, 4};
    EXPECT_EQ(Shares(counts), (std::vector<double>{12.5, 37.5, 0, 50}));
    const std::vector<int> zero{0, 0};
    EXPECT_EQ(Shares(zero), (std::vector<double>{0, 0}));
}

} // namespace
