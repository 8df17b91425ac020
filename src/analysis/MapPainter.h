#pragma once
// The 2-D map of one object drawn with QPainter: interpolated fill by class or on a continuous
// scale, labelled iso-lines, the measured points and a legend; or, for an object with both
// surveys, the combined risk of every grid position. Any paint device: screen, PNG, SVG, PDF.
// What is drawn is worked out in MapContent; this only draws it.
#include "MapContent.h"
#include "Survey.h"

#include <QImage>
#include <QRectF>

#include <vector>

class QPainter;

class SurveyMap {
public:
    /// `partner` is the object's other survey for the combined view (may be null).
    SurveyMap(const SurveyObject& object, const SurveyObject* partner, const MapOptions& options);

    /// The map, its axes and the legend inside `area`; `unit` is the size of one screen pixel
    /// on the device (1 on screen, resolution / 96 on a PDF).
    void paint(QPainter& painter, const QRectF& area, double unit = 1) const;

    /// Table rows of the measured position under `pos` (within `radius` device units), given
    /// the same `area` and `unit` as painted: one row, or the potential and the resistivity
    /// row in the combined view. Empty where there is none.
    std::vector<int> rowsAt(const QRectF& area, QPointF pos, double unit = 1, double radius = 8) const;

    /// Where point `point` of series `series` is drawn, given the same `area` and `unit` as painted.
    QPointF positionOf(const QRectF& area, int point, int series, double unit = 1) const;

    const MapContent& content() const { return content_; }
    bool combined() const { return content_.combined; }
    QString legendTitle() const { return content_.legendTitle; }
    const std::vector<LegendEntry>& legend() const { return content_.legend; }

    /// The interpolated fill as an image of `width` × `height` pixels spanning the grid's
    /// nodes, transparent where there is no reading to interpolate from.
    QImage fillImage(int width, int height) const;

private:
    QPointF toDevice(const MapLayout& l, double i, double j) const { return MapPoint(content_, l, i, j); }
    void paintLegend(QPainter& p, const QRectF& r, double unit) const;
    void paintAxes(QPainter& p, const MapLayout& l, double unit) const;

    const SurveyObject& object_;
    MapContent content_;
};
