#include "MapContent.h"

#include "Statistics.h"
#include "SurveyFigures.h"
#include "texts/AnalysisTexts.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

// The ticks of an axis drawn from `min` to `max`, with their numbers. The numbers are measured
// coordinates; on an axis that counts down from `span` they are still round ones, with 0 at the
// origin, so the ticks are chosen among the numbers and placed at span - number.
std::vector<std::pair<double, QString>> AxisTicks(double min, double max, int count, bool countDown,
                                                  double span)
{
    std::vector<std::pair<double, QString>> ticks;
    if (!countDown) {
        for (double v : Ticks(min, max, count)) ticks.emplace_back(v, Number(v));
        return ticks;
    }
    const std::vector<double> numbers = Ticks(span - max, span - min, count);
    for (auto n = numbers.rbegin(); n != numbers.rend(); ++n) ticks.emplace_back(span - *n, Number(*n));
    return ticks;
}

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

MapContent BuildMapContent(const SurveyObject& object, const SurveyObject* partner, const MapOptions& options)
{
    using namespace AnalysisText;
    const int lang = options.lang;
    MapContent c;
    c.sensor = object.sensor;
    c.thresholds = options.potentialThresholds();
    c.firstPoint = object.firstPoint;
    c.firstSeries = object.firstSeries;
    c.orientation = options.orientation;
    // After a quarter turn the series run across: the drawn axes are the measured Y and X.
    c.lengthUnit = UnitText(options.length, lang);
    const bool turn = options.orientation.rotate;
    c.xTitle = (turn ? QStringLiteral("Y, ") : QStringLiteral("X, ")) + c.lengthUnit;
    c.yTitle = (turn ? QStringLiteral("X, ") : QStringLiteral("Y, ")) + c.lengthUnit;
    c.combined = options.combined && partner && partner->sensor != object.sensor &&
                 object.sensor != SensorKind::Other && partner->sensor != SensorKind::Other;
    const std::vector<double> values = object.values();
    if (!values.empty()) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        c.min = *lo;
        c.max = *hi;
    }
    if (options.commonRange && options.commonRange->second > options.commonRange->first &&
        options.fill == FillMode::Continuous) {
        c.min = options.commonRange->first;
        c.max = options.commonRange->second;
    }

    if (c.combined) {
        const SurveyObject& pot = object.sensor == SensorKind::Potential ? object : *partner;
        const SurveyObject& res = object.sensor == SensorKind::Potential ? *partner : object;
        c.nodes = CombineSurveys(pot, res, c.thresholds, options.alignment);
        int first = object.firstPoint, last = first + object.grid.columns() - 1;
        int firstSeries = object.firstSeries, lastSeries = firstSeries + object.grid.rows() - 1;
        for (const CombinedNode& n : c.nodes) {
            first = std::min(first, n.point);
            last = std::max(last, n.point);
            firstSeries = std::min(firstSeries, n.series);
            lastSeries = std::max(lastSeries, n.series);
        }
        c.plan =
            SurveyPlan(object, options.length, options.orientation, first, last, firstSeries, lastSeries);
        c.legendTitle = CombinedRiskTitle[lang];
        for (int k = 0; k < kCombinedRiskLevels; ++k)
            c.legend.push_back(
                {LegendEntry::Kind::Box, RiskNames[std::size_t(k)][lang], RiskColor(::CombinedRisk(k))});
        c.legend.push_back({LegendEntry::Kind::Hatch, RiskNames[4][lang],
                            RiskColor(::CombinedRisk::NoPotential), Qt::FDiagPattern});
        c.legend.push_back({LegendEntry::Kind::Hatch, RiskNames[5][lang],
                            RiskColor(::CombinedRisk::NoResistivity), Qt::DiagCrossPattern});
        c.legend.push_back({LegendEntry::Kind::Point, MeasuredPoint[lang], Qt::black});
        return c;
    }

    c.plan = SurveyPlan(object, options.length, options.orientation);
    c.classes = options.fill == FillMode::Classes && object.sensor != SensorKind::Other;
    std::vector<double> thresholds;
    if (object.sensor == SensorKind::Potential) {
        thresholds = {c.thresholds.upper, c.thresholds.lower};
    } else if (object.sensor == SensorKind::Resistance) {
        thresholds.assign(kResistivityBounds.begin(), kResistivityBounds.end());
    }
    c.levels = thresholds;
    const double interval = options.autoInterval ? AutoInterval(c.min, c.max) : options.interval;
    for (double v : IntervalLevels(c.min, c.max, interval))
        if (std::find(thresholds.begin(), thresholds.end(), v) == thresholds.end()) c.levels.push_back(v);
    for (std::size_t k = 0; k < c.levels.size(); ++k) {
        const double level = c.levels[k];
        // A level that repeats a threshold is drawn as the threshold.
        const bool threshold = std::find(thresholds.begin(), thresholds.end(), level) != thresholds.end();
        for (ContourLine& line : ContourLines(object.grid, level))
            c.isoLines.push_back({std::move(line), threshold, Number(level)});
    }

    const QString unit = UnitText(object.sensor, lang);
    const QString titleUnit = unit.isEmpty() ? QString() : QStringLiteral(", ") + unit;
    if (c.classes && object.sensor == SensorKind::Potential) {
        c.legendTitle = PotentialClasses[lang] + titleUnit;
        const std::vector<QString> ranges = ClassRanges(object.sensor, c.thresholds, lang);
        for (int k = 0; k < kPotentialClassCount; ++k)
            c.legend.push_back(
                {LegendEntry::Kind::Box,
                 PotentialClassNames[std::size_t(k)][lang] + QStringLiteral(": ") + ranges[std::size_t(k)],
                 PotentialClassColor(PotentialClass(k))});
    } else if (c.classes) {
        c.legendTitle = ResistivityClasses[lang] + titleUnit;
        const std::vector<QString> ranges = ClassRanges(object.sensor, {}, lang);
        for (int k = 0; k < kResistivityClassCount; ++k)
            c.legend.push_back(
                {LegendEntry::Kind::Box,
                 ResistivityClassNames[std::size_t(k)][lang] + QStringLiteral(": ") + ranges[std::size_t(k)],
                 ResistivityClassColor(ResistivityClass(k))});
    } else {
        c.legendTitle = SensorNames[std::size_t(object.sensor)][lang] + titleUnit;
        c.scaleLow = ValueText(c.min);
        c.scaleHigh = ValueText(c.max);
        c.legend.push_back(
            {LegendEntry::Kind::Scale, c.scaleLow + QStringLiteral(" … ") + c.scaleHigh, QColor()});
    }
    c.legend.push_back({LegendEntry::Kind::Hatch, NoData[lang], QColor(0xb0, 0xb0, 0xb0), Qt::BDiagPattern});
    c.legend.push_back({LegendEntry::Kind::Point, MeasuredPoint[lang], Qt::black});
    c.legend.push_back({LegendEntry::Kind::Line, IsoLine[lang], Qt::black});
    return c;
}

