#pragma once
// The settings editor's checks on cell texts: the typed-key filter, the check of every change
// of a cell, the multiple-of-10 rule of the step columns, and the check before a send. No
// window code, so that each rule can be tested on texts alone. A cell is read as a number by
// ReadCellNumber (device/SettingsRow.h), the same reading the exchange converts rows with.
#include "bytes/InstrumentSizes.h"
#include "device/SettingsRow.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

inline constexpr int kSettingsObjects = 20; // table rows 1..20
inline constexpr int kNameLength = 10;      // characters the instrument keeps of a name
static_assert(kSettingsObjects == kInstrumentObjects);

/// Whether a character typed into `column` is kept: digits, Backspace, Tab, Enter and the
/// minus sign everywhere, anything in the name column, nothing else.
bool KeepsTypedChar(int column, QChar c);

/// The message a refused cell text gets; None when the text passes.
enum class RangeMessage { None, Potential, Resistance, Series, StepX, StepY };
/// Check of a cell's new text while it is typed. Text that is not an integer counts as 0; a
/// digit string too long for any range is out of range.
RangeMessage CheckEditText(int column, const QString& text);
/// The message text in language `lang`.
QString RangeMessageText(RangeMessage message, int lang);

/// The texts of one table column, rows 1..20 at index 0..19.
using SettingsColumnTexts = std::array<QString, kSettingsObjects>;
/// Rows (1..20) of a step column whose value is not a multiple of 10, in row order. An empty
/// cell, any text that is not an integer, and 0 pass.
std::vector<int> StepRowsNotMultipleOf10(const SettingsColumnTexts& column);

/// Rows 1..20 (row r at index r - 1).
using SettingsTexts = std::array<SettingsRow, kSettingsObjects>;

/// What stops a send, in the order the send looks for it.
struct SendVerdict {
    enum Kind {
        Send,
        /// A pair whose maximum is not above its minimum: `row`, `column` is the minimum.
        CrossedPair,
        /// A cell of columns 2..8 that is empty or not a decimal integer: `row`, `column`.
        InvalidCell,
        /// Step columns holding values that are not multiples of 10: `stepColumns`.
        StepsNotMultipleOf10,
        /// A series or step cell outside 1..99 or 10..150: `row`, `column`.
        OutOfRange,
    };
    Kind kind = Send;
    int row = 0;
    int column = 0;
    std::vector<int> stepColumns;
};
SendVerdict CheckBeforeSend(const SettingsTexts& texts);

/// `text` without the characters Windows-1251 cannot hold (a surrogate pair counts as one);
/// the first one removed goes to `removed` when given.
QString StorableName(const QString& text, QString* removed = nullptr);
