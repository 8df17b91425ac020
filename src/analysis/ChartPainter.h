#pragma once
// The histogram and the cumulative frequency curve of one object's readings, with the class
// thresholds drawn on them, painted with QPainter onto any device.
#include "Classes.h"
#include "Survey.h"

#include <QRectF>

class QPainter;

/// Bin width of the histogram: a round number that cuts the readings into about 12 bins.
double HistogramWidth(const SurveyObject& object);

/// `unit` is the size of one screen pixel on the device, as for the map.
void PaintHistogram(QPainter& painter, const QRectF& area, const SurveyObject& object, Electrode electrode,
                    int lang, double unit = 1);
void PaintCumulative(QPainter& painter, const QRectF& area, const SurveyObject& object, Electrode electrode,
                     int lang, double unit = 1);
