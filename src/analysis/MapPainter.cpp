#include "MapPainter.h"

#include "PaintFont.h"
#include "SurveyFigures.h"
#include "texts/AnalysisTexts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Tick values at a 1-2-5 spacing covering min..max with about `count` ticks.
std::vector<double> Ticks(double min, double max, int count)
{
    std::vector<double> ticks;
    if (!(max > min)) return {min};
    const double step = NiceWidth(max - min, std::max(1, count));
    for (double v = std::ceil(min / step - 1e-9) * step; v <= max + 1e-9 * step; v += step)
        ticks.push_back(std::abs(v) < 1e-9 * step ? 0 : v);
    return ticks;
}

QString Number(double v) { return QString::number(v, 'g', 6); }

} // namespace

QColor PotentialClassColor(PotentialClass c)
{
    static const QColor colors[] = {QColor(0x2e, 0x9e, 0x4f), QColor(0xf7, 0xe0, 0x4a),
                                    QColor(0xb2, 0x18, 0x2b)};
    return colors[int(c)];
}

QColor ResistivityClassColor(ResistivityClass c)
{
    static const QColor colors[] = {QColor(0x00, 0x6d, 0x2c), QColor(0xd9, 0xef, 0x8b),
                                    QColor(0xf4, 0x6d, 0x43), QColor(0x67, 0x00, 0x0d)};
    return colors[int(c)];
}

QColor RiskColor(CombinedRisk risk)
{
    static const QColor colors[] = {QColor(0x00, 0x6d, 0x2c), QColor(0xfe, 0xe0, 0x8b),
                                    QColor(0xf4, 0x6d, 0x43), QColor(0x67, 0x00, 0x0d),
                                    QColor(0x45, 0x75, 0xb4), QColor(0x80, 0x80, 0x80)};
    return colors[int(risk)];
}

QColor ScaleColor(double t)
{
    static const QColor stops[] = {QColor(0xd7, 0x30, 0x27), QColor(0xfc, 0x8d, 0x59),
                                   QColor(0xfe, 0xe0, 0x8b), QColor(0x91, 0xcf, 0x60),
                                   QColor(0x1a, 0x98, 0x50), QColor(0x45, 0x75, 0xb4)};
    constexpr int n = int(std::size(stops)) - 1;
    t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0) * n;
    const int k = std::min(int(t), n - 1);
    const double f = t - k;
    const QColor& a = stops[k];
    const QColor& b = stops[k + 1];
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * f),
                            float(a.greenF() + (b.greenF() - a.greenF()) * f),
                            float(a.blueF() + (b.blueF() - a.blueF()) * f));
}

