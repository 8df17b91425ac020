#pragma once
// One row of the object settings table as the editor shows it and the exchange reads and
// fills it: nine cell texts, the reading of a number cell, and the conversion between a row
// and the values of an instrument entry. QtCore only; the editor and the exchange both use it.
#include "device/Formats.h"
#include "texts/Texts.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

/// Columns of the settings table.
enum SettingsColumn : int {
    ColNumber = 0,
    ColName = 1,
    ColPotentialMin = 2,
    ColPotentialMax = 3,
    ColResistanceMin = 4,
    ColResistanceMax = 5,
    ColSeries = 6,
    ColStepX = 7,
    ColStepY = 8,
};
static_assert(ColStepY + 1 == kSettingsColumns);

/// Texts of one settings table row, columns 0..8.
using SettingsRow = std::array<QString, kSettingsColumns>;
/// Rows of objects 1..n at index 0..n-1.
using SettingsRows = std::vector<SettingsRow>;

/// A cell text read as a decimal integer with an optional leading minus sign. Nothing else
/// belongs to the number: no plus sign, no blanks, no decimal point or comma, no digits but
/// 0..9. More than 18 significant digits are too long for any column.
struct CellNumber {
    enum Kind { NotInteger, Integer, TooLong };
    Kind kind = NotInteger;
    int64_t value = 0; ///< Integer only
};
CellNumber ReadCellNumber(const QString& text);

/// Row `number` of the table showing `settings`, with `name` in the name column and every
/// number as a decimal integer.
SettingsRow SettingsRowOf(int number, const QString& name, const ObjectSettings& settings);

/// Reads columns 2..8 of `row` into the numbers of `into`, cut to the entry's widths (the low
/// 16 bits of the ranges, the low 8 of series length and steps); the names are left alone.
/// Blanks around a number are forgiven. Returns the first column that does not hold an
/// integer, 0 when all do (`into` is then untouched).
int ReadRowNumbers(const SettingsRow& row, ObjectSettings& into);
