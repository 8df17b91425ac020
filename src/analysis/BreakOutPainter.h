#pragma once
// The break-out suggestion map: every measured position of a survey as a small dot and the
// positions in its worst class as numbered markers, painted with QPainter onto any device.
#include "BreakOut.h"

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
                                      const PotentialThresholds& thresholds, int lang, double unit = 1);
