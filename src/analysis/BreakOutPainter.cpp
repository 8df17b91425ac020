#include "BreakOutPainter.h"

#include "texts/AnalysisTexts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

QColor BreakOutMarkerColor() { return QColor(0xb2, 0x18, 0x2b); }

std::vector<QPointF> PaintBreakOutMap(QPainter& p, const QRectF& area, const SurveyObject& survey,
                                      const PotentialThresholds& thresholds, int lang, double unit)
{
    const std::vector<BreakOutPosition> list = BreakOutPositions(survey, thresholds);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(std::max(1, int(11 * unit)));
    title.setBold(true);
    p.setFont(title);
    const QFontMetricsF tm(title);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QPointF(area.left() + 4 * unit, area.top() + tm.ascent()), AnalysisText::BreakOut[lang]);
    QFont small = title;
    small.setBold(false);
    small.setPixelSize(std::max(1, int(9 * unit)));
    p.setFont(small);
    const QFontMetricsF fm(small);
    if (list.empty())
        p.drawText(QPointF(area.left() + 4 * unit, area.top() + tm.height() + fm.ascent() + 2 * unit),
                   AnalysisText::BreakOutNone[lang]);

    // The grid's extent in its own length units, kept to scale inside the area.
    const double marker = std::max(fm.height(), 14 * unit) / 2;
    const QRectF plot = area.adjusted(marker + 4 * unit, tm.height() + fm.height() + marker + 4 * unit,
                                      -marker - 4 * unit, -marker - 4 * unit);
    std::vector<QPointF> centres;
    if (survey.points.empty() || plot.width() <= 0 || plot.height() <= 0) {
        p.restore();
        return centres;
    }
    const double w = std::max(1.0, survey.xAt(survey.grid.columns() - 1) - survey.xAt(0));
    const double h = std::max(1.0, survey.yAt(survey.grid.rows() - 1) - survey.yAt(0));
    const double scale = std::min(plot.width() / w, plot.height() / h);
    const auto at = [&](const SurveyPoint& pt) {
        return QPointF(plot.left() + (survey.xAt(pt.point - survey.firstPoint) - survey.xAt(0)) * scale,
                       plot.bottom() - (survey.yAt(pt.series - survey.firstSeries) - survey.yAt(0)) * scale);
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    for (const SurveyPoint& pt : survey.points) p.drawEllipse(at(pt), 1.6 * unit, 1.6 * unit);
    for (const BreakOutPosition& b : list) {
        const SurveyPoint pt{b.row, b.series, b.point, b.value};
        const QPointF c = at(pt);
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
