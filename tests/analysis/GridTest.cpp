// Bilinear interpolation and marching-squares iso-lines on 3 × 3 grids worked out by hand.
#include "analysis/Contours.h"
#include "analysis/ValueGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

ValueGrid Grid3(const double (&v)[3][3]) // v[row j][column i]
{
    ValueGrid g(3, 3);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) g.set(i, j, v[j][i]);
    return g;
}

TEST(Bilinear, ValuesBetweenNodes)
{
    const ValueGrid g = Grid3({{0, 10, 20}, {10, 20, 40}, {20, 40, 80}});
    const struct {
        double x, y, expected;
    } cases[] = {
        {0, 0, 0},      {2, 2, 80},   {1, 0, 10},           {0.5, 0.5, 10}, {1.5, 0.5, 22.5},
        {1.5, 1.5, 45}, {2, 0.5, 30}, {0.25, 1.75, 21.875}, {0.5, 2, 30},   {1, 1.25, 25},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Bilinear(g, c.x, c.y), c.expected) << c.x << "," << c.y;
    for (const auto& outside : {GridPoint{-0.01, 0}, GridPoint{2.01, 1}, GridPoint{1, 2.5}})
        EXPECT_TRUE(std::isnan(Bilinear(g, outside.x, outside.y))) << outside.x << "," << outside.y;
}

TEST(Bilinear, AGapIsNeverFilledIn)
{
    const double nan = std::nan("");
    const ValueGrid g = Grid3({{0, 10, 20}, {10, nan, 40}, {20, 40, 80}});
    EXPECT_TRUE(std::isnan(Bilinear(g, 0.5, 0.5)));
    EXPECT_TRUE(std::isnan(Bilinear(g, 1, 1)));
    EXPECT_TRUE(std::isnan(Bilinear(g, 1.5, 1.9)));
    // Along a grid line the missing node carries no weight.
    EXPECT_DOUBLE_EQ(Bilinear(g, 0, 0.5), 5);
    EXPECT_DOUBLE_EQ(Bilinear(g, 1.5, 0), 15);
    EXPECT_DOUBLE_EQ(Bilinear(g, 2, 1.5), 60);
}

bool Near(GridPoint a, GridPoint b) { return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9; }

// Whether `line` visits `expected` in this order or the reverse, starting anywhere if closed.
bool SameLine(const ContourLine& line, std::vector<GridPoint> expected)
{
    if (line.points.size() != expected.size()) return false;
    for (int pass = 0; pass < 2; ++pass) {
        const std::size_t shifts = line.closed ? expected.size() : 1;
        for (std::size_t s = 0; s < shifts; ++s) {
            bool all = true;
            for (std::size_t k = 0; k < expected.size() && all; ++k)
                all = Near(line.points[k], expected[(k + s) % expected.size()]);
            if (all) return true;
        }
        std::reverse(expected.begin(), expected.end());
    }
    return false;
}

TEST(Contours, RingAroundAPeak)
{
    const ValueGrid g = Grid3({{0, 0, 0}, {0, 10, 0}, {0, 0, 0}});
    EXPECT_EQ(ContourSegments(g, 5).size(), 4u);
    const auto lines = ContourLines(g, 5);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].closed);
    EXPECT_DOUBLE_EQ(lines[0].level, 5);
    EXPECT_TRUE(SameLine(lines[0], {{1, 0.5}, {1.5, 1}, {1, 1.5}, {0.5, 1}}));
    EXPECT_TRUE(ContourLines(g, 11).empty());
    EXPECT_TRUE(ContourLines(g, -1).empty());
}

TEST(Contours, OpenLineAcrossARamp)
{
    // v = 10·i in every row: the 15 line is x = 1.5 from the bottom edge to the top edge.
    const ValueGrid g = Grid3({{0, 10, 20}, {0, 10, 20}, {0, 10, 20}});
    const auto lines = ContourLines(g, 15);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].closed);
    EXPECT_TRUE(SameLine(lines[0], {{1.5, 0}, {1.5, 1}, {1.5, 2}}));
    // 12 lies a fifth of the way from 10 to 20.
    const auto at12 = ContourLines(g, 12);
    ASSERT_EQ(at12.size(), 1u);
    EXPECT_TRUE(SameLine(at12[0], {{1.2, 0}, {1.2, 1}, {1.2, 2}}));
}

TEST(Contours, SaddleFollowsTheCellMean)
{
    // Cell (0,0) has 8 at two opposite corners and 0 at the others: its mean is 4.
    const ValueGrid g = Grid3({{8, 0, 0}, {0, 8, 0}, {0, 0, 0}});
    // At 5 the mean is below: the two highs stay apart, a corner cut and a ring.
    const auto apart = ContourLines(g, 5);
    ASSERT_EQ(apart.size(), 2u);
    const auto& open5 = apart[0].closed ? apart[1] : apart[0];
    const auto& ring5 = apart[0].closed ? apart[0] : apart[1];
    EXPECT_TRUE(SameLine(open5, {{0.375, 0}, {0, 0.375}}));
    EXPECT_TRUE(ring5.closed);
    EXPECT_TRUE(SameLine(ring5, {{1, 0.625}, {1.375, 1}, {1, 1.375}, {0.625, 1}}));
    // At 3 the mean is above: one line wraps both highs.
    const auto joined = ContourLines(g, 3);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_FALSE(joined[0].closed);
    EXPECT_TRUE(
        SameLine(joined[0], {{0.625, 0}, {1, 0.375}, {1.625, 1}, {1, 1.625}, {0.375, 1}, {0, 0.625}}));
}

TEST(Contours, CellsWithAGapAreSkipped)
{
    const double nan = std::nan("");
    const ValueGrid g = Grid3({{0, 10, 20}, {0, 10, nan}, {0, 10, 20}});
    // Only the two left cells are whole: the line at 5 runs x = 0.5 down them.
    const auto lines = ContourLines(g, 5);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(SameLine(lines[0], {{0.5, 0}, {0.5, 1}, {0.5, 2}}));
    EXPECT_TRUE(ContourLines(g, 15).empty());
}

TEST(Contours, IntervalLevels)
{
    EXPECT_EQ(IntervalLevels(-420, -150, 50), (std::vector<double>{-400, -350, -300, -250, -200}));
    EXPECT_EQ(IntervalLevels(-400, -200, 100), (std::vector<double>{-300})); // ends are no line
    EXPECT_TRUE(IntervalLevels(0, 100, 0).empty());
    EXPECT_TRUE(IntervalLevels(0, 100000, 1, 200).empty());
}

} // namespace
