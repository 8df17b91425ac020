// Text pasted into the settings grid, cell by cell, through what the editor does with it: a
// name keeps only what the instrument can store, a number cell is cleared when its check
// refuses the text, and the whole table goes through the check before a send. Whatever was
// pasted, a table that may be sent holds numbers the instrument's fields take as they are.
//
// Input: the cells of rows 1..20, columns 0..8, row by row, separated by tabs and line
// ends as a spreadsheet puts them on the clipboard. The first byte picks how the rest is
// read: UTF-8, or raw UTF-16 code units (lone surrogates included).
#include "settings/SettingsChecks.h"
#include "texts/Cp1251.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

QString Pasted(const uint8_t* data, std::size_t size)
{
    if (size == 0) return {};
    const bool utf16 = data[0] & 1;
    ++data;
    --size;
    if (utf16) return QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Names: only storable characters are kept, in their order, and a second pass changes nothing.
void CheckName(const QString& text)
{
    QString removed;
    const QString kept = StorableName(text, &removed);
    Require(FromCp1251(ToCp1251(kept)) == kept);
    Require(kept.size() <= text.size());
    Require(removed.isEmpty() == (kept == text));
    qsizetype at = 0;
    for (const QChar c : kept) {
        at = text.indexOf(c, at);
        Require(at >= 0);
        ++at;
    }
    QString again;
    Require(StorableName(kept, &again) == kept && again.isEmpty());
}

// The editor's reading of a number and the exchange's conversion of it before a send agree:
// what the editor takes as an integer the conversion takes too, cut to the entry's widths.
void CheckNumber(const QString& text)
{
    const CellNumber n = ReadCellNumber(text);
    if (n.kind != CellNumber::Integer) return;
    SettingsRow row;
    row.fill(text);
    ObjectSettings converted;
    Require(ReadRowNumbers(row, converted) == 0);
    Require(converted.potentialMin == int16_t(uint16_t(n.value)) && converted.stepY == uint8_t(n.value));
    Require(ReadCellNumber(QString::number(n.value)).value == n.value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QString pasted = Pasted(data, size);
    SettingsTexts texts;
    const QStringList lines = pasted.split(QLatin1Char('\n'));
    for (int row = 0; row < kSettingsObjects && row < lines.size(); ++row) {
        QString line = lines[row];
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QStringList cells = line.split(QLatin1Char('\t'));
        for (int column = 0; column < 9 && column < cells.size(); ++column) {
            const QString& text = cells[column];
            auto& cell = texts[std::size_t(row)][std::size_t(column)];
            CheckNumber(text);
            if (column == ColName) {
                CheckName(text);
                cell = StorableName(text);
            } else {
                // The editor clears a cell whose new text its check refuses.
                cell = CheckEditText(column, text) == RangeMessage::None ? text : QString();
            }
        }
    }

    const SendVerdict verdict = CheckBeforeSend(texts);
    if (verdict.kind != SendVerdict::Send) {
        Require(verdict.kind == SendVerdict::StepsNotMultipleOf10 ||
                (verdict.row >= 1 && verdict.row <= kSettingsObjects && verdict.column >= ColPotentialMin &&
                 verdict.column <= ColStepY));
        return 0;
    }
    // A table that may be sent: every field fits the instrument's integers unchanged.
    for (const auto& row : texts) {
        const auto value = [&row](int column) {
            const CellNumber n = ReadCellNumber(row[std::size_t(column)]);
            Require(n.kind == CellNumber::Integer);
            return n.value;
        };
        Require(value(ColPotentialMin) >= -999 && value(ColPotentialMax) <= 999);
        Require(value(ColPotentialMin) < value(ColPotentialMax));
        Require(value(ColResistanceMin) >= 0 && value(ColResistanceMax) <= 999);
        Require(value(ColResistanceMin) < value(ColResistanceMax));
        Require(value(ColSeries) >= 1 && value(ColSeries) <= 99);
        for (int step : {ColStepX, ColStepY})
            Require(value(step) >= 10 && value(step) <= 150 && value(step) % 10 == 0);
    }
    return 0;
}
