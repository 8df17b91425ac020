#include "SettingsRow.h"

namespace {

// More digits than this cannot be in range for any column, and stay clear of int64 overflow.
constexpr int kMaxDigits = 18;

} // namespace

CellNumber ReadCellNumber(const QString& text)
{
    qsizetype i = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative) i = 1;
    if (i == text.size()) return {};
    int64_t value = 0;
    int digits = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return {};
        if (digits == 0 && c == QLatin1Char('0')) {
            // Leading zeros add no digits that could overflow.
            continue;
        }
        if (++digits > kMaxDigits) {
            // Keep scanning: "1234...9x" is still not an integer at all.
            continue;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    if (digits > kMaxDigits) return {CellNumber::TooLong, 0};
    return {CellNumber::Integer, negative ? -value : value};
}

SettingsRow SettingsRowOf(int number, const QString& name, const ObjectSettings& s)
{
    return {QString::number(number),          name,
            QString::number(s.potentialMin),  QString::number(s.potentialMax),
            QString::number(s.resistanceMin), QString::number(s.resistanceMax),
            QString::number(s.seriesLength),  QString::number(s.stepX),
            QString::number(s.stepY)};
}

int ReadRowNumbers(const SettingsRow& row, ObjectSettings& into)
{
    std::array<int64_t, kSettingsColumns> numbers{};
    for (int c = ColPotentialMin; c <= ColStepY; ++c) {
        const CellNumber n = ReadCellNumber(row[std::size_t(c)].trimmed());
        if (n.kind != CellNumber::Integer) return c;
        numbers[std::size_t(c)] = n.value;
    }
    into.potentialMin = int16_t(uint16_t(numbers[ColPotentialMin]));
    into.potentialMax = int16_t(uint16_t(numbers[ColPotentialMax]));
    into.resistanceMin = int16_t(uint16_t(numbers[ColResistanceMin]));
    into.resistanceMax = int16_t(uint16_t(numbers[ColResistanceMax]));
    into.seriesLength = uint8_t(numbers[ColSeries]);
    into.stepX = uint8_t(numbers[ColStepX]);
    into.stepY = uint8_t(numbers[ColStepY]);
    return 0;
}
