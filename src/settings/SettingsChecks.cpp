#include "SettingsChecks.h"

#include "texts/Cp1251.h"
#include "texts/Texts.h"

namespace {

// The value every check judges by: text that is not an integer counts as 0.
int64_t ValueOf(const CellNumber& n) { return n.kind == CellNumber::Integer ? n.value : 0; }

bool Outside(const CellNumber& n, int64_t low, int64_t high)
{
    if (n.kind == CellNumber::TooLong) return true;
    const int64_t v = ValueOf(n);
    return v < low || v > high;
}

} // namespace

bool KeepsTypedChar(int column, QChar c)
{
    if (c.isDigit() && c.unicode() < 0x80) return true;
    if (c == QChar(8) || c == QChar(9) || c == QChar(13) || c == QLatin1Char('-')) return true;
    return column < ColPotentialMin;
}

RangeMessage CheckEditText(int column, const QString& text)
{
    const CellNumber n = ReadCellNumber(text);
    switch (column) {
    case ColPotentialMin:
    case ColPotentialMax: return Outside(n, -999, 999) ? RangeMessage::Potential : RangeMessage::None;
    case ColResistanceMin:
    case ColResistanceMax: return Outside(n, 0, 999) ? RangeMessage::Resistance : RangeMessage::None;
    case ColSeries: return !text.isEmpty() && Outside(n, 1, 99) ? RangeMessage::Series : RangeMessage::None;
    case ColStepX: return !text.isEmpty() && Outside(n, 1, 150) ? RangeMessage::StepX : RangeMessage::None;
    case ColStepY: return !text.isEmpty() && Outside(n, 1, 150) ? RangeMessage::StepY : RangeMessage::None;
    default: return RangeMessage::None;
    }
}

QString RangeMessageText(RangeMessage message, int lang)
{
    using namespace SettingsText;
    switch (message) {
    case RangeMessage::None: return {};
    case RangeMessage::Potential: return PotentialRange[lang];
    case RangeMessage::Resistance: return ResistanceRange[lang];
    case RangeMessage::Series: return HeaderSeriesLength[lang] + From1To99[lang];
    case RangeMessage::StepX: return HeaderStepX[lang] + From10To150[lang];
    case RangeMessage::StepY: return HeaderStepY[lang] + From10To150[lang];
    }
    return {};
}

std::vector<int> StepRowsNotMultipleOf10(const SettingsColumnTexts& column)
{
    std::vector<int> rows;
    for (int r = 0; r < kSettingsObjects; ++r) {
        const CellNumber n = ReadCellNumber(column[std::size_t(r)]);
        // A number too long to read has no remainder to judge; it cannot be a step either.
        if (n.kind == CellNumber::TooLong || ValueOf(n) % 10 != 0) rows.push_back(r + 1);
    }
    return rows;
}

SendVerdict CheckBeforeSend(const SettingsTexts& texts)
{
    SendVerdict verdict;
    const auto value = [&](int row, int column) {
        return ValueOf(ReadCellNumber(texts[std::size_t(row - 1)][std::size_t(column)]));
    };
    for (int minColumn : {ColPotentialMin, ColResistanceMin}) {
        for (int row = 1; row <= kSettingsObjects; ++row) {
            if (value(row, minColumn + 1) > value(row, minColumn)) continue;
            verdict.kind = SendVerdict::CrossedPair;
            verdict.row = row;
            verdict.column = minColumn;
            return verdict;
        }
    }
    // Every cell must survive the conversion to the instrument's integers.
    for (int row = 1; row <= kSettingsObjects; ++row) {
        for (int column = ColPotentialMin; column <= ColStepY; ++column) {
            if (ReadCellNumber(texts[std::size_t(row - 1)][std::size_t(column)]).kind == CellNumber::Integer)
                continue;
            verdict.kind = SendVerdict::InvalidCell;
            verdict.row = row;
            verdict.column = column;
            return verdict;
        }
    }
    for (int column : {ColStepX, ColStepY}) {
        SettingsColumnTexts cells;
        for (int r = 0; r < kSettingsObjects; ++r)
            cells[std::size_t(r)] = texts[std::size_t(r)][std::size_t(column)];
        if (!StepRowsNotMultipleOf10(cells).empty()) verdict.stepColumns.push_back(column);
    }
    if (!verdict.stepColumns.empty()) {
        verdict.kind = SendVerdict::StepsNotMultipleOf10;
        return verdict;
    }
    for (int row = 1; row <= kSettingsObjects; ++row) {
        for (int column : {ColSeries, ColStepX, ColStepY}) {
            const int64_t v = value(row, column);
            const bool inside = column == ColSeries ? v >= 1 && v <= 99 : v >= 10 && v <= 150;
            if (inside) continue;
            verdict.kind = SendVerdict::OutOfRange;
            verdict.row = row;
            verdict.column = column;
            return verdict;
        }
    }
    return verdict;
}

QString StorableName(const QString& text, QString* removed)
{
    QString kept;
    kept.reserve(text.size());
    bool first = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char byte = 0;
        if (Cp1251Byte(text[i], byte)) {
            kept += text[i];
            continue;
        }
        const qsizetype length = IsSurrogatePairAt(text, i) ? 2 : 1;
        if (first && removed) *removed = text.mid(i, length);
        first = false;
        i += length - 1;
    }
    return kept;
}
