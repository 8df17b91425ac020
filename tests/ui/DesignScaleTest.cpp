// How window sizes meet the screen: design sizes follow the dpi both ways, fixed pixel sizes
// only grow, and scaled neighbours stay flush.
#include "ui/DesignScale.h"

#include <gtest/gtest.h>

namespace {

TEST(DesignScale, DesignSizesFollowTheDpiFixedSizesOnlyGrow)
{
    using Sizes = DesignScale::Sizes;
    const struct {
        double dpi;
        double design;
        double fixed;
    } cases[] = {
        {96, 0.8, 1.0},   // the common screen: fixed sizes exactly as given
        {120, 1.0, 1.25}, // the design screen
        {144, 1.2, 1.5},  // 150 %
        {192, 1.6, 2.0},  // 200 %
        {72, 0.6, 1.0},   // a coarse screen shrinks no fixed window
        {48, 0.5, 1.0},   // nothing below half its design size
        {0, 0.8, 1.0},    // a screen that reports no dpi counts as 96
        {-1, 0.8, 1.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(DesignScale::Factor(c.dpi, Sizes::Design), c.design) << c.dpi;
        EXPECT_DOUBLE_EQ(DesignScale::Factor(c.dpi, Sizes::Fixed), c.fixed) << c.dpi;
    }
}

TEST(DesignScale, RectanglesScaleTheirEdgesSoNeighboursStayFlush)
{
    const DesignScale one(1.0);
    EXPECT_EQ(one.rect(11, 216, 401, 9), QRect(11, 216, 401, 9));
    EXPECT_EQ(one.size(415, 49), QSize(415, 49));

    for (const double factor : {0.8, 1.25, 1.5, 1.75, 2.0}) {
        SCOPED_TRACE(factor);
        const DesignScale scale(factor);
        // A gauge on top of a label, and a label left of a button: each pair meets at one edge.
        const QRect gauge = scale.rect(0, 0, 415, 21);
        const QRect label = scale.rect(0, 21, 300, 27);
        const QRect button = scale.rect(300, 21, 115, 27);
        EXPECT_EQ(gauge.bottom() + 1, label.top());
        EXPECT_EQ(label.right() + 1, button.left());
        EXPECT_EQ(button.right() + 1, scale.size(415, 48).width());
        EXPECT_EQ(label.bottom() + 1, scale.size(415, 48).height());
        EXPECT_EQ(scale.px(10), int(std::lround(10 * factor)));
    }
}

} // namespace
