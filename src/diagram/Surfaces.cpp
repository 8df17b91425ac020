#include "Surfaces.h"

#include "texts/Texts.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The order in which surfaces take their colours. White is the chart's background and is
// never given; once every other colour is in use, red is given again.
const std::array<QColor, 20> kColorSequence{
    QColor(255, 0, 0),     QColor(0, 128, 0),     QColor(255, 255, 0),   QColor(0, 0, 255),
    QColor(255, 255, 255), QColor(128, 128, 128), QColor(255, 0, 255),   QColor(0, 128, 128),
    QColor(0, 0, 128),     QColor(128, 0, 0),     QColor(0, 255, 0),     QColor(128, 128, 0),
    QColor(128, 0, 128),   QColor(192, 192, 192), QColor(0, 255, 255),   QColor(0, 0, 0),
    QColor(192, 220, 192), QColor(166, 202, 240), QColor(255, 251, 240), QColor(160, 160, 164),
};
constexpr std::size_t kWhite = 4;

// Reads value cells with the locale's separator first and the other one second, so that a
// project saved under another locale still draws. Built once per table: QLocale copies
// are not free and a table may hold 100,000 rows.
class ValueReader {
public:
    explicit ValueReader(const QLocale& locale) : strict_(locale), c_(QLocale::c())
    {
        strict_.setNumberOptions(QLocale::RejectGroupSeparator);
        c_.setNumberOptions(QLocale::RejectGroupSeparator);
    }

    std::optional<double> operator()(const QString& cell) const
    {
        if (const auto quick = Plain(cell)) return quick;
        const QString text = cell.trimmed();
        if (text.isEmpty()) return std::nullopt;
        bool ok = false;
        double v = strict_.toDouble(text, &ok);
        if (!ok) {
            QString other = text;
            other.replace(QLatin1Char(','), QLatin1Char('.'));
            v = c_.toDouble(other, &ok);
        }
        // "NAN" or "inf" would poison the chart's depth order and its scales.
        if (!ok || !std::isfinite(v)) return std::nullopt;
        return v;
    }

private:
    // The cells the archive fill writes, "-350" or "12,5": an optional minus, digits and at
    // most one separator, read without QLocale (the bulk of a table's cost otherwise). Both
    // separators mean the decimal point here, as they do on the slow path. Anything else
    // goes the slow path.
    static std::optional<double> Plain(const QString& cell)
    {
        char buf[40];
        int n = 0;
        qsizetype i = 0, end = cell.size();
        while (i < end && cell[i] == QLatin1Char(' ')) ++i;
        while (end > i && cell[end - 1] == QLatin1Char(' ')) --end;
        if (end - i >= qsizetype(sizeof buf) || end == i) return std::nullopt;
        bool digits = false, separator = false;
        for (; i < end; ++i) {
            const char16_t c = cell[i].unicode();
            if (c >= u'0' && c <= u'9') {
                digits = true;
                buf[n++] = char(c);
            } else if ((c == u'.' || c == u',') && !separator && digits) {
                separator = true;
                buf[n++] = '.';
            } else if (c == u'-' && n == 0) {
                buf[n++] = '-';
            } else {
                return std::nullopt;
            }
        }
        if (!digits || buf[n - 1] == '.') return std::nullopt;
        double v = 0;
        const auto [ptr, ec] = std::from_chars(buf, buf + n, v);
        if (ec != std::errc() || ptr != buf + n || !std::isfinite(v)) return std::nullopt;
        return v;
    }

    QLocale strict_;
    QLocale c_;
};

