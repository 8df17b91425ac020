#pragma once
#include <QString>

/// A localised text: Russian at index 0, English at index 1. Trailing and doubled
/// blanks belong to the text.
struct TextPair {
    QString ru;
    QString en;

    /// The element for language `lang` (0 Russian, anything else English).
    const QString& operator[](int lang) const { return lang == 0 ? ru : en; }
    bool operator==(const TextPair&) const = default;
};
