#include "BreakOutPainter.h"

#include "PaintFont.h"
#include "SurveyPlan.h"
#include "texts/AnalysisTexts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// The title on top and the axis titles, as the map names its axes: after a quarter turn the
// series run across, so the drawn axes are the measured Y and X.
double DrawTitle(QPainter& p, const QRectF& area, const QString& title, double unit)
{
    p.setFont(PaintFont(unit, 11, true));
    const QFontMetricsF tm(p.font());
    p.setPen(QColor(20, 20, 20));
    p.drawText(QPointF(area.left() + 4 * unit, area.top() + tm.ascent()), title);
    return tm.height();
}

void DrawAxisTitles(QPainter& p, const PlanFrame& f, LengthUnit length, const Orientation& o, int lang,
                    double unit)
{
    p.setFont(PaintFont(unit, 9));
    const QFontMetricsF fm(p.font());
    const QString text = UnitText(length, lang);
    const QString xTitle = (o.rotate ? QStringLiteral("Y, ") : QStringLiteral("X, ")) + text;
    const QString yTitle = (o.rotate ? QStringLiteral("X, ") : QStringLiteral("Y, ")) + text;
    p.setPen(QColor(40, 40, 40));
    p.drawText(QPointF(f.plot.center().x() - fm.horizontalAdvance(xTitle) / 2,
                       f.plot.bottom() + 4 * unit + fm.ascent()),
               xTitle);
    p.drawText(QPointF(f.plot.left() - fm.horizontalAdvance(yTitle) - 4 * unit, f.plot.top() + fm.ascent()),
               yTitle);
}

void DrawOrigin(QPainter& p, QPointF origin, double radius, double unit)
{
    p.setPen(QPen(QColor(20, 20, 20), 1.4 * unit));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(origin, radius, radius);
}

} // namespace

QColor BreakOutMarkerColor() { return QColor(0xb2, 0x18, 0x2b); }

std::vector<QPointF> PaintBreakOutMap(QPainter& p, const QRectF& area, const SurveyObject& survey,
                                      const PotentialThresholds& thresholds, LengthUnit length,
                                      const Orientation& orientation, int lang, double unit)
{
    const std::vector<BreakOutPosition> list = BreakOutPositions(survey, thresholds);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double titleHeight = DrawTitle(p, area, AnalysisText::BreakOut[lang], unit);
    p.setFont(PaintFont(unit, 9));
    const QFontMetricsF fm(p.font());
    if (list.empty())
        p.drawText(QPointF(area.left() + 4 * unit, area.top() + titleHeight + fm.ascent() + 2 * unit),
                   AnalysisText::BreakOutNone[lang]);

    // Kept to scale inside the area, with room for the markers and the axis titles.
    const double marker = std::max(fm.height(), 14 * unit) / 2;
    const double side = std::max(marker, fm.horizontalAdvance(QStringLiteral("Y, mm")) + 6 * unit);
    const QRectF room = area.adjusted(side + 4 * unit, titleHeight + fm.height() + marker + 4 * unit,
                                      -marker - 4 * unit, -fm.height() - marker - 6 * unit);
    std::vector<QPointF> centres;
    if (survey.points.empty() || room.width() <= 0 || room.height() <= 0) {
        p.restore();
        return centres;
    }
    const SurveyPlan plan(survey, length, orientation);
    const PlanFrame f = FitPlan(plan, room);
    const auto at = [&](int point, int series) { return f.toDevice(plan.at(point, series)); };
    p.setPen(QPen(QColor(150, 150, 150), 0.8 * unit));
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.plot);
    DrawAxisTitles(p, f, length, orientation, lang, unit);
    DrawOrigin(p, at(1, 1), marker + 3 * unit, unit);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    for (const SurveyPoint& pt : survey.points)
        p.drawEllipse(at(pt.point, pt.series), 1.6 * unit, 1.6 * unit);
    p.setFont(PaintFont(unit, 9));
    for (const BreakOutPosition& b : list) {
        const QPointF c = at(b.point, b.series);
        centres.push_back(c);
        p.setPen(QPen(Qt::white, 1 * unit));
        p.setBrush(BreakOutMarkerColor());
        p.drawEllipse(c, marker, marker);
        p.setPen(Qt::white);
        p.drawText(QRectF(c.x() - marker, c.y() - marker, 2 * marker, 2 * marker), Qt::AlignCenter,
                   QString::number(b.number));
    }
    p.restore();
    return centres;
}

