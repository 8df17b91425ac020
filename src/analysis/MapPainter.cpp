#include "MapPainter.h"

#include "PaintFont.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

SurveyMap::SurveyMap(const SurveyObject& object, const SurveyObject* partner, const MapOptions& options)
    : object_(object), content_(BuildMapContent(object, partner, options))
{
}

QImage SurveyMap::fillImage(int width, int height) const
{
    return MapFillImage(content_, object_.grid, width, height);
}

void SurveyMap::paint(QPainter& p, const QRectF& area, double unit) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const MapContent& c = content_;
    const MapLayout l = LayOutMap(c, area, unit);
    const QBrush gapBrush(QColor(0xb0, 0xb0, 0xb0), Qt::BDiagPattern);
    p.fillRect(l.plot, Qt::white);

    const SurveyPlan& ext = c.plan;
    const double tileW = 2 * ext.halfX * l.scale, tileH = 2 * ext.halfY * l.scale;
    if (c.combined) {
        for (const CombinedNode& n : c.nodes) {
            const QPointF at = toDevice(l, n.point - object_.firstPoint, n.series - object_.firstSeries);
            const QRectF tile(at.x() - tileW / 2, at.y() - tileH / 2, tileW, tileH);
            if (int(n.risk) < kCombinedRiskLevels) {
                p.fillRect(tile, RiskColor(n.risk));
            } else {
                p.fillRect(tile, Qt::white);
                p.fillRect(tile, QBrush(RiskColor(n.risk), n.risk == CombinedRisk::NoPotential
                                                               ? Qt::FDiagPattern
                                                               : Qt::DiagCrossPattern));
            }
        }
        p.setPen(QPen(QColor(255, 255, 255, 160), 0.8 * unit));
        p.setBrush(Qt::NoBrush);
        for (const CombinedNode& n : c.nodes) {
            const QPointF at = toDevice(l, n.point - object_.firstPoint, n.series - object_.firstSeries);
            p.drawRect(QRectF(at.x() - tileW / 2, at.y() - tileH / 2, tileW, tileH));
        }
    } else {
        const ValueGrid& g = object_.grid;
        if (g.columns() >= 2 && g.rows() >= 2) {
            const QPointF a = toDevice(l, 0, g.rows() - 1), b = toDevice(l, g.columns() - 1, 0);
            const QRectF hull = QRectF(a, b).normalized();
            p.fillRect(hull, gapBrush); // shows through wherever nothing can be interpolated
            // Enough pixels for smooth class edges without a huge image on a 300 dpi page. The
            // image is made as measured and then mirrored and turned as the map is.
            const bool turn = c.orientation.rotate;
            const int w = std::clamp(int((turn ? hull.height() : hull.width()) / unit), 2, 900);
            const int h = std::clamp(int((turn ? hull.width() : hull.height()) / unit), 2, 900);
            QImage image = fillImage(w, h).mirrored(c.orientation.flipX, c.orientation.flipY);
            if (turn) image = image.transformed(QTransform().rotate(90));
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(hull, image);
            p.restore();
        } else if (object_.points.size() > 1) {
            // A single series: a profile along the line, never an area made up around it.
            QPainterPath profile;
            for (const SurveyPoint& pt : object_.points) {
                const QPointF at =
                    toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries);
                if (profile.elementCount() == 0)
                    profile.moveTo(at);
                else
                    profile.lineTo(at);
            }
            p.setPen(QPen(QColor(90, 90, 90), 1.2 * unit));
            p.setBrush(Qt::NoBrush);
            p.drawPath(profile);
        }
        if (g.columns() < 2 || g.rows() < 2) {
            // One series or one point: each reading is shown as a disc in its colour.
            p.setPen(QPen(QColor(20, 20, 20), 1 * unit));
            for (const SurveyPoint& pt : object_.points) {
                p.setBrush(c.colorOf(pt.value));
                p.drawEllipse(toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries),
                              7 * unit, 7 * unit);
            }
        }

        // Iso-lines, thresholds drawn heavier; each line labelled where its label neither
        // overlaps another label nor covers a measured point.
        p.setFont(PaintFont(unit, 10));
        const QFontMetricsF fm(p.font());
        std::vector<GridPoint> measured;
        for (const SurveyPoint& pt : object_.points) {
            const QPointF at = toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries);
            measured.push_back({at.x(), at.y()});
        }
        std::vector<std::vector<LabelBox>> candidates;
        std::vector<QString> labelTexts;
        for (const MapIsoLine& iso : c.isoLines) {
            const ContourLine& line = iso.line;
            if (line.points.size() < 2) continue;
            const bool threshold = iso.threshold;
            QPainterPath path;
            path.moveTo(toDevice(l, line.points[0].x, line.points[0].y));
            for (std::size_t n = 1; n < line.points.size(); ++n)
                path.lineTo(toDevice(l, line.points[n].x, line.points[n].y));
            if (line.closed) path.closeSubpath();
            p.setPen(QPen(threshold ? QColor(20, 20, 20) : QColor(60, 60, 60, 200),
                          (threshold ? 1.8 : 0.9) * unit, threshold ? Qt::SolidLine : Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            candidates.emplace_back();
            labelTexts.push_back(iso.label);
            if (path.length() < 50 * unit) continue;
            QRectF box = fm.boundingRect(labelTexts.back()).adjusted(-2 * unit, 0, 2 * unit, 0);
            for (double at : {0.5, 0.35, 0.65, 0.2, 0.8, 0.1, 0.9}) {
                box.moveCenter(path.pointAtPercent(at));
                candidates.back().push_back({box.left(), box.top(), box.width(), box.height()});
            }
        }
        for (const PlacedLabel& label : PlaceLabels(candidates, measured, 3.5 * unit)) {
            const QRectF box(label.box.x, label.box.y, label.box.w, label.box.h);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 215));
            p.drawRoundedRect(box, 2 * unit, 2 * unit);
            p.setPen(QColor(20, 20, 20));
            p.drawText(box, Qt::AlignCenter, labelTexts[std::size_t(label.line)]);
        }

        // Measured points.
        p.setPen(QPen(Qt::white, 0.8 * unit));
        p.setBrush(Qt::black);
        const double r = 2.2 * unit;
        for (const SurveyPoint& pt : object_.points)
            p.drawEllipse(toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries), r, r);
    }
    if (c.combined) {
        p.setPen(QPen(Qt::white, 0.8 * unit));
        p.setBrush(Qt::black);
        const double r = 2.2 * unit;
        for (const CombinedNode& n : c.nodes)
            if (n.potentialRow >= 0 && n.resistanceRow >= 0)
                p.drawEllipse(toDevice(l, n.point - object_.firstPoint, n.series - object_.firstSeries), r,
                              r);
    }

    p.setPen(QPen(QColor(60, 60, 60), 1 * unit));
    p.setBrush(Qt::NoBrush);
    p.drawRect(l.plot);
    paintAxes(p, l, unit);
    paintLegend(p, l.legend, unit);
    p.restore();
}

