#pragma once
// The one font of the analysis drawings (map, charts, break-out map, report).
#include <QFont>

/// DejaVu Sans of `pixels` screen pixels, scaled by `unit` (one screen pixel on the device).
QFont PaintFont(double unit, double pixels, bool bold = false);