int NumberOrZero(QStringView text)
{
    // Plain digits, as the archive fill writes them, without the general conversion.
    qsizetype i = 0, end = text.size();
    while (i < end && text[i] == QLatin1Char(' ')) ++i;
    while (end > i && text[end - 1] == QLatin1Char(' ')) --end;
    if (end > i && end - i <= 9) {
        int v = 0;
        qsizetype j = i;
        for (; j < end && text[j] >= QLatin1Char('0') && text[j] <= QLatin1Char('9'); ++j)
            v = v * 10 + (text[j].unicode() - u'0');
        if (j == end) return v;
    }
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? v : 0;
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// The colours of the sequence in use, by sequence index; a surface's colour is always one
// of them, so no search over the earlier surfaces is needed.
class ColorPicker {
public:
    QColor next()
    {
        for (std::size_t i = 0; i < kColorSequence.size(); ++i) {
            if (i == kWhite || taken_[i]) continue;
            taken_[i] = true;
            return kColorSequence[i];
        }
        return kColorSequence[0];
    }

private:
    std::array<bool, kColorSequence.size()> taken_{};
};

} // namespace

bool SameDiagramText(QStringView a, QStringView b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y) continue;
        if (x >= u'A' && x <= u'Z') x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = char16_t(y - u'A' + u'a');
        if (x != y || x < u'a' || x > u'z') return false;
    }
    return true;
}

QColor NextSurfaceColor(const std::vector<QColor>& taken)
{
    for (std::size_t i = 0; i < kColorSequence.size(); ++i) {
        if (i == kWhite) continue;
        bool used = false;
        for (const QColor& c : taken) used = used || c.rgb() == kColorSequence[i].rgb();
        if (!used) return kColorSequence[i];
    }
    return kColorSequence[0];
}

std::optional<double> ParseDiagramValue(const QString& text, const QLocale& locale)
{
    return ValueReader(locale)(text);
}

SeriesPoint ParseSeriesPoint(QStringView text)
{
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0) return {};
    return {NumberOrZero(text.left(bar)), NumberOrZero(text.mid(bar + 1))};
}

QString InvalidCellMessage(const SurfaceCellError& error, const QString& heading, int lang)
{
    // Heading and text in one arg(): a "%1" in either is shown as it stands.
    return QString(DiagramText::InvalidCell[lang]).arg(error.row).arg(heading, error.text);
}

SurfacesResult buildSurfaces(const ArchiveTable& table, int lang, const QLocale& locale)
{
    SurfacesResult result;
    const ValueReader readValue(locale);
    const QString& potential = DiagramText::SensorNames[0][lang];
    const QString& resistance = DiagramText::SensorNames[1][lang];
    ColorPicker colors;
    const int rows = table.rowCount();

    // T grows by the ordinal of every block's first measurement within its object; a block
    // never reaches past row T. Kept in 64 bits and saturated, so that crafted series
    // numbers can neither overflow it nor wrap it round to a small limit.
    std::int64_t total = 0;
    int r = 1;
    while (r < rows) {
        const QString& name = table.cell(1, r);
        const SeriesPoint first = ParseSeriesPoint(table.cell(5, r));
        bool ok = false;
        const int seriesLength = table.cell(6, r).trimmed().toInt(&ok, 10);
        if (!ok) {
            result.surfaces.clear();
            result.error = SurfaceCellError{r, 6, table.cell(6, r)};
            return result;
        }
        total =
            SaturatingAdd(total, std::int64_t(seriesLength) * (std::int64_t(first.series) - 1) + first.point);

        DiagramSurface surface;
        surface.objectName = name;
        surface.color = colors.next();
        const QString& sensor = table.cell(2, r);
        if (SameDiagramText(sensor, potential)) {
            surface.sensorKind = SensorKind::Potential;
        } else if (SameDiagramText(sensor, resistance)) {
            surface.sensorKind = SensorKind::Resistance;
            surface.axis = VerticalAxis::Right;
        }

        // Rows past the table's end are not part of any block, even where an empty name
        // would match the empty cells beyond it.
        const int start = r;
        do {
            const auto value = readValue(table.cell(4, r));
            if (!value) {
                result.surfaces.clear();
                result.error = SurfaceCellError{r, 4, table.cell(4, r)};
                return result;
            }
            const SeriesPoint at = r == start ? first : ParseSeriesPoint(table.cell(5, r));
            surface.points.push_back({double(at.point), *value, double(at.series)});
            ++r;
        } while (r < rows && r <= total && SameDiagramText(table.cell(1, r), name));
        result.surfaces.push_back(std::move(surface));
    }
    return result;
}