SurveyMap::SurveyMap(const SurveyObject& object, const SurveyObject* partner, const MapOptions& options)
    : object_(object), partner_(partner), options_(options)
{
    using namespace AnalysisText;
    const int lang = options.lang;
    combined_ = options.combined && partner && partner->sensor != object.sensor &&
                object.sensor != SensorKind::Other && partner->sensor != SensorKind::Other;
    const std::vector<double> values = object.values();
    if (!values.empty()) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        min_ = *lo;
        max_ = *hi;
    }
    if (options.commonRange && options.commonRange->second > options.commonRange->first &&
        options.fill == FillMode::Continuous) {
        min_ = options.commonRange->first;
        max_ = options.commonRange->second;
    }

    if (combined_) {
        const SurveyObject& pot = object.sensor == SensorKind::Potential ? object : *partner;
        const SurveyObject& res = object.sensor == SensorKind::Potential ? *partner : object;
        nodes_ = CombineSurveys(pot, res, options.potentialThresholds(), options.alignment);
        int first = object.firstPoint, last = first + object.grid.columns() - 1;
        int firstSeries = object.firstSeries, lastSeries = firstSeries + object.grid.rows() - 1;
        for (const CombinedNode& n : nodes_) {
            first = std::min(first, n.point);
            last = std::max(last, n.point);
            firstSeries = std::min(firstSeries, n.series);
            lastSeries = std::max(lastSeries, n.series);
        }
        plan_ = SurveyPlan(object, options.length, options.orientation, first, last, firstSeries, lastSeries);
        legendTitle_ = CombinedRiskTitle[lang];
        for (int k = 0; k < kCombinedRiskLevels; ++k)
            legend_.push_back(
                {LegendEntry::Kind::Box, RiskNames[std::size_t(k)][lang], RiskColor(::CombinedRisk(k))});
        legend_.push_back({LegendEntry::Kind::Hatch, RiskNames[4][lang],
                           RiskColor(::CombinedRisk::NoPotential), Qt::FDiagPattern});
        legend_.push_back({LegendEntry::Kind::Hatch, RiskNames[5][lang],
                           RiskColor(::CombinedRisk::NoResistivity), Qt::DiagCrossPattern});
        legend_.push_back({LegendEntry::Kind::Point, MeasuredPoint[lang], Qt::black});
        return;
    }

    plan_ = SurveyPlan(object, options.length, options.orientation);
    classes_ = options.fill == FillMode::Classes && object.sensor != SensorKind::Other;
    std::vector<double> thresholds;
    if (object.sensor == SensorKind::Potential) {
        const PotentialThresholds t = options.potentialThresholds();
        thresholds = {t.upper, t.lower};
    } else if (object.sensor == SensorKind::Resistance) {
        thresholds.assign(kResistivityBounds.begin(), kResistivityBounds.end());
    }
    for (double t : thresholds) {
        levels_.push_back(t);
        thresholdLevel_.push_back(true);
    }
    const double interval = options.autoInterval ? AutoInterval(min_, max_) : options.interval;
    for (double v : IntervalLevels(min_, max_, interval)) {
        if (std::find(thresholds.begin(), thresholds.end(), v) != thresholds.end()) continue;
        levels_.push_back(v);
        thresholdLevel_.push_back(false);
    }
    for (double level : levels_) {
        auto lines = ContourLines(object.grid, level);
        contours_.insert(contours_.end(), std::make_move_iterator(lines.begin()),
                         std::make_move_iterator(lines.end()));
    }

    const QString unit = UnitText(object.sensor, lang);
    const QString titleUnit = unit.isEmpty() ? QString() : QStringLiteral(", ") + unit;
    if (classes_ && object.sensor == SensorKind::Potential) {
        legendTitle_ = PotentialClasses[lang] + titleUnit;
        const std::vector<QString> ranges = ClassRanges(object.sensor, options.potentialThresholds(), lang);
        for (int k = 0; k < kPotentialClassCount; ++k)
            legend_.push_back(
                {LegendEntry::Kind::Box,
                 PotentialClassNames[std::size_t(k)][lang] + QStringLiteral(": ") + ranges[std::size_t(k)],
                 PotentialClassColor(PotentialClass(k))});
    } else if (classes_) {
        legendTitle_ = ResistivityClasses[lang] + titleUnit;
        const std::vector<QString> ranges = ClassRanges(object.sensor, {}, lang);
        for (int k = 0; k < kResistivityClassCount; ++k)
            legend_.push_back(
                {LegendEntry::Kind::Box,
                 ResistivityClassNames[std::size_t(k)][lang] + QStringLiteral(": ") + ranges[std::size_t(k)],
                 ResistivityClassColor(ResistivityClass(k))});
    } else {
        legendTitle_ = SensorNames[std::size_t(object.sensor)][lang] + titleUnit;
        legend_.push_back(
            {LegendEntry::Kind::Scale, ValueText(min_) + QStringLiteral(" … ") + ValueText(max_), QColor()});
    }
    legend_.push_back({LegendEntry::Kind::Hatch, NoData[lang], QColor(0xb0, 0xb0, 0xb0), Qt::BDiagPattern});
    legend_.push_back({LegendEntry::Kind::Point, MeasuredPoint[lang], Qt::black});
    legend_.push_back({LegendEntry::Kind::Line, IsoLine[lang], Qt::black});
}

QColor SurveyMap::colorOf(double value) const
{
    if (classes_) {
        if (object_.sensor == SensorKind::Potential)
            return PotentialClassColor(ClassifyPotential(value, options_.potentialThresholds()));
        return ResistivityClassColor(ClassifyResistivity(value));
    }
    return ScaleColor(max_ > min_ ? (value - min_) / (max_ - min_) : 0.5);
}

