// The column sort of ArchiveTable: one key per data row, the quicksort whose order of equal
// keys users have come to know, then the rows moved into that order.
#include "ArchiveTable.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

namespace {

enum class KeyKind { Integer, Text };

KeyKind KindOf(int column)
{
    switch (column) {
    case 0:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8: return KeyKind::Integer;
    default: return KeyKind::Text;
    }
}

// Worded as a number-conversion failure that quotes the cell as the user sees it, so the
// message box points straight at the row to look at.
SortError NotInteger(const QString& cell)
{
    return {QStringLiteral("'%1' is not a valid integer value").arg(cell)};
}

SortError NotFloat(const QString& cell)
{
    return {QStringLiteral("'%1' is not a valid floating point value").arg(cell)};
}

std::optional<qint64> ParseInteger(QStringView text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

// The Value column: the number in hundredths. Cells are written with the user's decimal
// separator; a project written under another locale may carry a point instead.
std::optional<qint64> ParseHundredths(const QString& cell, const QLocale& locale)
{
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    const QString text = cell.trimmed();
    bool ok = false;
    double v = strict.toDouble(text, &ok);
    if (!ok) v = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    // Cells hold at most one decimal, so the product is whole but for the binary error
    // (12.3 * 100 is 1229.999...); rounding gives the intended 1230.
    const double h = std::round(v * 100);
    if (h <= -9.2e18 || h >= 9.2e18) return std::nullopt;
    return static_cast<qint64>(h);
}

std::optional<qint64> ParseSeriesPoint(const QString& cell)
{
    const auto bar = cell.indexOf(QLatin1Char('|'));
    if (bar < 0) return std::nullopt;
    const auto series = ParseInteger(QStringView(cell).left(bar));
    const auto point = ParseInteger(QStringView(cell).mid(bar + 1));
    if (!series || !point) return std::nullopt;
    qint64 key = 0;
    if (__builtin_mul_overflow(*series, qint64(1000), &key) || __builtin_add_overflow(key, *point, &key))
        return std::nullopt;
    return key;
}

// The Range column: its first number, the lower limit ("  -500  -  500" gives -500).
std::optional<qint64> ParseLowerLimit(const QString& cell)
{
    qsizetype begin = 0;
    while (begin < cell.size() && cell[begin] == QLatin1Char(' ')) ++begin;
    qsizetype end = cell.indexOf(QLatin1Char(' '), begin);
    if (end < 0) end = cell.size();
    if (end == begin) return std::nullopt;
    return ParseInteger(QStringView(cell).mid(begin, end - begin));
}

std::optional<qint64> IntegerKey(int column, const QString& cell, const QLocale& locale)
{
    switch (column) {
    case 3: return ParseLowerLimit(cell);
    case 4: return ParseHundredths(cell, locale);
    case 5: return ParseSeriesPoint(cell);
    default: return ParseInteger(cell);
    }
}

// Sorts positions 0..n-1 of `items` by `compare` (negative, zero, positive). This is the
// classic middle-pivot quicksort: which of several equal items comes first depends on its
// exact steps, so they are kept as they are. Only the order in which the two independent
// parts of a pass are handled differs from the plain recursive form: the smaller part is
// sorted first, which keeps the work list at log n entries on any input. The parts do not
// overlap, so the result is the same.
template <class Compare> void QuickSort(std::vector<int>& items, Compare compare)
{
    if (items.size() < 2) return;
    std::vector<std::pair<int, int>> pending{{0, int(items.size()) - 1}};
    while (!pending.empty()) {
        auto [left, right] = pending.back();
        pending.pop_back();
        while (left < right) {
            int i = left;
            int j = right;
            const int pivot = items[std::size_t(left + (right - left) / 2)];
            do {
                while (compare(items[std::size_t(i)], pivot) < 0) ++i;
                while (compare(items[std::size_t(j)], pivot) > 0) --j;
                if (i <= j) {
                    std::swap(items[std::size_t(i)], items[std::size_t(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            // Parts left..j and i..right remain; sort the smaller one now, keep the other.
            if (j - left < right - i) {
                if (i < right) pending.emplace_back(i, right);
                right = j;
            } else {
                if (left < j) pending.emplace_back(left, j);
                left = i;
            }
        }
    }
}

} // namespace

std::optional<SortError> ArchiveTable::sortByColumn(int column, int direction)
{
    if (rows_ <= 1 || columns_ <= 0) return std::nullopt;
    const int n = rows_ - 1;
    const bool descending = direction < 0;

    std::vector<int> items(static_cast<std::size_t>(n));
    std::iota(items.begin(), items.end(), 0);

    if (KindOf(column) == KeyKind::Integer) {
        const QLocale locale;
        std::vector<qint64> keys(static_cast<std::size_t>(n));
        for (int r = 0; r < n; ++r) {
            const QString& text = cell(column, r + 1);
            const auto key = IntegerKey(column, text, locale);
            if (!key) return column == 4 ? NotFloat(text) : NotInteger(text);
            keys[std::size_t(r)] = *key;
        }
        QuickSort(items, [&](int a, int b) {
            if (descending) std::swap(a, b);
            const qint64 x = keys[std::size_t(a)];
            const qint64 y = keys[std::size_t(b)];
            return x < y ? -1 : (x > y ? 1 : 0);
        });
    } else {
        QuickSort(items, [&](int a, int b) {
            if (descending) std::swap(a, b);
            return QString::localeAwareCompare(cell(column, a + 1), cell(column, b + 1));
        });
    }

    // Bring the row of sorted item i to position 1+i, following every row as it is moved
    // aside so that each lands exactly once.
    std::vector<int> positionOf(static_cast<std::size_t>(n)); // original row -> current position (0-based)
    std::vector<int> rowAt(static_cast<std::size_t>(n));      // current position -> original row
    std::iota(positionOf.begin(), positionOf.end(), 0);
    std::iota(rowAt.begin(), rowAt.end(), 0);
    for (int i = 0; i < n; ++i) {
        const int row = items[std::size_t(i)];
        const int from = positionOf[std::size_t(row)];
        if (from == i) continue;
        const int displaced = rowAt[std::size_t(i)];
        swapRows(from + 1, i + 1);
        rowAt[std::size_t(i)] = row;
        positionOf[std::size_t(row)] = i;
        rowAt[std::size_t(from)] = displaced;
        positionOf[std::size_t(displaced)] = from;
    }
    return std::nullopt;
}
