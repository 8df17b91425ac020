#pragma once
// Where to open the concrete to confirm a survey: its positions in the worst class. No window code.
#include "Classes.h"
#include "Survey.h"

#include <vector>

struct BreakOutPosition {
    int number = 0; ///< 1, 2, … in series then point order
    int series = 0;
    int point = 0;
    double x = 0; ///< in the table's length units, as SurveyObject::xAt gives them
    double y = 0;
    double value = 0;
    int row = 0; ///< table row of the reading
};

/// The positions of `survey` in its sensor's worst class: potentials more negative than
/// `thresholds.lower` ("corrosion likely"), resistivities in the "high" class; none for another
/// sensor.
std::vector<BreakOutPosition> BreakOutPositions(const SurveyObject& survey,
                                                const PotentialThresholds& thresholds);
