#pragma once
// The windows were laid out at 120 dpi with a 14-pixel font. Their sizes are given in those
// design pixels and scaled to the screen's logical dpi; a window may widen further where this
// machine's font runs wider than the one the sizes were chosen for. Header only, so that every
// window folder can use it without linking the main window.
#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cmath>

class DesignScale {
public:
    static constexpr int kDesignDpi = 120;
    static constexpr int kFontHeight = 14;

    /// The scale for the screen `widget` is on, and the design font at that scale.
    explicit DesignScale(const QWidget& widget) : font_(widget.font())
    {
        const double dpi = widget.logicalDpiY() > 0 ? widget.logicalDpiY() : 96.0;
        factor_ = dpi / kDesignDpi;
        font_.setPixelSize(std::max(9, int(std::lround(kFontHeight * factor_))));
    }

    /// Screen pixels per design pixel.
    double factor() const { return factor_; }
    const QFont& font() const { return font_; }
    int px(double design) const { return int(std::lround(design * factor_)); }

    /// Screen pixels `text` needs in the design font, with room for a cell's margins.
    double textWidth(const QString& text) const { return QFontMetricsF(font_).horizontalAdvance(text) + 10; }
    /// Widens the whole scale until `text` fits a width of `design` design pixels.
    void fit(const QString& text, double design) { factor_ = std::max(factor_, textWidth(text) / design); }

private:
    QFont font_;
    double factor_ = 1.0;
};