void SurveyMap::paintAxes(QPainter& p, const MapLayout& l, double unit) const
{
    const MapContent& c = content_;
    p.setFont(PaintFont(unit, 10));
    p.setPen(QColor(40, 40, 40));
    const QFontMetricsF fm(p.font());
    for (const MapTick& tick : MapTicksX(c, l, unit)) {
        const double x = tick.at;
        p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + 4 * unit));
        p.drawText(
            QPointF(x - fm.horizontalAdvance(tick.label) / 2, l.plot.bottom() + 5 * unit + fm.ascent()),
            tick.label);
    }
    for (const MapTick& tick : MapTicksY(c, l, unit)) {
        const double y = tick.at;
        p.drawLine(QPointF(l.plot.left() - 4 * unit, y), QPointF(l.plot.left(), y));
        p.drawText(QPointF(l.plot.left() - 6 * unit - fm.horizontalAdvance(tick.label),
                           y + fm.ascent() / 2 - 1 * unit),
                   tick.label);
    }
    p.setFont(PaintFont(unit, 11, true));
    const QFontMetricsF bold(p.font());
    p.drawText(QPointF(l.plot.center().x() - bold.horizontalAdvance(c.xTitle) / 2,
                       l.plot.bottom() + 8 * unit + fm.height() + bold.ascent()),
               c.xTitle);
    p.drawText(QPointF(l.plot.left() - 44 * unit, l.plot.top() - 4 * unit), c.yTitle);

    // Point 1 of series 1, the origin of the coordinates, as a ring.
    const QPointF origin = toDevice(l, 1 - object_.firstPoint, 1 - object_.firstSeries);
    if (l.plot.adjusted(-1, -1, 1, 1).contains(origin)) {
        p.setPen(QPen(QColor(20, 20, 20), 1.4 * unit));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(origin, 10 * unit, 10 * unit);
    }

    // Scale bar in the plot's lower right corner.
    const MapScaleBar bar = ScaleBarOf(c, l);
    if (bar.length > 0) {
        p.setFont(PaintFont(unit, 9));
        const QFontMetricsF small(p.font());
        const QString& text = bar.text;
        const double w = bar.length * l.scale;
        const QRectF back(l.plot.right() - w - 12 * unit, l.plot.bottom() - small.height() - 14 * unit,
                          w + 8 * unit, small.height() + 10 * unit);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawRect(back);
        const double y = back.bottom() - 4 * unit;
        p.setPen(QPen(QColor(20, 20, 20), 1.5 * unit));
        p.drawLine(QPointF(back.left() + 4 * unit, y), QPointF(back.left() + 4 * unit + w, y));
        p.drawLine(QPointF(back.left() + 4 * unit, y - 3 * unit), QPointF(back.left() + 4 * unit, y));
        p.drawLine(QPointF(back.left() + 4 * unit + w, y - 3 * unit), QPointF(back.left() + 4 * unit + w, y));
        p.drawText(QPointF(back.center().x() - small.horizontalAdvance(text) / 2, y - 4 * unit), text);
    }
}

