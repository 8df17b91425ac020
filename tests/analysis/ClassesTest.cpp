// Potential classes per reference electrode, resistivity classes and the risk matrix.
#include "analysis/Classes.h"

#include <gtest/gtest.h>

namespace {

struct ElectrodeCase {
    Electrode electrode;
    double upper, lower; // mV, as the electrode table gives them
};

const ElectrodeCase kElectrodes[] = {
    {Electrode::CuCuSO4, -200, -350},
    {Electrode::AgAgClSaturated, -81, -231},
    {Electrode::AgAgCl1M, -120, -270},
    {Electrode::Calomel, -125, -275},
};

TEST(PotentialClasses, BoundariesOfEveryElectrode)
{
    using C = PotentialClass;
    for (const ElectrodeCase& e : kElectrodes) {
        SCOPED_TRACE(int(e.electrode));
        const PotentialThresholds t = ThresholdsFor(e.electrode);
        EXPECT_EQ(t.upper, e.upper);
        EXPECT_EQ(t.lower, e.lower);
        const struct {
            double mV;
            C expected;
        } cases[] = {
            {e.upper + 1, C::Unlikely},
            {e.upper + 0.1, C::Unlikely},
            {e.upper, C::Uncertain},
            {e.upper - 0.1, C::Uncertain},
            {e.lower + 0.1, C::Uncertain},
            {e.lower, C::Uncertain},
            {e.lower - 0.1, C::Likely},
            {e.lower - 1, C::Likely},
            {0, C::Unlikely},
            {-999, C::Likely},
        };
        for (const auto& c : cases) EXPECT_EQ(ClassifyPotential(c.mV, t), c.expected) << c.mV << " mV";
    }
}

TEST(PotentialClasses, ThresholdsOfOneElectrodeDoNotLeakIntoAnother)
{
    // -210 mV is uncertain against Cu/CuSO4 but already likely against saturated Ag/AgCl.
    EXPECT_EQ(ClassifyPotential(-210, ThresholdsFor(Electrode::CuCuSO4)), PotentialClass::Uncertain);
    EXPECT_EQ(ClassifyPotential(-240, ThresholdsFor(Electrode::AgAgClSaturated)), PotentialClass::Likely);
    EXPECT_EQ(ClassifyPotential(-100, ThresholdsFor(Electrode::AgAgClSaturated)), PotentialClass::Uncertain);
    EXPECT_EQ(ClassifyPotential(-100, ThresholdsFor(Electrode::Calomel)), PotentialClass::Unlikely);
}

TEST(ResistivityClasses, BoundariesTakeTheRiskierClass)
{
    using C = ResistivityClass;
    const struct {
        double kOhmCm;
        C expected;
    } cases[] = {
        {1000, C::Negligible}, {100.1, C::Negligible}, {100, C::Low},       {99.9, C::Low},
        {50.1, C::Low},        {50, C::Moderate},      {49.9, C::Moderate}, {10.1, C::Moderate},
        {10, C::High},         {9.9, C::High},         {0, C::High},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyResistivity(c.kOhmCm), c.expected) << c.kOhmCm;
}

TEST(RiskMatrix, EveryCellOfTheTable)
{
    using P = PotentialClass;
    using R = ResistivityClass;
    using X = CombinedRisk;
    const X expected[3][4] = {
        // negligible, low, moderate, high resistivity risk
        {X::Low, X::Low, X::Low, X::Moderate},       // corrosion unlikely
        {X::Low, X::Moderate, X::Moderate, X::High}, // uncertain
        {X::Moderate, X::High, X::High, X::Severe},  // corrosion likely
    };
    for (int p = 0; p < 3; ++p)
        for (int r = 0; r < 4; ++r) EXPECT_EQ(Combine(P(p), R(r)), expected[p][r]) << p << "," << r;
}

TEST(RiskMatrix, AWorseReadingNeverLowersTheRisk)
{
    for (int p = 0; p < 3; ++p)
        for (int r = 0; r < 4; ++r) {
            const int here = int(Combine(PotentialClass(p), ResistivityClass(r)));
            if (p + 1 < 3) {
                EXPECT_LE(here, int(Combine(PotentialClass(p + 1), ResistivityClass(r))));
            }
            if (r + 1 < 4) {
                EXPECT_LE(here, int(Combine(PotentialClass(p), ResistivityClass(r + 1))));
            }
        }
}

} // namespace