QColor MapContent::colorOf(double value) const
{
    if (classes) {
        if (sensor == SensorKind::Potential) return PotentialClassColor(ClassifyPotential(value, thresholds));
        return ResistivityClassColor(ClassifyResistivity(value));
    }
    return ScaleColor(max > min ? (value - min) / (max - min) : 0.5);
}

QImage MapFillImage(const MapContent& content, const ValueGrid& g, int width, int height)
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
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
    const PotentialThresholds thresholds = content.thresholds;
    const bool classes = content.classes;
    QRgb classColours[std::max(kPotentialClassCount, kResistivityClassCount)] = {};
    const bool potential = content.sensor == SensorKind::Potential;
    if (classes) {
        for (int k = 0; k < (potential ? kPotentialClassCount : kResistivityClassCount); ++k)
            classColours[k] = (potential ? PotentialClassColor(PotentialClass(k))
                                         : ResistivityClassColor(ResistivityClass(k)))
                                  .rgba();
    }
    const auto colour = [&](double v) {
        if (!classes) return content.colorOf(v).rgba();
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

MapLayout LayOutMap(const MapContent& content, const QRectF& area, double unit)
{
    const SurveyPlan& e = content.plan;
    const double spanX = e.maxX - e.minX + 2 * e.halfX;
    const double spanY = e.maxY - e.minY + 2 * e.halfY;
    // Room for the axis numbers on the left and below.
    const auto fit = [&](const QRectF& room) {
        MapLayout l;
        l.scale = std::max(1e-9, std::min(room.width() / spanX, room.height() / spanY));
        l.plot = QRectF(room.left() + (room.width() - spanX * l.scale) / 2, room.top(), spanX * l.scale,
                        spanY * l.scale);
        l.x0 = e.minX - e.halfX;
        l.y0 = e.minY - e.halfY;
        return l;
    };

    const double legendWidth = std::min(area.width() * 0.36, 230 * unit);
    MapLayout beside = fit(QRectF(area.left() + 46 * unit, area.top() + 20 * unit,
                                  area.width() - legendWidth - 60 * unit, area.height() - 56 * unit));
    beside.legend = QRectF(area.right() - legendWidth, beside.plot.top() - 8 * unit, legendWidth,
                           area.bottom() - beside.plot.top() + 8 * unit);

    double legendHeight = 40 * unit;
    for (const LegendEntry& entry : content.legend)
        legendHeight += (entry.kind == LegendEntry::Kind::Scale ? 118 : 24) * unit;
    MapLayout below = fit(QRectF(area.left() + 46 * unit, area.top() + 20 * unit, area.width() - 60 * unit,
                                 area.height() - 56 * unit - legendHeight));
    below.legend = QRectF(below.plot.left() - 8 * unit, below.plot.bottom() + 40 * unit,
                          std::min(area.width(), 360 * unit), legendHeight);
    return below.scale > beside.scale * 1.15 ? below : beside;
}

QPointF MapPoint(const MapContent& content, const MapLayout& l, double i, double j)
{
    // The plot's lower-left corner is half a step before the lowest node of the view (which in
    // the combined view may lie outside the object's grid).
    const PlanPoint d = content.plan.at(content.firstPoint + i, content.firstSeries + j);
    return {l.plot.left() + (d.x - l.x0) * l.scale, l.plot.bottom() - (d.y - l.y0) * l.scale};
}

std::vector<MapTick> MapTicksX(const MapContent& content, const MapLayout& l, double unit)
{
    // The numbers are measured coordinates (from point 1 of series 1), so a mirrored or turned
    // axis counts from the origin wherever it was drawn.
    const Orientation& o = content.orientation;
    const bool countDown = o.rotate ? o.flipY : o.flipX;
    const double span = o.rotate ? content.plan.height : content.plan.width;
    const double x1 = l.x0 + l.plot.width() / l.scale;
    const int count = std::max(2, int(l.plot.width() / (70 * unit)));
    std::vector<MapTick> ticks;
    for (const auto& [v, label] : AxisTicks(l.x0, x1, count, countDown, span))
        ticks.push_back({l.plot.left() + (v - l.x0) * l.scale, label});
    return ticks;
}

std::vector<MapTick> MapTicksY(const MapContent& content, const MapLayout& l, double unit)
{
    const Orientation& o = content.orientation;
    const bool countDown = o.rotate ? !o.flipX : o.flipY;
    const double span = o.rotate ? content.plan.width : content.plan.height;
    const double y1 = l.y0 + l.plot.height() / l.scale;
    const int count = std::max(2, int(l.plot.height() / (40 * unit)));
    std::vector<MapTick> ticks;
    for (const auto& [v, label] : AxisTicks(l.y0, y1, count, countDown, span))
        ticks.push_back({l.plot.bottom() - (v - l.y0) * l.scale, label});
    return ticks;
}

MapScaleBar ScaleBarOf(const MapContent& content, const MapLayout& l)
{
    const double bar = ScaleBarLength((l.plot.width() / 3) / l.scale);
    if (!(bar > 0)) return {};
    return {bar, Number(bar) + QLatin1Char(' ') + content.lengthUnit};
}
