#include "ArchiveTable.h"

#include "DateText.h"
#include "texts/Texts.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace {

const QString kNan = QStringLiteral("NAN");
const QString kRangeDash = QStringLiteral("  -  ");
const QString kSeriesBar = QStringLiteral("   |   ");

// `time` in kArchiveTimeFormat, "hh:mm:ss": the same text QTime::toString gives for that
// format, without parsing the format for every record.
QString TimeText(const QTime& time)
{
    const int parts[] = {time.hour(), time.minute(), time.second()};
    QString text(8, QLatin1Char(':'));
    for (int i = 0; i < 3; ++i) {
        text[3 * i] = QLatin1Char(char('0' + parts[i] / 10));
        text[3 * i + 1] = QLatin1Char(char('0' + parts[i] % 10));
    }
    return text;
}

// A potential in whole mV, cut toward zero (-0.9 gives "0"). Values no integer can hold
// have no text.
QString PotentialText(double value)
{
    constexpr double limit = 9.2e18; // just inside the range of a 64-bit integer
    if (!std::isfinite(value) || value <= -limit || value >= limit) return kNan;
    return NumberText(static_cast<long long>(value));
}

// A resistivity with exactly one decimal, halves rounded away from zero. The value is
// first taken to the 15 significant digits a double reliably holds, so that 0.15 reads
// as 0.2 the way the user sees it, not as 0.1 from its binary expansion 0.1499...
QString ResistivityText(double value, const QString& point)
{
    if (!std::isfinite(value)) return kNan;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value)); // d.dddddddddddddde[+-]xx
    std::string digits(1, buf[0]);
    digits.append(buf + 2, 14);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);

    // `tenths`: the value in tenths, as decimal digits.
    const int count = exponent + 2;
    std::string tenths;
    if (count > int(digits.size())) {
        tenths = digits + std::string(std::size_t(count) - digits.size(), '0');
    } else if (count > 0) {
        tenths = digits.substr(0, std::size_t(count));
        if (digits[std::size_t(count)] >= '5') {
            int i = count - 1;
            while (i >= 0 && tenths[std::size_t(i)] == '9') tenths[std::size_t(i--)] = '0';
            if (i < 0)
                tenths.insert(tenths.begin(), '1');
            else
                ++tenths[std::size_t(i)];
        }
    } else {
        tenths.assign(1, count == 0 && digits[0] >= '5' ? '1' : '0');
    }
    const auto first = tenths.find_first_not_of('0');
    tenths = first == std::string::npos ? std::string("0") : tenths.substr(first);
    const bool negative = value < 0 && tenths != "0";
    if (tenths.size() < 2) tenths.insert(tenths.begin(), '0');

    QString text;
    if (negative) text += QLatin1Char('-');
    text += QLatin1String(tenths.data(), qsizetype(tenths.size() - 1));
    text += point;
    text += QLatin1Char(tenths.back());
    return text;
}

} // namespace

ArchiveTable::ArchiveTable() : ArchiveTable(kArchiveColumns, 9) { setHeader(0); }

ArchiveTable::ArchiveTable(int columns, int rows)
    : columns_(std::max(columns, 0)), rows_(std::max(rows, 0)), cells_(std::size_t(columns_) * rows_)
{
}

void ArchiveTable::setColumnCount(int columns)
{
    columns = std::max(columns, 0);
    if (columns == columns_) return;
    std::vector<QString> cells(std::size_t(columns) * rows_);
    const int keep = std::min(columns, columns_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < keep; ++c)
            cells[std::size_t(r) * columns + c] = std::move(cells_[std::size_t(r) * columns_ + c]);
    cells_ = std::move(cells);
    columns_ = columns;
}

void ArchiveTable::setRowCount(int rows)
{
    rows_ = std::max(rows, 0);
    cells_.resize(std::size_t(columns_) * rows_);
}