QPointF PaintGridSketch(QPainter& p, const QRectF& area, const SurveyObject& survey, LengthUnit length,
                        const Orientation& orientation, int lang, double unit)
{
    using namespace AnalysisText;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double titleHeight = DrawTitle(p, area, GridSketch[lang], unit);
    p.setFont(PaintFont(unit, 9));
    const QFontMetricsF fm(p.font());
    const double label = fm.horizontalAdvance(QString(SeriesLabel[lang]).arg(888)) + 8 * unit;
    const QRectF room =
        area.adjusted(label, titleHeight + 2 * fm.height() + 8 * unit, -label, -2 * fm.height() - 10 * unit);
    QPointF origin;
    if (survey.points.empty() || room.width() <= 0 || room.height() <= 0) {
        p.restore();
        return origin;
    }
    const SurveyPlan plan(survey, length, orientation);
    const PlanFrame f = FitPlan(plan, room);
    const auto at = [&](int point, int series) { return f.toDevice(plan.at(point, series)); };
    p.setPen(QPen(QColor(190, 190, 190), 0.6 * unit, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.plot);
    DrawAxisTitles(p, f, length, orientation, lang, unit);

    // Each series as a line through its points in point order.
    std::map<int, std::vector<int>> series;
    for (const SurveyPoint& pt : survey.points) series[pt.series].push_back(pt.point);
    for (auto& [s, points] : series) {
        std::sort(points.begin(), points.end());
        p.setPen(QPen(QColor(70, 70, 70), 1 * unit));
        for (std::size_t k = 1; k < points.size(); ++k) p.drawLine(at(points[k - 1], s), at(points[k], s));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 30, 30));
        for (int pt : points) p.drawEllipse(at(pt, s), 2 * unit, 2 * unit);
        p.setBrush(Qt::NoBrush);
    }
    // The first and last series named beside their first point, the first and last point of the
    // first series beneath them.
    p.setPen(QColor(20, 20, 20));
    const auto name = [&](QPointF c, const QString& text, QPointF away) {
        QRectF box = fm.boundingRect(text).adjusted(-2 * unit, 0, 2 * unit, 0);
        box.moveCenter(c + away);
        p.drawText(box, Qt::AlignCenter, text);
    };
    const auto awayFrom = [&](QPointF from, QPointF to, double distance) {
        const QPointF d = to - from;
        const double len = std::hypot(d.x(), d.y());
        return len > 0 ? QPointF(-d.x() / len * distance, -d.y() / len * distance)
                       : QPointF(0, fm.height() + 6 * unit);
    };
    if (!series.empty()) {
        const auto& [firstSeries, firstPoints] = *series.begin();
        const auto& [lastSeries, lastPoints] = *series.rbegin();
        const QPointF a = at(firstPoints.front(), firstSeries), b = at(firstPoints.back(), firstSeries);
        const double aside = label / 2 + 4 * unit;
        name(a, QString(SeriesLabel[lang]).arg(firstSeries), awayFrom(a, b, aside));
        if (lastSeries != firstSeries) {
            const QPointF c = at(lastPoints.front(), lastSeries), d = at(lastPoints.back(), lastSeries);
            name(c, QString(SeriesLabel[lang]).arg(lastSeries), awayFrom(c, d, aside));
        }
        // Points named on the side away from the other series.
        const QPointF other =
            lastSeries != firstSeries ? at(firstPoints.front(), lastSeries) : a + QPointF(0, -1);
        const QPointF below = awayFrom(a, other, fm.height() + 4 * unit);
        name(a, QString(PointLabel[lang]).arg(firstPoints.front()), below);
        if (firstPoints.back() != firstPoints.front())
            name(b, QString(PointLabel[lang]).arg(firstPoints.back()), below);
    }
    origin = at(1, 1);
    DrawOrigin(p, origin, 7 * unit, unit);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QPointF(origin.x() + 9 * unit, origin.y() - 9 * unit), QStringLiteral("(0, 0)"));
    p.restore();
    return origin;
}
