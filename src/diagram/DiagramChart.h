#pragma once
// The 3-D chart panel of the diagram window: draws the surfaces with ChartPainter and turns
// mouse drags into zoom, scroll, rotation and moves of the view.
#include "ChartPainter.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QVariantAnimation;

class DiagramChart : public QWidget {
    Q_OBJECT
public:
    /// Normal: left drag zooms into a rectangle, right drag scrolls. Rotate: left drag
    /// rotates, right drag moves the drawing.
    enum class MouseMode { Normal, Rotate };

    explicit DiagramChart(QWidget* parent = nullptr);

    void setSurfaces(std::vector<DiagramSurface> surfaces);
    const std::vector<DiagramSurface>& surfaces() const { return surfaces_; }
    /// Surface `k` to change in place; call update() afterwards.
    DiagramSurface& surface(int k) { return surfaces_[std::size_t(k)]; }

    void setTitles(const ChartTitles& titles);
    const ChartTitles& titles() const { return titles_; }
    const ChartView& view() const { return view_; }
    void setView(const ChartView& view);
    /// Changes the zoom by `steps` percent and keeps it within 2..1000.
    void zoomBy(int steps);

    void setMouseMode(MouseMode mode) { mode_ = mode; }
    MouseMode mouseMode() const { return mode_; }
    /// Whether a rectangle zoom is still moving towards its end.
    bool animating() const;

    /// The chart as a picture of its current size.
    QImage image() const;
    void copyToClipboard() const;
    /// The print preview, from which the chart is printed; returns when it closes. A printing
    /// module that cannot be loaded is reported in language `lang`.
    void printPreview(int lang);

    /// Grid cells drawn at most while the view is being dragged.
    static constexpr int kDragCells = 20000;

signals:
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void zoomIntoRect(const QRect& rect);

    std::vector<DiagramSurface> surfaces_;
    ChartTitles titles_;
    ChartView view_;
    ChartView startView_;
    MouseMode mode_ = MouseMode::Rotate;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint dragStart_, dragLast_;
    QRect band_; // the rectangle being dragged in normal mode
    QVariantAnimation* animation_;
};
