#pragma once
// A survey's readings as a CSV table for CAD/GIS and spreadsheets, and the key that names a
// survey in the record file. No window code.
#include "Survey.h"
#include "SurveyGeometry.h"

#include <QString>

#include <functional>

/// Name, sensor and day of the first reading: stays the same when the table is sorted or read
/// again, and tells a repeat survey of the same object apart.
QString SurveyKey(const SurveyObject& survey);

/// Drawn position of every reading of `survey` (same order as its points), in `unit`, with point 1
/// of series 1 at the origin before the orientation is applied.
std::vector<PlanPoint> DrawnPositions(const SurveyObject& survey, LengthUnit unit, const Orientation& o);

/// One line per reading: x, y (in `unit`, as drawn), value, its class (from `classOf`) and the
/// table row. Comma separated, decimal point, texts quoted where needed, CRLF line ends; the
/// header names the unit (lang 0 Russian, 1 English).
QString SurveyCsv(const SurveyObject& survey, LengthUnit unit, const Orientation& o,
                  const std::function<QString(double)>& classOf, int lang);
