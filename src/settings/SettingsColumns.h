#pragma once
// Column widths of the settings table: its headings on one line where the screen has room, on
// two lines (and the columns narrower) where it has not.
#include "texts/Texts.h"

#include <QString>

#include <array>
#include <functional>

/// Headings never wrap onto more lines than this; a table narrower still scrolls sideways.
inline constexpr int kMaxHeadingLines = 3;

struct SettingsColumns {
    std::array<int, kSettingsColumns> widths{};
    /// Lines a heading may take: 1, or more where the headings wrap.
    int lines = 1;
};

/// `heading(c)` is column c's heading, `measure(text)` the width a cell needs for `text` on
/// one line (padding included), `design(c)` the column's design width and `room` the width
/// the columns may take together. One line when that fits; otherwise the headings wrapped at
/// blanks onto the fewest lines that fit, and the spare room given back to the columns that
/// wrapped.
SettingsColumns FitSettingsColumns(const std::function<QString(int)>& heading,
                                   const std::function<double(const QString&)>& measure,
                                   const std::function<int(int)>& design, int room);
