#pragma once
// The analysis window's histogram and cumulative plot of the selected survey, with the
// thresholds of a potential survey dragged on the cumulative plot.
#include "Classes.h"
#include "Survey.h"

#include <QWidget>

/// The histogram (kind 0) or the cumulative distribution (kind 1) of the selected object. On the
/// cumulative plot of a potential survey the two thresholds can be dragged with the mouse.
class TChartView : public QWidget {
    Q_OBJECT
public:
    TChartView(int kind, QWidget* parent = nullptr) : QWidget(parent), kind_(kind) {}
    void setObject(const SurveyObject* object, const PotentialThresholds& thresholds, int lang);
    /// Where threshold `which` (0 upper, 1 lower) is drawn, in widget pixels; -1 when not shown.
    double thresholdX(int which) const;

signals:
    /// The user dragged threshold `which` (0 upper, 1 lower) to `mV`.
    void thresholdDragged(int which, double mV);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF chartArea() const;

    int kind_;
    const SurveyObject* object_ = nullptr;
    PotentialThresholds thresholds_;
    int lang_ = 0;
    int dragging_ = -1;
};
