#include "BreakOut.h"

#include <algorithm>

std::vector<BreakOutPosition> BreakOutPositions(const SurveyObject& survey,
                                                const PotentialThresholds& thresholds)
{
    std::vector<const SurveyPoint*> worst;
    for (const SurveyPoint& p : survey.points) {
        const bool inWorst = (survey.sensor == SensorKind::Potential &&
                              ClassifyPotential(p.value, thresholds) == PotentialClass::Likely) ||
                             (survey.sensor == SensorKind::Resistance &&
                              ClassifyResistivity(p.value) == ResistivityClass::High);
        if (inWorst) worst.push_back(&p);
    }
    std::sort(worst.begin(), worst.end(), [](const SurveyPoint* a, const SurveyPoint* b) {
        return a->series != b->series ? a->series < b->series : a->point < b->point;
    });
    std::vector<BreakOutPosition> list;
    for (const SurveyPoint* p : worst) {
        const int i = p->point - survey.firstPoint, j = p->series - survey.firstSeries;
        list.push_back(
            {int(list.size()) + 1, p->series, p->point, survey.xAt(i), survey.yAt(j), p->value, p->row});
    }
    return list;
}
