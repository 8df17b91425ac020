#pragma once
// The histogram and the cumulative distribution (on a normal-probability axis) of one object's
// readings, with the class thresholds drawn on them, painted with QPainter onto any device.
#include "Classes.h"
#include "Statistics.h"
#include "Survey.h"

#include <QRectF>

class QPainter;

/// Bin width of the histogram: a round number that cuts the readings into about 12 bins.
double HistogramWidth(const SurveyObject& object);

/// The bins PaintHistogram draws: edges on the class boundaries, and a reading on a boundary in
/// the bin of its own class (-200 mV with thresholds -200 / -350 in an "uncertain" bin).
Histogram HistogramOf(const SurveyObject& object, const PotentialThresholds& thresholds);

/// `unit` is the size of one screen pixel on the device, as for the map. Potentials are classed
/// by `thresholds`; the histogram's bins have the class boundaries as edges.
void PaintHistogram(QPainter& painter, const QRectF& area, const SurveyObject& object,
                    const PotentialThresholds& thresholds, int lang, double unit = 1);
/// The readings against the normal quantile of their plotting position (probability axis in %),
/// so that a passive and an active population show as two straight lines.
void PaintCumulative(QPainter& painter, const QRectF& area, const SurveyObject& object,
                     const PotentialThresholds& thresholds, int lang, double unit = 1);

/// Where PaintCumulative puts its value axis inside `area`: the plot's left and right edges and
/// the values there, so a window can turn a mouse position into a value (threshold dragging).
struct ValueAxis {
    double left = 0, right = 1;
    double v0 = 0, v1 = 1;
    double valueAt(double x) const { return v0 + (x - left) / (right - left) * (v1 - v0); }
    double xOf(double v) const { return left + (v - v0) / (v1 - v0) * (right - left); }
};
ValueAxis CumulativeAxis(const QRectF& area, const SurveyObject& object, double unit = 1);
