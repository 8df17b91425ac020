#include "ChartView.h"

#include "ChartPainter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

void TChartView::setObject(const SurveyObject* object, const PotentialThresholds& thresholds, int lang)
{
    object_ = object;
    thresholds_ = thresholds;
    lang_ = lang;
    update();
}

QRectF TChartView::chartArea() const { return QRectF(rect()).adjusted(2, 2, -2, -2); }

double TChartView::thresholdX(int which) const
{
    if (kind_ != 1 || !object_ || object_->sensor != SensorKind::Potential) return -1;
    const ValueAxis axis = CumulativeAxis(chartArea(), *object_);
    const double v = which == 0 ? thresholds_.upper : thresholds_.lower;
    return v < axis.v0 || v > axis.v1 ? -1 : axis.xOf(v);
}

void TChartView::mousePressEvent(QMouseEvent* event)
{
    dragging_ = -1;
    const double x = event->position().x();
    for (int which = 0; which < 2; ++which) {
        const double at = thresholdX(which);
        if (at >= 0 && std::abs(at - x) <= 6 &&
            (dragging_ < 0 || std::abs(at - x) < std::abs(thresholdX(dragging_) - x)))
            dragging_ = which;
    }
    if (dragging_ < 0) QWidget::mousePressEvent(event);
}

void TChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ < 0 || !object_) {
        // The pointer shows where a threshold can be taken.
        const double x = event->position().x();
        const bool near = std::abs(thresholdX(0) - x) <= 6 || std::abs(thresholdX(1) - x) <= 6;
        setCursor(near ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    const ValueAxis axis = CumulativeAxis(chartArea(), *object_);
    const double mV = std::round(std::clamp(axis.valueAt(event->position().x()), axis.v0, axis.v1));
    emit thresholdDragged(dragging_, mV);
}

void TChartView::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = -1;
    QWidget::mouseReleaseEvent(event);
}

void TChartView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!object_) return;
    if (kind_ == 0)
        PaintHistogram(p, chartArea(), *object_, thresholds_, lang_);
    else
        PaintCumulative(p, chartArea(), *object_, thresholds_, lang_);
}
