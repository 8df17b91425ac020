#pragma once
// Where a window opens: its design size where that fits the screen's available area, otherwise
// capped to it, so that no part lies off a small laptop screen; and, for windows opened again
// and again in one run, where the user left them, brought back onto the screen should that
// have changed meanwhile. Nothing is kept past the run.
#include <QRect>
#include <QString>

class QSplitter;
class QWidget;

/// The inside size and the frame's top left corner (what resize() and move() take) of a
/// window of `design` size (at least `minimum`), capped so that window and frame fit
/// `available`, centred on it.
QRect FittedGeometry(QSize design, QSize minimum, const QRect& available);
/// `remembered` (frame corner, inside size) capped and moved, as little as it takes, so that
/// window and frame lie on `available`.
QRect OnScreen(const QRect& remembered, const QRect& available);

/// Sizes and places `window`: where it was left earlier in this run under `key` (with its
/// splitter's sizes), else at `design` fitted to its screen. From then on, the window's place is
/// remembered under `key` whenever it is hidden or closed. An empty key only fits.
void PlaceWindow(QWidget& window, QSize design, const QString& key = {}, QSplitter* splitter = nullptr);
