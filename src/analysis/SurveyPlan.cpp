#include "SurveyPlan.h"

#include <algorithm>

SurveyPlan::SurveyPlan(const SurveyObject& survey, LengthUnit unit, const Orientation& orientation)
    : SurveyPlan(survey, unit, orientation, survey.firstPoint, survey.firstPoint + survey.grid.columns() - 1,
                 survey.firstSeries, survey.firstSeries + survey.grid.rows() - 1)
{
}

SurveyPlan::SurveyPlan(const SurveyObject& survey, LengthUnit unit, const Orientation& orientation,
                       int firstPoint, int lastPoint, int firstSeries, int lastSeries)
    : stepX_(FromCentimetres(survey.stepX, unit)), stepY_(FromCentimetres(survey.stepY, unit)),
      orientation_(orientation)
{
    width = (lastPoint - 1) * stepX_;
    height = (lastSeries - 1) * stepY_;
    halfX = (orientation.rotate ? stepY_ : stepX_) / 2;
    halfY = (orientation.rotate ? stepX_ : stepY_) / 2;
    const PlanPoint a = at(firstPoint, firstSeries);
    const PlanPoint b = at(lastPoint, lastSeries);
    minX = std::min(a.x, b.x);
    maxX = std::max(a.x, b.x);
    minY = std::min(a.y, b.y);
    maxY = std::max(a.y, b.y);
}

PlanPoint SurveyPlan::at(double point, double series) const
{
    return Orient({(point - 1) * stepX_, (series - 1) * stepY_}, width, height, orientation_);
}

PlanFrame FitPlan(const SurveyPlan& plan, const QRectF& room)
{
    const double spanX = plan.maxX - plan.minX + 2 * plan.halfX;
    const double spanY = plan.maxY - plan.minY + 2 * plan.halfY;
    PlanFrame f;
    f.scale = std::max(1e-9, std::min(room.width() / spanX, room.height() / spanY));
    f.plot = QRectF(room.left() + (room.width() - spanX * f.scale) / 2,
                    room.top() + (room.height() - spanY * f.scale) / 2, spanX * f.scale, spanY * f.scale);
    f.x0 = plan.minX - plan.halfX;
    f.y0 = plan.minY - plan.halfY;
    return f;
}