QImage SurveyMap::fillImage(int width, int height) const
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const ValueGrid& g = object_.grid;
    if (g.columns() < 2 || g.rows() < 2) return image;
    // Bilinear() pixel by pixel, with each column's cell and weight worked out once and the
    // class colours looked up once: the same values and colours at a fraction of the cost.
    const int columns = g.columns();
    const double sx = double(columns - 1) / image.width();
    const double sy = double(g.rows() - 1) / image.height();
    std::vector<int> cellX(std::size_t(image.width()));
    std::vector<double> tX(std::size_t(image.width()));
    for (int px = 0; px < image.width(); ++px) {
        const double x = (px + 0.5) * sx; // always inside 0 .. columns − 1
        cellX[std::size_t(px)] = std::min(int(x), columns - 2);
        tX[std::size_t(px)] = x - cellX[std::size_t(px)];
    }
    const PotentialThresholds thresholds = options_.potentialThresholds();
    QRgb classColours[std::max(kPotentialClassCount, kResistivityClassCount)] = {};
    const bool potential = object_.sensor == SensorKind::Potential;
    if (classes_) {
        for (int k = 0; k < (potential ? kPotentialClassCount : kResistivityClassCount); ++k)
            classColours[k] = (potential ? PotentialClassColor(PotentialClass(k))
                                         : ResistivityClassColor(ResistivityClass(k)))
                                  .rgba();
    }
    const auto colour = [&](double v) {
        if (!classes_) return colorOf(v).rgba();
        return classColours[potential ? int(ClassifyPotential(v, thresholds)) : int(ClassifyResistivity(v))];
    };
    for (int py = 0; py < image.height(); ++py) {
        // Image row 0 is the top of the map: the highest series.
        const double y = (g.rows() - 1) - (py + 0.5) * sy;
        const int j = std::min(int(y), g.rows() - 2);
        const double ty = y - j;
        const double* low = g.data() + std::size_t(j) * std::size_t(columns);
        const double* high = low + columns;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        for (int px = 0; px < image.width(); ++px) {
            const int i = cellX[std::size_t(px)];
            const double tx = tX[std::size_t(px)];
            // As Bilinear() weighs and sums them: a node without weight is passed over, a
            // node with weight but no reading leaves the pixel empty.
            const double weights[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
            const double nodes[4] = {low[i], low[i + 1], high[i], high[i + 1]};
            double sum = 0;
            bool gap = false;
            for (int k = 0; k < 4 && !gap; ++k) {
                if (weights[k] == 0) continue;
                if (std::isnan(nodes[k])) gap = true;
                sum += weights[k] * nodes[k];
            }
            if (!gap) line[px] = colour(sum);
        }
    }
    return image;
}

SurveyMap::Layout SurveyMap::layout(const QRectF& area, double unit) const
{
    const SurveyPlan& e = plan_;
    const double spanX = e.maxX - e.minX + 2 * e.halfX;
    const double spanY = e.maxY - e.minY + 2 * e.halfY;
    // Room for the axis numbers on the left and below.
    const auto fit = [&](const QRectF& room) {
        Layout l;
        l.scale = std::max(1e-9, std::min(room.width() / spanX, room.height() / spanY));
        l.plot = QRectF(room.left() + (room.width() - spanX * l.scale) / 2, room.top(), spanX * l.scale,
                        spanY * l.scale);
        l.x0 = e.minX - e.halfX;
        l.y0 = e.minY - e.halfY;
        return l;
    };

    // The legend beside the map, or below it when that leaves a wide, flat map more room.
    const double legendWidth = std::min(area.width() * 0.36, 230 * unit);
    Layout beside = fit(QRectF(area.left() + 46 * unit, area.top() + 20 * unit,
                               area.width() - legendWidth - 60 * unit, area.height() - 56 * unit));
    beside.legend = QRectF(area.right() - legendWidth, beside.plot.top() - 8 * unit, legendWidth,
                           area.bottom() - beside.plot.top() + 8 * unit);

    double legendHeight = 40 * unit;
    for (const LegendEntry& entry : legend_)
        legendHeight += (entry.kind == LegendEntry::Kind::Scale ? 118 : 24) * unit;
    Layout below = fit(QRectF(area.left() + 46 * unit, area.top() + 20 * unit, area.width() - 60 * unit,
                              area.height() - 56 * unit - legendHeight));
    below.legend = QRectF(below.plot.left() - 8 * unit, below.plot.bottom() + 40 * unit,
                          std::min(area.width(), 360 * unit), legendHeight);
    return below.scale > beside.scale * 1.15 ? below : beside;
}

