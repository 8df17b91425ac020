#include "ChartPainter.h"

#include "MapPainter.h"
#include "PaintFont.h"
#include "Statistics.h"
#include "SurveyFigures.h"
#include "texts/AnalysisTexts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

std::vector<double> Thresholds(const SurveyObject& o, const PotentialThresholds& t)
{
    if (o.sensor == SensorKind::Potential) return {t.upper, t.lower};
    if (o.sensor == SensorKind::Resistance) return {kResistivityBounds.begin(), kResistivityBounds.end()};
    return {};
}

QColor ClassColorOf(const SurveyObject& o, const PotentialThresholds& t, double v)
{
    if (o.sensor == SensorKind::Potential) return PotentialClassColor(ClassifyPotential(v, t));
    if (o.sensor == SensorKind::Resistance) return ResistivityClassColor(ClassifyResistivity(v));
    return QColor(0x45, 0x75, 0xb4);
}

// A frame with a title, value axis below and a count or percent axis on the left.
struct Frame {
    QRectF plot;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    double X(double v) const { return plot.left() + (v - x0) / (x1 - x0) * plot.width(); }
    double Y(double v) const { return plot.bottom() - (v - y0) / (y1 - y0) * plot.height(); }
};

QRectF PlotRect(const QRectF& area, double unit)
{
    const QFontMetricsF bold(PaintFont(unit, 11, true));
    const QFontMetricsF fm(PaintFont(unit, 9.5));
    return QRectF(area.left() + 40 * unit, area.top() + bold.height() + 6 * unit, area.width() - 50 * unit,
                  area.height() - bold.height() - 6 * unit - 2 * fm.height() - 10 * unit);
}

// Probability-axis ticks in percent.
constexpr double kProbabilityTicks[] = {1, 5, 10, 25, 50, 75, 90, 95, 99};

Frame DrawFrame(QPainter& p, const QRectF& area, double unit, const QString& title, const QString& xTitle,
                double x0, double x1, double y0, double y1, bool percent, bool probit = false)
{
    Frame f;
    p.setFont(PaintFont(unit, 11, true));
    const QFontMetricsF bold(p.font());
    p.setPen(QColor(20, 20, 20));
    p.drawText(QPointF(area.left() + 4 * unit, area.top() + bold.ascent()), title);
    p.setFont(PaintFont(unit, 9.5));
    const QFontMetricsF fm(p.font());
    f.plot = PlotRect(area, unit);
    f.x0 = x0;
    f.x1 = x1 > x0 ? x1 : x0 + 1;
    f.y0 = y0;
    f.y1 = y1 > y0 ? y1 : y0 + 1;
    p.fillRect(f.plot, QColor(0xfa, 0xfa, 0xfa));

    // Value ticks along the bottom.
    const int xCount = std::max(2, int(f.plot.width() / (60 * unit)));
    const double xs = NiceWidth(f.x1 - f.x0, xCount);
    for (double v = std::ceil(f.x0 / xs - 1e-9) * xs; v <= f.x1 + 1e-9; v += xs) {
        const double x = f.X(v);
        p.setPen(QPen(QColor(225, 225, 225), 0.6 * unit));
        p.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
        p.setPen(QColor(40, 40, 40));
        const QString t = QString::number(std::abs(v) < 1e-9 ? 0 : v, 'g', 6);
        p.drawText(QPointF(x - fm.horizontalAdvance(t) / 2, f.plot.bottom() + 3 * unit + fm.ascent()), t);
    }
    const auto yTick = [&](double y, const QString& t) {
        p.setPen(QPen(QColor(225, 225, 225), 0.6 * unit));
        p.drawLine(QPointF(f.plot.left(), y), QPointF(f.plot.right(), y));
        p.setPen(QColor(40, 40, 40));
        p.drawText(
            QPointF(f.plot.left() - 4 * unit - fm.horizontalAdvance(t), y + fm.ascent() / 2 - 1 * unit), t);
    };
    if (probit) {
        // Fewer ticks where the plot is short, so their labels never overlap.
        const bool dense = f.plot.height() > 9 * fm.height();
        for (double t : kProbabilityTicks)
            if (dense || t == 1 || t == 10 || t == 50 || t == 90 || t == 99)
                yTick(f.Y(NormalQuantile(t / 100)), QString::number(t));
    } else {
        const int yCount = std::max(2, int(f.plot.height() / (28 * unit)));
        const double ys = percent ? 25 : std::max(1.0, NiceWidth(f.y1 - f.y0, yCount));
        for (double v = f.y0; v <= f.y1 + 1e-9; v += ys) yTick(f.Y(v), QString::number(v, 'g', 6));
    }
    p.drawText(QRectF(f.plot.left(), f.plot.bottom() + fm.height() + 4 * unit, f.plot.width(), fm.height()),
               Qt::AlignHCenter, xTitle);
    return f;
}

