// The colour difference against the published CIEDE2000 test data, and the class colours of the
// maps against the three dichromacies.
#include "analysis/ColourVision.h"
#include "analysis/MapPainter.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ColourVision, DeltaE2000MatchesSharmaTestData)
{
    // Pairs and differences from Sharma, Wu & Dalal, "The CIEDE2000 color-difference formula:
    // implementation notes, supplementary test data, and mathematical observations" (2005),
    // chosen to cover hue wrap-around, the blue region's rotation term and achromatic colours.
    struct Pair {
        Lab x, y;
        double dE;
    };
    const Pair pairs[] = {
        {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
        {{50, 0, 0}, {50, -1, 2}, 2.3669},
        {{50, -1, 2}, {50, 0, 0}, 2.3669},
        {{50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
        {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
        {{50, 2.5, 0}, {56, -27, -3}, 31.9030},
        {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
    };
    for (const Pair& p : pairs)
        EXPECT_NEAR(DeltaE2000(p.x, p.y), p.dE, 1e-4) << p.x.L << ' ' << p.x.a << ' ' << p.x.b;
    EXPECT_DOUBLE_EQ(DeltaE2000({40, 10, -5}, {40, 10, -5}), 0);
}

TEST(ColourVision, SimulationKeepsGreyAndMergesRedGreenForRedGreenBlindness)
{
    for (int k = 0; k < 3; ++k) {
        const Rgb8 grey = SimulateDichromacy({128, 128, 128}, Dichromacy(k));
        EXPECT_NEAR(grey.r, 128, 2);
        EXPECT_NEAR(grey.g, 128, 2);
        EXPECT_NEAR(grey.b, 128, 2);
    }
    // A pure red and a green of about its lightness are told apart easily by normal vision but
    // hardly under deuteranopia: the simulation must bring them close.
    const Rgb8 red{200, 60, 40}, green{90, 130, 40};
    const double normal = DeltaE2000(LabOfSrgb(red), LabOfSrgb(green));
    const double deutan = DeltaE2000(LabOfSrgb(SimulateDichromacy(red, Dichromacy::Deuteranopia)),
                                     LabOfSrgb(SimulateDichromacy(green, Dichromacy::Deuteranopia)));
    EXPECT_GT(normal, 30);
    EXPECT_LT(deutan, normal / 2);
}

namespace {

Rgb8 Of(const QColor& c) { return {c.red(), c.green(), c.blue()}; }

} // namespace

TEST(ColourVision, ClassColoursStayApartForEveryDichromacyAndReadGreenToRed)
{
    struct Palette {
        const char* name;
        std::vector<QColor> colors; // in order of rising risk
    };
    std::vector<Palette> palettes{{"potential", {}}, {"resistivity", {}}, {"combined risk", {}}};
    for (int c = 0; c < kPotentialClassCount; ++c)
        palettes[0].colors.push_back(PotentialClassColor(PotentialClass(c)));
    for (int c = 0; c < kResistivityClassCount; ++c)
        palettes[1].colors.push_back(ResistivityClassColor(ResistivityClass(c)));
    for (int c = 0; c < kCombinedRiskLevels; ++c) palettes[2].colors.push_back(RiskColor(CombinedRisk(c)));

    for (const Palette& palette : palettes) {
        const auto& colors = palette.colors;
        // Green at the safe end, red at the dangerous end.
        EXPECT_GT(colors.front().green(), colors.front().red()) << palette.name;
        EXPECT_GT(colors.back().red(), 2 * colors.back().green()) << palette.name;
        for (int k = -1; k < 3; ++k)
            for (std::size_t i = 0; i < colors.size(); ++i)
                for (std::size_t j = i + 1; j < colors.size(); ++j) {
                    Rgb8 a = Of(colors[i]), b = Of(colors[j]);
                    if (k >= 0) {
                        a = SimulateDichromacy(a, Dichromacy(k));
                        b = SimulateDichromacy(b, Dichromacy(k));
                    }
                    EXPECT_GE(DeltaE2000(LabOfSrgb(a), LabOfSrgb(b)), 10)
                        << palette.name << " classes " << i << " and " << j << ", vision " << k;
                }
    }
}
