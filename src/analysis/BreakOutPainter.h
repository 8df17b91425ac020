#pragma once
// Plans of a survey painted with QPainter onto any device, placed as its map places them (length
// unit, origin at point 1 of series 1, mirrors and quarter turn): the break-out suggestion map,
// every measured position as a small dot and the positions in the worst class as numbered
// markers; and the grid sketch, the series and points as laid out with the origin marked.
#include "BreakOut.h"
#include "SurveyGeometry.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <vector>

class QPainter;

/// Colour of the numbered markers.
QColor BreakOutMarkerColor();

/// Paints the map into `area` (`unit`: one screen pixel on the device) with its title and, where
/// no position is in the worst class, a line that says so. Returns the markers' centres in the
/// order of their numbers.
std::vector<QPointF> PaintBreakOutMap(QPainter& painter, const QRectF& area, const SurveyObject& survey,
                                      const PotentialThresholds& thresholds, LengthUnit length,
                                      const Orientation& orientation, int lang, double unit = 1);

/// Paints the grid sketch into `area`: each series as a line through its measured points, the
/// first and last series and point named, the origin (0, 0) ringed at point 1 of series 1, and the
/// axes with their length unit. Returns where the origin was drawn.
QPointF PaintGridSketch(QPainter& painter, const QRectF& area, const SurveyObject& survey, LengthUnit length,
                        const Orientation& orientation, int lang, double unit = 1);