void DrawThresholds(QPainter& p, const Frame& f, const std::vector<double>& thresholds, double unit)
{
    p.setFont(PaintFont(unit, 9));
    const QFontMetricsF fm(p.font());
    for (double t : thresholds) {
        if (t < f.x0 || t > f.x1) continue;
        const double x = f.X(t);
        p.setPen(QPen(QColor(30, 30, 30), 1.3 * unit, Qt::DashLine));
        p.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
        const QString text = QString::number(t, 'g', 6);
        QRectF box = fm.boundingRect(text).adjusted(-2 * unit, 0, 2 * unit, 0);
        box.moveCenter(QPointF(x, f.plot.top() + fm.height() / 2 + 2 * unit));
        p.fillRect(box, QColor(255, 255, 255, 220));
        p.setPen(QColor(20, 20, 20));
        p.drawText(box, Qt::AlignCenter, text);
    }
}

QString AxisTitle(const SurveyObject& o, int lang)
{
    const QString unit = UnitText(o.sensor, lang);
    const QString name = AnalysisText::SensorNames[std::size_t(o.sensor)][lang];
    return unit.isEmpty() ? name : name + QStringLiteral(", ") + unit;
}

} // namespace

double HistogramWidth(const SurveyObject& object)
{
    const std::vector<double> v = object.values();
    if (v.empty()) return 1;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    // Potentials in whole mV and resistivities to a tenth: no bin finer than the readings.
    const double finest = object.sensor == SensorKind::Resistance ? 0.5 : 5;
    return std::max(finest, NiceWidth(*hi - *lo, 12));
}

Histogram HistogramOf(const SurveyObject& object, const PotentialThresholds& thresholds)
{
    const std::vector<double> values = object.values();
    const std::vector<double> bounds = Thresholds(object, thresholds);
    const SensorKind sensor = object.sensor;
    const ClassOf classOf = [sensor, thresholds](double v) {
        if (sensor == SensorKind::Potential) return int(ClassifyPotential(v, thresholds));
        if (sensor == SensorKind::Resistance) return int(ClassifyResistivity(v));
        return 0;
    };
    Histogram h = ClassAlignedHistogram(values, bounds, 12, classOf);
    // No bin finer than the readings (whole mV, tenths of kOhm·cm) unless a boundary needs it.
    if (!values.empty() && h.width < HistogramWidth(object) && bounds.empty())
        h = MakeHistogram(values, HistogramWidth(object));
    return h;
}

void PaintHistogram(QPainter& p, const QRectF& area, const SurveyObject& object,
                    const PotentialThresholds& thresholds, int lang, double unit)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const Histogram h = HistogramOf(object, thresholds);
    const int top = h.counts.empty() ? 1 : *std::max_element(h.counts.begin(), h.counts.end());
    const Frame f = DrawFrame(p, area, unit, AnalysisText::Histogram[lang], AxisTitle(object, lang), h.start,
                              h.counts.empty() ? h.start + 1 : h.end(), 0,
                              std::max(1.0, NiceWidth(top, 4) * std::ceil(top / NiceWidth(top, 4))), false);
    for (std::size_t k = 0; k < h.counts.size(); ++k) {
        if (!h.counts[k]) continue;
        const double a = h.start + double(k) * h.width;
        const QRectF bar(QPointF(f.X(a), f.Y(h.counts[k])), QPointF(f.X(a + h.width), f.Y(0)));
        p.fillRect(bar, ClassColorOf(object, thresholds, a + h.width / 2));
        p.setPen(QPen(QColor(60, 60, 60), 0.7 * unit));
        p.setBrush(Qt::NoBrush);
        p.drawRect(bar);
    }
    DrawThresholds(p, f, Thresholds(object, thresholds), unit);
    p.setPen(QPen(QColor(90, 90, 90), 0.8 * unit));
    p.drawRect(f.plot);
    p.restore();
}

ValueAxis CumulativeAxis(const QRectF& area, const SurveyObject& object, double unit)
{
    const std::vector<double> values = object.values();
    ValueAxis axis;
    const QRectF plot = PlotRect(area, unit);
    axis.left = plot.left();
    axis.right = plot.right();
    if (!values.empty()) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        const double w = HistogramWidth(object);
        axis.v0 = std::floor(*lo / w) * w;
        axis.v1 = std::ceil(*hi / w) * w;
        if (axis.v1 <= axis.v0) axis.v1 = axis.v0 + w;
    }
    return axis;
}

void PaintCumulative(QPainter& p, const QRectF& area, const SurveyObject& object,
                     const PotentialThresholds& thresholds, int lang, double unit)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const std::vector<double> values = object.values();
    const auto points = ProbabilityPlot(values);
    const ValueAxis axis = CumulativeAxis(area, object, unit);
    const double zEdge = NormalQuantile(0.005);
    const Frame f = DrawFrame(p, area, unit, AnalysisText::Cumulative[lang] + QStringLiteral(", %"),
                              AxisTitle(object, lang), axis.v0, axis.v1, zEdge, -zEdge, true, true);
    p.setPen(QPen(QColor(0x22, 0x55, 0x99), 1 * unit));
    p.setBrush(QColor(0x22, 0x55, 0x99));
    const double r = 2.2 * unit;
    for (const ProbabilityPoint& pt : points)
        p.drawEllipse(QPointF(f.X(pt.value), f.Y(std::clamp(pt.z, zEdge, -zEdge))), r, r);
    p.setBrush(Qt::NoBrush);
    DrawThresholds(p, f, Thresholds(object, thresholds), unit);
    p.setPen(QPen(QColor(90, 90, 90), 0.8 * unit));
    p.drawRect(f.plot);
    p.restore();
}
