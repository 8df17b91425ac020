#pragma once
// Where the positions of a survey are drawn: the grid steps (centimetres) in the chosen length
// unit, point 1 of series 1 at the origin, mirrored and turned as chosen. The map, the break-out
// map and the grid sketch all place their positions with it. No window code.
#include "Survey.h"
#include "SurveyGeometry.h"

#include <QPointF>
#include <QRectF>

class SurveyPlan {
public:
    SurveyPlan() = default;
    /// The extent is the survey's grid.
    SurveyPlan(const SurveyObject& survey, LengthUnit unit, const Orientation& orientation);
    /// The extent reaches from point `firstPoint` of series `firstSeries` to point `lastPoint` of
    /// series `lastSeries` (wider than the grid where another survey is laid over it).
    SurveyPlan(const SurveyObject& survey, LengthUnit unit, const Orientation& orientation, int firstPoint,
               int lastPoint, int firstSeries, int lastSeries);

    /// Drawn coordinates (length unit, Y up) of point `point` of series `series`; fractional
    /// numbers lie between the nodes.
    PlanPoint at(double point, double series) const;

    /// The drawn extent of the outer nodes and half a grid step along each drawn axis.
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    double halfX = 0, halfY = 0;
    /// Width and height of the measured extent from the origin, before the orientation.
    double width = 0, height = 0;

private:
    double stepX_ = 1, stepY_ = 1; // in the length unit
    Orientation orientation_;
};

/// A plan fitted into a device rectangle at one scale for both axes, Y up, centred in it.
struct PlanFrame {
    QRectF plot;           ///< the extent, half a step beyond the outer nodes
    double scale = 1;      ///< device units per length unit
    double x0 = 0, y0 = 0; ///< drawn coordinates of the plot's lower-left corner
    QPointF toDevice(PlanPoint d) const
    {
        return {plot.left() + (d.x - x0) * scale, plot.bottom() - (d.y - y0) * scale};
    }
};
PlanFrame FitPlan(const SurveyPlan& plan, const QRectF& room);
