#include "Survey.h"

#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QLocale>
#include <QTime>

#include <algorithm>
#include <map>

namespace {

// The first run of digits (with a leading minus) in `text`, or 0 when there is none.
long long LeadingNumber(QStringView text, bool* ok = nullptr)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    const qsizetype start = i;
    if (i < text.size() && text[i] == QLatin1Char('-')) ++i;
    const qsizetype digits = i;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9') && i - digits < 9)
        ++i;
    if (ok) *ok = i > digits;
    return i > digits ? text.mid(start, i - start).toLongLong() : 0;
}

// Series and point of a column-5 cell: "series   |   point".
std::pair<int, int> SeriesAndPoint(const QString& cell, bool* ok)
{
    const qsizetype bar = cell.indexOf(QLatin1Char('|'));
    bool okSeries = false, okPoint = false;
    const long long series = LeadingNumber(QStringView(cell).left(bar < 0 ? cell.size() : bar), &okSeries);
    const long long point = bar < 0 ? 0 : LeadingNumber(QStringView(cell).mid(bar + 1), &okPoint);
    *ok = okSeries && okPoint;
    return {int(series), int(point)};
}

bool ReadValue(const QString& cell, double* value)
{
    QString text = cell.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// Positions past this are no instrument's (its numbers are bytes); they would only make a
// project file's nonsense into a huge grid.
constexpr int kMaxPosition = 999;

} // namespace

SensorKind SensorOfText(const QString& cell)
{
    const QString text = cell.trimmed();
    for (int sensor = 0; sensor < 2; ++sensor)
        for (int lang = 0; lang < 2; ++lang)
            if (text == ExchangeText::SensorNames[std::size_t(sensor)][lang].trimmed())
                return SensorKind(sensor);
    return SensorKind::Other;
}

bool SameObjectName(const QString& a, const QString& b) { return SameDiagramText(a, b); }

std::vector<RowBlock> BlocksOfSurfaces(const std::vector<DiagramSurface>& surfaces)
{
    std::vector<RowBlock> blocks;
    int row = 1;
    for (const DiagramSurface& s : surfaces) {
        blocks.push_back({row, int(s.points.size())});
        row += int(s.points.size());
    }
    return blocks;
}

std::vector<RowBlock> SurfaceBlocks(const ArchiveTable& table)
{
    // The grouping does not depend on the language; only the surfaces' sensor kinds would.
    return BlocksOfSurfaces(buildSurfaces(table, 0).surfaces);
}

std::vector<double> SurveyObject::values() const
{
    std::vector<double> v;
    v.reserve(points.size());
    for (const SurveyPoint& p : points) v.push_back(p.value);
    return v;
}

std::vector<SurveyObject> SurveyObjects(const ArchiveTable& table, std::span<const RowBlock> blocks)
{
    std::vector<SurveyObject> objects;
    for (const RowBlock& block : blocks) {
        const int end = block.firstRow + block.rowCount;
        for (int r = block.firstRow; r < end;) {
            SurveyObject o;
            o.name = table.cell(1, r);
            o.sensor = SensorOfText(table.cell(2, r));
            bool stepsSet = false;
            for (; r < end && SensorOfText(table.cell(2, r)) == o.sensor; ++r) {
                bool positionOk = false;
                const auto [series, point] = SeriesAndPoint(table.cell(5, r), &positionOk);
                double value = 0;
                if (!positionOk || !ReadValue(table.cell(4, r), &value) || series < 0 || point < 0 ||
                    series > kMaxPosition || point > kMaxPosition) {
                    ++o.unreadable;
                    continue;
                }
                if (!stepsSet) {
                    o.stepX = int(std::max(1LL, LeadingNumber(table.cell(7, r))));
                    o.stepY = int(std::max(1LL, LeadingNumber(table.cell(8, r))));
                    stepsSet = true;
                }
                o.points.push_back({r, series, point, value});
            }
            if (!o.points.empty()) {
                int maxPoint = 0, maxSeries = 0;
                o.firstPoint = o.firstSeries = kMaxPosition;
                for (const SurveyPoint& p : o.points) {
                    o.firstPoint = std::min(o.firstPoint, p.point);
                    o.firstSeries = std::min(o.firstSeries, p.series);
                    maxPoint = std::max(maxPoint, p.point);
                    maxSeries = std::max(maxSeries, p.series);
                }
                o.grid = ValueGrid(maxPoint - o.firstPoint + 1, maxSeries - o.firstSeries + 1);
                for (const SurveyPoint& p : o.points)
                    if (!o.grid.has(p.point - o.firstPoint, p.series - o.firstSeries))
                        o.grid.set(p.point - o.firstPoint, p.series - o.firstSeries, p.value);
            }
            objects.push_back(std::move(o));
        }
    }
    return objects;
}