void ArchiveTable::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return;
    at(column, row) = text;
}

void ArchiveTable::swapRows(int a, int b)
{
    if (a == b || a < 0 || b < 0 || a >= rows_ || b >= rows_) return;
    auto ra = cells_.begin() + std::ptrdiff_t(a) * columns_;
    auto rb = cells_.begin() + std::ptrdiff_t(b) * columns_;
    std::swap_ranges(ra, ra + columns_, rb);
}

void ArchiveTable::setHeader(int lang)
{
    if (rows_ < 1) return;
    // A table opened from a project may be narrower or wider; only the archive's own
    // twelve headings exist, further heading cells keep their texts.
    const int columns = std::min(columns_, kArchiveColumns);
    for (int c = 0; c < columns; ++c) at(c, 0) = HeaderText(c, lang);
}

void ArchiveTable::fillFromRecords(std::span<const ArchiveRecord> records, int lang,
                                   const ObjectNameList& names)
{
    // A project of another shape may be on screen: the archive always has twelve columns.
    if (columns_ != kArchiveColumns) {
        setColumnCount(kArchiveColumns);
        setHeader(lang);
    }
    const std::size_t count = std::min<std::size_t>(records.size(), std::numeric_limits<int>::max() - 1);
    // Earlier data rows go entirely, so no cell of an old row survives into a new one.
    cells_.resize(std::size_t(columns_) * std::min(rows_, 1));
    rows_ = std::min(rows_, 1);
    setRowCount(int(count) + 1 < 2 ? 2 : int(count) + 1);
    if (count == 0) return;

    const QLocale locale;
    const QString point = locale.decimalPoint();
    const ShortDateText dateText(locale);
    // The records of a series share their date and range: their texts are made once and
    // the cells share them.
    QDate lastDate;
    QString lastDateText;
    int lastLow = std::numeric_limits<int>::min(), lastHigh = 0;
    QString lastRangeText;
    using ExchangeText::ModeNames;
    using ExchangeText::SensorNames;

    for (std::size_t k = 0; k < count; ++k) {
        const ArchiveRecord& r = records[k];
        const int row = int(k) + 1;
        at(0, row) = NumberText(static_cast<long long>(k + 1));
        at(1, row) = r.objectIndex < kObjectCount ? names[r.objectIndex][lang]
                                                  : DefaultObjectName(r.objectIndex + 1)[lang];
        at(2, row) = r.sensorType < SensorNames.size() ? SensorNames[r.sensorType][lang]
                                                       : QString::number(r.sensorType);
        if (int(r.rangeLow) != lastLow || int(r.rangeHigh) != lastHigh) {
            lastLow = r.rangeLow;
            lastHigh = r.rangeHigh;
            lastRangeText = QLatin1Char(' ') + NumberText(r.rangeLow) + kRangeDash + NumberText(r.rangeHigh);
        }
        at(3, row) = lastRangeText;
        if (r.sensorType == 0)
            at(4, row) = PotentialText(r.value);
        else if (r.sensorType == 1)
            at(4, row) = ResistivityText(r.value, point);
        at(5, row) = NumberText(r.seriesNumber) + kSeriesBar + NumberText(r.pointNumber);
        at(6, row) = NumberText(r.seriesLength);
        at(7, row) = NumberText(r.stepX);
        at(8, row) = NumberText(r.stepY);
        const QDate date(r.yearSince2000 + 2000, r.month, r.day);
        const QTime time(r.hour, r.minute, r.second);
        if (date.isValid() && time.isValid()) {
            if (date != lastDate) {
                lastDate = date;
                lastDateText = dateText(date);
            }
            at(9, row) = lastDateText;
            at(10, row) = TimeText(time);
        } else {
            at(9, row) = kNan;
            at(10, row) = kNan;
        }
        at(11, row) = r.mode < ModeNames.size() ? ModeNames[r.mode][lang] : QString::number(r.mode);
    }
}
