#pragma once
// Every window's sizes on the screen come from here. Most windows were laid out at 120 dpi with
// a 14-pixel font: their sizes are given in those design pixels and scaled to the screen's
// logical dpi, and a window may widen further where this machine's font runs wider than the one
// the sizes were chosen for. Other sizes are fixed in plain pixels (the exchange's progress, the
// screenshot window, About, the help and analysis windows, the diagram's minimum): those are kept
// on a screen of 96 dpi or less and grow in proportion on a denser one, so that texts still fit.
// Header only, so that every window folder can use it without linking the main window.
#include <QFont>
#include <QFontMetricsF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cmath>

class DesignScale {
public:
    static constexpr int kDesignDpi = 120;
    /// The dpi at which a window's fixed pixel sizes are shown as they are.
    static constexpr int kPixelDpi = 96;
    static constexpr int kFontHeight = 14;

    /// How a window's sizes are given.
    enum class Sizes {
        Design, ///< design pixels at 120 dpi, scaled up and down (never below half)
        Fixed,  ///< plain pixels, kept up to 96 dpi and grown above it
    };

    /// Screen pixels per size unit of `sizes` on a screen of `dpi` logical dots per inch (a
    /// screen that reports none counts as 96 dpi).
    static double Factor(double dpi, Sizes sizes)
    {
        if (dpi <= 0) dpi = kPixelDpi;
        if (sizes == Sizes::Fixed) return std::max(1.0, dpi / kPixelDpi);
        return std::max(0.5, dpi / kDesignDpi);
    }

    /// The scale for the screen `widget` is on, and the design font at that scale.
    explicit DesignScale(const QWidget& widget, Sizes sizes = Sizes::Design) : font_(widget.font())
    {
        const double dpi = widget.logicalDpiY();
        factor_ = Factor(dpi, sizes);
        font_.setPixelSize(std::max(9, int(std::lround(kFontHeight * Factor(dpi, Sizes::Design)))));
    }

    /// A scale of `factor` screen pixels per size unit, with the default font as the design font.
    explicit DesignScale(double factor) : factor_(factor) {}

    /// Screen pixels per size unit.
    double factor() const { return factor_; }
    /// The 14-pixel design font at the screen's scale.
    const QFont& font() const { return font_; }
    int px(double design) const { return int(std::lround(design * factor_)); }
    QSize size(int width, int height) const { return {px(width), px(height)}; }
    /// The rectangle at (x, y) of `width` × `height` units; its right and bottom edges are
    /// scaled, not its size, so that neighbours stay flush.
    QRect rect(int x, int y, int width, int height) const
    {
        const int left = px(x);
        const int top = px(y);
        return {left, top, px(x + width) - left, px(y + height) - top};
    }

    /// Screen pixels `text` needs in the design font, with room for a cell's margins.
    double textWidth(const QString& text) const { return QFontMetricsF(font_).horizontalAdvance(text) + 10; }
    /// Widens the whole scale until `text` fits a width of `design` design pixels.
    void fit(const QString& text, double design) { factor_ = std::max(factor_, textWidth(text) / design); }

private:
    QFont font_;
    double factor_ = 1.0;
};
