#include "Classes.h"

#include <utility>

PotentialThresholds ThresholdsFor(Electrode electrode)
{
    // The Cu/CuSO4 boundaries moved by each electrode's offset against it.
    switch (electrode) {
    case Electrode::CuCuSO4: return {-200, -350};
    case Electrode::AgAgClSaturated: return {-81, -231};
    case Electrode::AgAgCl1M: return {-120, -270};
    case Electrode::Calomel: return {-125, -275};
    }
    return {-200, -350};
}

ThresholdsInForce StandardThresholds(Electrode electrode)
{
    return {ThresholdsFor(electrode), electrode, false};
}

ThresholdsInForce EngineerThresholds(Electrode electrode, double upper, double lower)
{
    if (upper < lower) std::swap(upper, lower);
    return {{upper, lower}, electrode, true};
}

PotentialClass ClassifyPotential(double mV, const PotentialThresholds& t)
{
    if (mV > t.upper) return PotentialClass::Unlikely;
    if (mV < t.lower) return PotentialClass::Likely;
    return PotentialClass::Uncertain;
}

ResistivityClass ClassifyResistivity(double kOhmCm)
{
    if (kOhmCm > kResistivityBounds[0]) return ResistivityClass::Negligible;
    if (kOhmCm > kResistivityBounds[1]) return ResistivityClass::Low;
    if (kOhmCm > kResistivityBounds[2]) return ResistivityClass::Moderate;
    return ResistivityClass::High;
}

CombinedRisk Combine(PotentialClass potential, ResistivityClass resistivity)
{
    using R = CombinedRisk;
    // Rows: unlikely, uncertain, likely; columns: negligible, low, moderate, high.
    static constexpr R kMatrix[kPotentialClassCount][kResistivityClassCount] = {
        {R::Low, R::Low, R::Low, R::Moderate},
        {R::Low, R::Moderate, R::Moderate, R::High},
        {R::Moderate, R::High, R::High, R::Severe},
    };
    return kMatrix[int(potential)][int(resistivity)];
}