void SurveyMap::paintLegend(QPainter& p, const QRectF& r, double unit) const
{
    const double pad = 8 * unit;
    double y = r.top() + pad;
    const double x = r.left() + pad;
    const double textWidth = r.width() - 2 * pad - 24 * unit;
    p.setFont(PaintFont(unit, 11, true));
    p.setPen(QColor(20, 20, 20));
    QRectF title(x, y, r.width() - 2 * pad, 200 * unit);
    QRectF used = p.boundingRect(title, Qt::TextWordWrap, content_.legendTitle);
    p.drawText(title, Qt::TextWordWrap, content_.legendTitle);
    y += used.height() + 6 * unit;
    p.setFont(PaintFont(unit, 10));
    p.setBrush(Qt::NoBrush); // the swatches' frames must not veil their colours
    for (const LegendEntry& e : content_.legend) {
        const QRectF swatch(x, y + 1 * unit, 16 * unit, 12 * unit);
        const QRectF textRect(x + 24 * unit, y, textWidth, 100 * unit);
        const QRectF textUsed = p.boundingRect(textRect, Qt::TextWordWrap, e.text);
        double height = std::max(14 * unit, textUsed.height());
        switch (e.kind) {
        case LegendEntry::Kind::Box:
            p.fillRect(swatch, e.color);
            p.setPen(QPen(QColor(90, 90, 90), 0.6 * unit));
            p.drawRect(swatch);
            break;
        case LegendEntry::Kind::Hatch:
            p.fillRect(swatch, Qt::white);
            p.fillRect(swatch, QBrush(e.color, e.pattern));
            p.setPen(QPen(QColor(90, 90, 90), 0.6 * unit));
            p.drawRect(swatch);
            break;
        case LegendEntry::Kind::Point:
            p.setPen(QPen(Qt::white, 0.8 * unit));
            p.setBrush(Qt::black);
            p.drawEllipse(swatch.center(), 2.2 * unit, 2.2 * unit);
            p.setBrush(Qt::NoBrush);
            break;
        case LegendEntry::Kind::Line:
            p.setPen(QPen(QColor(20, 20, 20), 1.8 * unit));
            p.drawLine(QPointF(swatch.left(), swatch.center().y()),
                       QPointF(swatch.right(), swatch.center().y()));
            break;
        case LegendEntry::Kind::Scale: {
            const QRectF bar(x, y, 16 * unit, 110 * unit);
            QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
            for (int k = 0; k <= 10; ++k) gradient.setColorAt(k / 10.0, ScaleColor(k / 10.0));
            p.fillRect(bar, gradient);
            p.setPen(QPen(QColor(90, 90, 90), 0.6 * unit));
            p.drawRect(bar);
            p.setPen(QColor(20, 20, 20));
            p.drawText(QPointF(bar.right() + 6 * unit, bar.top() + 10 * unit), content_.scaleHigh);
            p.drawText(QPointF(bar.right() + 6 * unit, bar.bottom()), content_.scaleLow);
            height = bar.height();
            y += height + 8 * unit;
            continue;
        }
        }
        p.setPen(QColor(20, 20, 20));
        p.drawText(textRect, Qt::TextWordWrap, e.text);
        y += height + 5 * unit;
    }
}

QPointF SurveyMap::positionOf(const QRectF& area, int point, int series, double unit) const
{
    return toDevice(LayOutMap(content_, area, unit), point - object_.firstPoint,
                    series - object_.firstSeries);
}

std::vector<int> SurveyMap::rowsAt(const QRectF& area, QPointF pos, double unit, double radius) const
{
    const MapLayout l = LayOutMap(content_, area, unit);
    double best = radius * unit;
    std::vector<int> rows;
    if (content_.combined) {
        for (const CombinedNode& n : content_.nodes) {
            const QPointF c = toDevice(l, n.point - object_.firstPoint, n.series - object_.firstSeries);
            const double d = std::hypot(c.x() - pos.x(), c.y() - pos.y());
            if (d > best) continue;
            best = d;
            rows.clear();
            if (n.potentialRow >= 0) rows.push_back(n.potentialRow);
            if (n.resistanceRow >= 0) rows.push_back(n.resistanceRow);
        }
        return rows;
    }
    for (const SurveyPoint& pt : object_.points) {
        const QPointF c = toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries);
        const double d = std::hypot(c.x() - pos.x(), c.y() - pos.y());
        if (d < best || (rows.empty() && d <= best)) {
            best = d;
            rows = {pt.row};
        }
    }
    return rows;
}
