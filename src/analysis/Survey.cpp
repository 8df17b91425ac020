#include "Survey.h"

#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QLocale>
#include <QTime>

#include <algorithm>
#include <climits>
#include <map>
#include <set>

namespace {

// Positions past this are no instrument's (its numbers are bytes); they would only make a
// project file's nonsense into a huge grid.
constexpr int kMaxPosition = 999;

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

// Two digits of `t` at `i` as a number, or -1.
int TwoDigits(QStringView t, qsizetype i)
{
    if (i + 1 >= t.size() || !t[i].isDigit() || !t[i + 1].isDigit()) return -1;
    return (t[i].unicode() - '0') * 10 + (t[i + 1].unicode() - '0');
}

// The date of a date cell: the instrument's "dd.MM.yyyy" read directly (the common case, and
// the one a 1760-row archive must read fast), any other form through the user's locale.
QDate ReadingDate(const QString& cell)
{
    const QString t = cell.trimmed();
    if (t.size() == 10 && t[2] == QLatin1Char('.') && t[5] == QLatin1Char('.')) {
        const int d = TwoDigits(t, 0), m = TwoDigits(t, 3), c = TwoDigits(t, 6), y = TwoDigits(t, 8);
        if (d >= 0 && m >= 0 && c >= 0 && y >= 0) {
            const QDate date(c * 100 + y, m, d);
            if (date.isValid()) return date;
        }
    }
    static const QLocale locale;
    QDate d = locale.toDate(t, QLocale::ShortFormat);
    for (const char* format : {"dd.MM.yyyy", "yyyy-MM-dd", "dd/MM/yyyy", "M/d/yyyy", "dd.MM.yy", "M/d/yy"}) {
        if (d.isValid()) break;
        d = QDate::fromString(t, QLatin1String(format));
    }
    if (!d.isValid()) return {};
    // Two-digit years are read as 19xx; the instrument has only written 20xx.
    if (d.year() < 2000) d = d.addYears(100);
    return d;
}

// The time of a time cell "hh:mm:ss"; midnight when it cannot be read.
QTime ReadingTime(const QString& cell)
{
    const QString t = cell.trimmed();
    if (t.size() == 8 && t[2] == QLatin1Char(':') && t[5] == QLatin1Char(':')) {
        const QTime time(TwoDigits(t, 0), TwoDigits(t, 3), TwoDigits(t, 6));
        if (time.isValid()) return time;
    }
    return QTime(0, 0);
}

// The moment of a row's reading from its date and time cells; invalid without a readable date.
QDateTime ReadingMoment(const ArchiveTable& table, int row)
{
    const QDate d = ReadingDate(table.cell(9, row));
    if (!d.isValid()) return {};
    return QDateTime(d, ReadingTime(table.cell(10, row)));
}

// Object names as SameObjectName compares them: Latin capitals folded, everything else exact.
QString NameKey(const QString& name)
{
    QString key = name;
    for (QChar& c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() - 'A' + 'a');
    return key;
}

// Grid, origin and dates of an object from its points.
void PlaceOnGrid(SurveyObject& o)
{
    if (o.points.empty()) return;
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
            PlaceOnGrid(o);
            objects.push_back(std::move(o));
        }
    }
    return objects;
}

