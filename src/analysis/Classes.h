#pragma once
// Corrosion classes of half-cell potentials (ASTM C876, thresholds shifted to the reference
// electrode in use), of Wenner resistivities, and the risk of a point where both were measured.
// No window code.
#include <array>

/// Reference electrode of the potential survey; the order is the order of the user's choice.
enum class Electrode { CuCuSO4 = 0, AgAgClSaturated, AgAgCl1M, Calomel };
inline constexpr int kElectrodeCount = 4;

/// Class boundaries in mV for one electrode: `upper` is the less negative one (-200 mV for
/// Cu/CuSO4), `lower` the more negative one (-350 mV).
struct PotentialThresholds {
    double upper = -200;
    double lower = -350;
};
PotentialThresholds ThresholdsFor(Electrode electrode);

/// The potential thresholds a survey is classed by: the ASTM C876 values for the electrode, or
/// values the engineer set for this structure.
struct ThresholdsInForce {
    PotentialThresholds values;
    Electrode electrode = Electrode::CuCuSO4;
    bool setByEngineer = false;
};
ThresholdsInForce StandardThresholds(Electrode electrode);
/// Engineer's values; `upper` and `lower` are swapped when given the wrong way round.
ThresholdsInForce EngineerThresholds(Electrode electrode, double upper, double lower);

enum class PotentialClass { Unlikely = 0, Uncertain, Likely };
inline constexpr int kPotentialClassCount = 3;

/// Above `upper`: unlikely; from `upper` down to `lower`, both included: uncertain; below: likely.
PotentialClass ClassifyPotential(double mV, const PotentialThresholds& thresholds);

enum class ResistivityClass { Negligible = 0, Low, Moderate, High };
inline constexpr int kResistivityClassCount = 4;
/// Class boundaries in kOhm·cm (Wenner probe, OPC concrete at 20 °C), from the top: a value equal
/// to a boundary takes the riskier class below it, so exactly 10 kOhm·cm is "high".
inline constexpr std::array<double, 3> kResistivityBounds{100, 50, 10};

ResistivityClass ClassifyResistivity(double kOhmCm);

/// Risk of one grid point from its potential and resistivity classes, or why it has none.
enum class CombinedRisk { Low = 0, Moderate, High, Severe, NoPotential, NoResistivity };
inline constexpr int kCombinedRiskLevels = 4; // Low .. Severe; the rest mark missing readings

/// The risk matrix: potential class (how likely the steel corrodes) against resistivity class
/// (how fast the concrete lets it).
CombinedRisk Combine(PotentialClass potential, ResistivityClass resistivity);
