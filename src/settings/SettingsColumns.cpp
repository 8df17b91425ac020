#include "SettingsColumns.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

int Ceil(double width) { return int(std::ceil(width)); }

// Lines `words` take at `width` when broken greedily at blanks, as a word-wrapping cell does.
int Lines(const QStringList& words, double width, const std::function<double(const QString&)>& measure)
{
    int lines = 1;
    QString line;
    for (const QString& word : words) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && measure(longer) > width) {
            ++lines;
            line = word;
        } else {
            line = longer;
        }
    }
    return lines;
}

// The narrowest width that holds `text` on at most `lines` lines, broken at blanks: the width
// of one of its runs of words.
int WrappedWidth(const QString& text, int lines, const std::function<double(const QString&)>& measure)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    double best = measure(text);
    for (qsizetype from = 0; from < words.size(); ++from)
        for (qsizetype to = from + 1; to <= words.size(); ++to) {
            const double width = measure(words.mid(from, to - from).join(QLatin1Char(' ')));
            if (width < best && Lines(words, width, measure) <= lines) best = width;
        }
    return Ceil(best);
}

} // namespace

SettingsColumns FitSettingsColumns(const std::function<QString(int)>& heading,
                                   const std::function<double(const QString&)>& measure,
                                   const std::function<int(int)>& design, int room)
{
    SettingsColumns one;
    for (int c = 0; c < kSettingsColumns; ++c)
        one.widths[std::size_t(c)] = std::max(design(c), Ceil(measure(heading(c))));
    const int oneTotal = std::accumulate(one.widths.begin(), one.widths.end(), 0);
    if (oneTotal <= room) return one;

    // A cell still holds a name of ten characters or a five-digit value where its design did.
    const double content = measure(QStringLiteral("0000000000"));
    SettingsColumns wrapped;
    for (wrapped.lines = 2; wrapped.lines <= kMaxHeadingLines; ++wrapped.lines) {
        for (int c = 0; c < kSettingsColumns; ++c)
            wrapped.widths[std::size_t(c)] = std::max(WrappedWidth(heading(c), wrapped.lines, measure),
                                                      std::min(design(c), Ceil(content)));
        const int total = std::accumulate(wrapped.widths.begin(), wrapped.widths.end(), 0);
        if (total > room && wrapped.lines < kMaxHeadingLines) continue;
        // The spare room goes back to the columns that wrapped, in proportion to what they gave up.
        const int spare = room - total;
        const int deficit = oneTotal - total;
        if (spare > 0 && deficit > 0) {
            for (int c = 0; c < kSettingsColumns; ++c) {
                const std::size_t k = std::size_t(c);
                wrapped.widths[k] += int(double(spare) * (one.widths[k] - wrapped.widths[k]) / deficit);
            }
        }
        break;
    }
    wrapped.lines = std::min(wrapped.lines, kMaxHeadingLines);
    return wrapped;
}