std::vector<SurveyObject> GroupSurveys(const ArchiveTable& table)
{
    struct Reading {
        int row = 0;
        QDate day;                 // invalid without a readable date
        qint64 moment = LLONG_MIN; // milliseconds from day 0; first when undated
        bool readable = false;
        int series = 0, point = 0;
        double value = 0;
    };
    struct Group {
        QString name; // the spelling of the earliest reading
        SensorKind sensor = SensorKind::Other;
        std::vector<Reading> readings;
    };
    std::map<std::pair<QString, int>, Group> groups;
    for (int r = 1; r < table.rowCount(); ++r) {
        const QString name = table.cell(1, r);
        const SensorKind sensor = SensorOfText(table.cell(2, r));
        Reading reading{r, ReadingDate(table.cell(9, r))};
        if (reading.day.isValid())
            reading.moment = reading.day.toJulianDay() * 86400000LL +
                             ReadingTime(table.cell(10, r)).msecsSinceStartOfDay();
        bool positionOk = false;
        const auto [series, point] = SeriesAndPoint(table.cell(5, r), &positionOk);
        reading.readable = positionOk && ReadValue(table.cell(4, r), &reading.value) && series >= 0 &&
                           point >= 0 && series <= kMaxPosition && point <= kMaxPosition;
        reading.series = series;
        reading.point = point;
        if (name.trimmed().isEmpty() && table.cell(4, r).trimmed().isEmpty()) continue; // blank row
        Group& g = groups[{NameKey(name), int(sensor)}];
        g.sensor = sensor;
        g.readings.push_back(reading);
    }

    std::vector<SurveyObject> surveys;
    for (auto& [key, g] : groups) {
        // Measuring order; rows measured at the same moment ordered by what they hold, never by
        // where they stand in the table.
        std::sort(g.readings.begin(), g.readings.end(), [&](const Reading& a, const Reading& b) {
            if (a.moment != b.moment) return a.moment < b.moment;
            if (a.readable != b.readable) return a.readable < b.readable;
            if (a.series != b.series) return a.series < b.series;
            if (a.point != b.point) return a.point < b.point;
            if (a.value != b.value) return a.value < b.value;
            return table.cell(1, a.row) < table.cell(1, b.row);
        });
        std::vector<std::vector<const Reading*>> runs;
        QDate day;
        int lastSeries = -1;
        for (const Reading& reading : g.readings) {
            const QDate readingDay = reading.day;
            const bool newDay = runs.empty() || readingDay != day;
            if (runs.empty() ||
                (newDay && reading.readable && lastSeries >= 0 && reading.series <= lastSeries))
                runs.emplace_back();
            runs.back().push_back(&reading);
            day = readingDay;
            if (reading.readable) lastSeries = reading.series;
        }
        for (const auto& run : runs) {
            SurveyObject o;
            o.name = table.cell(1, run.front()->row);
            o.sensor = g.sensor;
            std::map<std::pair<int, int>, const Reading*> latest; // (series, point); later readings win
            const Reading *firstDated = nullptr, *lastDated = nullptr;
            for (const Reading* reading : run) {
                if (!reading->readable) {
                    ++o.unreadable;
                    continue;
                }
                if (reading->day.isValid()) {
                    if (!firstDated) firstDated = reading;
                    lastDated = reading;
                }
                const Reading*& slot = latest[{reading->series, reading->point}];
                if (slot) ++o.replaced;
                slot = reading;
            }
            const auto momentOf = [](const Reading* r) {
                return QDateTime(r->day, QTime::fromMSecsSinceStartOfDay(int(r->moment % 86400000LL)));
            };
            if (firstDated) {
                o.first = momentOf(firstDated);
                o.last = momentOf(lastDated);
            }
            if (latest.empty()) {
                surveys.push_back(std::move(o));
                continue;
            }
            const Reading* earliest = nullptr;
            for (const Reading* reading : run)
                if (reading->readable) {
                    earliest = reading;
                    break;
                }
            o.stepX = int(std::max(1LL, LeadingNumber(table.cell(7, earliest->row))));
            o.stepY = int(std::max(1LL, LeadingNumber(table.cell(8, earliest->row))));
            for (const auto& [position, reading] : latest)
                o.points.push_back({reading->row, position.first, position.second, reading->value});
            PlaceOnGrid(o);
            surveys.push_back(std::move(o));
        }
    }
    std::stable_sort(surveys.begin(), surveys.end(), [](const SurveyObject& a, const SurveyObject& b) {
        if (a.first != b.first) return a.first < b.first;
        const QString ka = NameKey(a.name), kb = NameKey(b.name);
        if (ka != kb) return ka < kb;
        return int(a.sensor) < int(b.sensor);
    });
    return surveys;
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
            SameObjectName(c.name, o.name) && c.first.date() == o.first.date())
            return k;
    }
    return -1;
}

SeriesAlignment DefaultAlignment(const SurveyObject& potential, const SurveyObject& resistance)
{
    std::set<int> numbers;
    for (const SurveyPoint& p : potential.points) numbers.insert(p.series);
    for (const SurveyPoint& p : resistance.points)
        if (numbers.count(p.series)) return SeriesAlignment::ByNumber;
    return SeriesAlignment::ByOrder;
}

std::vector<CombinedNode> CombineSurveys(const SurveyObject& potential, const SurveyObject& resistance,
                                         const PotentialThresholds& thresholds, SeriesAlignment alignment)
{
    // Aligned by order, the k-th series of the resistivity survey takes the number of the k-th
    // series of the potential survey; series past the potential survey's last continue its
    // numbering one by one.
    std::map<int, int> resistanceSeries;
    {
        std::set<int> pot, res;
        for (const SurveyPoint& p : potential.points) pot.insert(p.series);
        for (const SurveyPoint& p : resistance.points) res.insert(p.series);
        auto pi = pot.begin();
        int next = pot.empty() ? (res.empty() ? 0 : *res.begin()) : *pot.rbegin() + 1;
        for (int s : res) {
            if (alignment == SeriesAlignment::ByNumber)
                resistanceSeries[s] = s;
            else if (pi != pot.end())
                resistanceSeries[s] = *pi++;
            else
                resistanceSeries[s] = next++;
        }
    }
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
        Pair& pair = byPosition[{resistanceSeries[p.series], p.point}];
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

RiskTally TallyRisk(std::span<const CombinedNode> nodes)
{
    RiskTally t;
    for (const CombinedNode& n : nodes) {
        if (n.risk == CombinedRisk::NoPotential)
            ++t.resistivityOnly;
        else if (n.risk == CombinedRisk::NoResistivity)
            ++t.potentialOnly;
        else {
            ++t.counts[std::size_t(n.risk)];
            ++t.paired;
        }
    }
    for (std::size_t k = 0; k < t.counts.size(); ++k)
        t.percent[k] = t.paired ? 100.0 * t.counts[k] / t.paired : 0.0;
    return t;
}

DateRange MeasurementDates(const ArchiveTable& table, const SurveyObject& object)
{
    DateRange range;
    for (const SurveyPoint& p : object.points) {
        const QDateTime moment = ReadingMoment(table, p.row);
        if (!moment.isValid()) continue;
        if (!range.first.isValid() || moment < range.first) range.first = moment;
        if (!range.last.isValid() || moment > range.last) range.last = moment;
    }
    return range;
}