int PartnerOf(const std::vector<SurveyObject>& objects, int index)
{
    if (index < 0 || index >= int(objects.size())) return -1;
    const SurveyObject& o = objects[std::size_t(index)];
    if (o.sensor == SensorKind::Other) return -1;
    const SensorKind other =
        o.sensor == SensorKind::Potential ? SensorKind::Resistance : SensorKind::Potential;
    for (int k = 0; k < int(objects.size()); ++k) {
        const SurveyObject& c = objects[std::size_t(k)];
        if (c.sensor == other && !c.points.empty() && c.stepX == o.stepX && c.stepY == o.stepY &&
            SameObjectName(c.name, o.name))
            return k;
    }
    return -1;
}

std::vector<CombinedNode> CombineSurveys(const SurveyObject& potential, const SurveyObject& resistance,
                                         const PotentialThresholds& thresholds)
{
    struct Pair {
        int potentialRow = -1, resistanceRow = -1;
        double potential = 0, resistance = 0;
    };
    std::map<std::pair<int, int>, Pair> byPosition; // (series, point); earlier rows stand
    for (const SurveyPoint& p : potential.points) {
        Pair& pair = byPosition[{p.series, p.point}];
        if (pair.potentialRow < 0) pair = {p.row, pair.resistanceRow, p.value, pair.resistance};
    }
    for (const SurveyPoint& p : resistance.points) {
        Pair& pair = byPosition[{p.series, p.point}];
        if (pair.resistanceRow < 0) {
            pair.resistanceRow = p.row;
            pair.resistance = p.value;
        }
    }
    std::vector<CombinedNode> nodes;
    nodes.reserve(byPosition.size());
    for (const auto& [position, pair] : byPosition) {
        CombinedNode n{position.second, position.first, CombinedRisk::Low, pair.potentialRow,
                       pair.resistanceRow};
        if (pair.potentialRow < 0)
            n.risk = CombinedRisk::NoPotential;
        else if (pair.resistanceRow < 0)
            n.risk = CombinedRisk::NoResistivity;
        else
            n.risk =
                Combine(ClassifyPotential(pair.potential, thresholds), ClassifyResistivity(pair.resistance));
        nodes.push_back(n);
    }
    return nodes;
}

DateRange MeasurementDates(const ArchiveTable& table, const SurveyObject& object)
{
    const QLocale locale;
    const auto parseDate = [&](const QString& text) {
        const QString t = text.trimmed();
        QDate d = locale.toDate(t, QLocale::ShortFormat);
        for (const char* format :
             {"dd.MM.yyyy", "yyyy-MM-dd", "dd/MM/yyyy", "M/d/yyyy", "dd.MM.yy", "M/d/yy"}) {
            if (d.isValid()) break;
            d = QDate::fromString(t, QLatin1String(format));
        }
        // Two-digit years are read as 19xx; the instrument has only written 20xx.
        if (d.isValid() && d.year() < 2000) d = d.addYears(100);
        return d;
    };
    DateRange range;
    for (const SurveyPoint& p : object.points) {
        const QDate date = parseDate(table.cell(9, p.row));
        if (!date.isValid()) continue;
        QTime time = QTime::fromString(table.cell(10, p.row).trimmed(), QStringLiteral("hh:mm:ss"));
        if (!time.isValid()) time = QTime(0, 0);
        const QDateTime moment(date, time);
        if (!range.first.isValid() || moment < range.first) range.first = moment;
        if (!range.last.isValid() || moment > range.last) range.last = moment;
    }
    return range;
}
