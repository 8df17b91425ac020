#pragma once
// Draws the corrosion diagram with QPainter onto any paint device: the window's chart,
// the clipboard image, the printed page and the benchmarks use the same drawing.
#include "ChartGeometry.h"

#include <QPainter>
#include <QRect>
#include <QString>

/// Titles of the left, right, bottom and depth axes.
struct ChartTitles {
    QString left, right, bottom, depth;
};

class ChartPainter {
public:
    /// `gridStep` > 1 draws a coarser grid of every surface (see AppendSurfacePrimitives).
    static void paint(QPainter& painter, const QRect& rect, const std::vector<DiagramSurface>& surfaces,
                      const ChartView& view, const ChartTitles& titles, int gridStep = 1);

    /// The box's rectangle at zoom 100 inside a chart of `rect`: what is left beside the axis
    /// labels and titles.
    static QRectF plotRect(const QRect& rect);

    /// A grid step that keeps a frame near `cells` grid cells; 1 when the surfaces are smaller.
    static int coarseStep(const std::vector<DiagramSurface>& surfaces, int cells);
};