QPointF SurveyMap::toDevice(const Layout& l, double i, double j) const
{
    // Node (i, j) of the object's grid as drawn; the plot's lower-left corner is half a step
    // before the lowest node of the view (which in the combined view may lie outside the
    // object's grid).
    const PlanPoint d = plan_.at(object_.firstPoint + i, object_.firstSeries + j);
    return {l.plot.left() + (d.x - l.x0) * l.scale, l.plot.bottom() - (d.y - l.y0) * l.scale};
}

void SurveyMap::paint(QPainter& p, const QRectF& area, double unit) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const Layout l = layout(area, unit);
    const QBrush gapBrush(QColor(0xb0, 0xb0, 0xb0), Qt::BDiagPattern);
    p.fillRect(l.plot, Qt::white);

    const SurveyPlan& ext = plan_;
    const double tileW = 2 * ext.halfX * l.scale, tileH = 2 * ext.halfY * l.scale;
    if (combined_) {
        for (const CombinedNode& n : nodes_) {
            const QPointF c = toDevice(l, n.point - object_.firstPoint, n.series - object_.firstSeries);
            const QRectF tile(c.x() - tileW / 2, c.y() - tileH / 2, tileW, tileH);
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
        for (const CombinedNode& n : nodes_) {
            const QPointF c = toDevice(l, n.point - object_.firstPoint, n.series - object_.firstSeries);
            p.drawRect(QRectF(c.x() - tileW / 2, c.y() - tileH / 2, tileW, tileH));
        }
    } else {
        const ValueGrid& g = object_.grid;
        if (g.columns() >= 2 && g.rows() >= 2) {
            const QPointF a = toDevice(l, 0, g.rows() - 1), b = toDevice(l, g.columns() - 1, 0);
            const QRectF hull = QRectF(a, b).normalized();
            p.fillRect(hull, gapBrush); // shows through wherever nothing can be interpolated
            // Enough pixels for smooth class edges without a huge image on a 300 dpi page. The
            // image is made as measured and then mirrored and turned as the map is.
            const bool turn = options_.orientation.rotate;
            const int w = std::clamp(int((turn ? hull.height() : hull.width()) / unit), 2, 900);
            const int h = std::clamp(int((turn ? hull.width() : hull.height()) / unit), 2, 900);
            QImage image = fillImage(w, h).mirrored(options_.orientation.flipX, options_.orientation.flipY);
            if (turn) image = image.transformed(QTransform().rotate(90));
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(hull, image);
            p.restore();
        } else if (object_.points.size() > 1) {
            // A single series: a profile along the line, never an area made up around it.
            QPainterPath profile;
            for (const SurveyPoint& pt : object_.points) {
                const QPointF c = toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries);
                if (profile.elementCount() == 0)
                    profile.moveTo(c);
                else
                    profile.lineTo(c);
            }
            p.setPen(QPen(QColor(90, 90, 90), 1.2 * unit));
            p.setBrush(Qt::NoBrush);
            p.drawPath(profile);
        }
        if (g.columns() < 2 || g.rows() < 2) {
            // One series or one point: each reading is shown as a disc in its colour.
            p.setPen(QPen(QColor(20, 20, 20), 1 * unit));
            for (const SurveyPoint& pt : object_.points) {
                p.setBrush(colorOf(pt.value));
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
            const QPointF c = toDevice(l, pt.point - object_.firstPoint, pt.series - object_.firstSeries);
            measured.push_back({c.x(), c.y()});
        }
        std::vector<std::vector<LabelBox>> candidates;
        std::vector<QString> labelTexts;
        for (const ContourLine& line : contours_) {
            if (line.points.size() < 2) continue;
            const auto k =
                std::size_t(std::find(levels_.begin(), levels_.end(), line.level) - levels_.begin());
            const bool threshold = k < thresholdLevel_.size() && thresholdLevel_[k];
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
            labelTexts.push_back(Number(line.level));
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
    if (combined_) {
        p.setPen(QPen(Qt::white, 0.8 * unit));
        p.setBrush(Qt::black);
        const double r = 2.2 * unit;
        for (const CombinedNode& n : nodes_)
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

void SurveyMap::paintAxes(QPainter& p, const Layout& l, double unit) const
{
    p.setFont(PaintFont(unit, 10));
    p.setPen(QColor(40, 40, 40));
    const QFontMetricsF fm(p.font());
    // Drawn coordinates of the plot's edges.
    const double x0 = l.x0, y0 = l.y0;
    // The numbers are measured coordinates (from point 1 of series 1), so a mirrored or turned
    // axis counts from the origin wherever it was drawn.
    const SurveyPlan& e = plan_;
    const Orientation& o = options_.orientation;
    const bool countDownX = o.rotate ? o.flipY : o.flipX;
    const double spanX = o.rotate ? e.height : e.width;
    const bool countDownY = o.rotate ? !o.flipX : o.flipY;
    const double spanY = o.rotate ? e.width : e.height;
    const auto measuredX = [&](double v) { return countDownX ? spanX - v : v; };
    const auto measuredY = [&](double v) { return countDownY ? spanY - v : v; };
    const double x1 = x0 + l.plot.width() / l.scale, y1 = y0 + l.plot.height() / l.scale;
    const int xCount = std::max(2, int(l.plot.width() / (70 * unit)));
    for (double v : Ticks(x0, x1, xCount)) {
        const double x = l.plot.left() + (v - x0) * l.scale;
        p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + 4 * unit));
        const QString t = Number(measuredX(v));
        p.drawText(QPointF(x - fm.horizontalAdvance(t) / 2, l.plot.bottom() + 5 * unit + fm.ascent()), t);
    }
    const int yCount = std::max(2, int(l.plot.height() / (40 * unit)));
    for (double v : Ticks(y0, y1, yCount)) {
        const double y = l.plot.bottom() - (v - y0) * l.scale;
        p.drawLine(QPointF(l.plot.left() - 4 * unit, y), QPointF(l.plot.left(), y));
        const QString t = Number(measuredY(v));
        p.drawText(
            QPointF(l.plot.left() - 6 * unit - fm.horizontalAdvance(t), y + fm.ascent() / 2 - 1 * unit), t);
    }
    p.setFont(PaintFont(unit, 11, true));
    const QFontMetricsF bold(p.font());
    // After a quarter turn the series run across: the drawn axes are the measured Y and X.
    const QString length = UnitText(options_.length, options_.lang);
    const bool turn = options_.orientation.rotate;
    const QString xTitle = (turn ? QStringLiteral("Y, ") : QStringLiteral("X, ")) + length;
    const QString yTitle = (turn ? QStringLiteral("X, ") : QStringLiteral("Y, ")) + length;
    p.drawText(QPointF(l.plot.center().x() - bold.horizontalAdvance(xTitle) / 2,
                       l.plot.bottom() + 8 * unit + fm.height() + bold.ascent()),
               xTitle);
    p.drawText(QPointF(l.plot.left() - 44 * unit, l.plot.top() - 4 * unit), yTitle);

    // Point 1 of series 1, the origin of the coordinates, as a ring.
    const QPointF origin = toDevice(l, 1 - object_.firstPoint, 1 - object_.firstSeries);
    if (l.plot.adjusted(-1, -1, 1, 1).contains(origin)) {
        p.setPen(QPen(QColor(20, 20, 20), 1.4 * unit));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(origin, 10 * unit, 10 * unit);
    }

    // Scale bar in the plot's lower right corner.
    const double bar = ScaleBarLength((l.plot.width() / 3) / l.scale);
    if (bar > 0) {
        p.setFont(PaintFont(unit, 9));
        const QFontMetricsF small(p.font());
        const QString text = Number(bar) + QLatin1Char(' ') + length;
        const double w = bar * l.scale;
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
    QRectF used = p.boundingRect(title, Qt::TextWordWrap, legendTitle_);
    p.drawText(title, Qt::TextWordWrap, legendTitle_);
    y += used.height() + 6 * unit;
    p.setFont(PaintFont(unit, 10));
    p.setBrush(Qt::NoBrush); // the swatches' frames must not veil their colours
    for (const LegendEntry& e : legend_) {
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
            p.drawText(QPointF(bar.right() + 6 * unit, bar.top() + 10 * unit), ValueText(max_));
            p.drawText(QPointF(bar.right() + 6 * unit, bar.bottom()), ValueText(min_));
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
    return toDevice(layout(area, unit), point - object_.firstPoint, series - object_.firstSeries);
}

std::vector<int> SurveyMap::rowsAt(const QRectF& area, QPointF pos, double unit, double radius) const
{
    const Layout l = layout(area, unit);
    double best = radius * unit;
    std::vector<int> rows;
    if (combined_) {
        for (const CombinedNode& n : nodes_) {
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
