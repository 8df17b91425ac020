#pragma once
// Texts of numbers and dates for the archive's cells, made without the general formatting
// machinery where the result is known to be the same: an archive fill makes tens of
// thousands of them.
#include <QDate>
#include <QLocale>
#include <QString>

#include <vector>

/// The decimal text of `value`, as QString::number gives it.
QString NumberText(long long value);

/// A date in the locale's short format, as QLocale::toString(date, QLocale::ShortFormat)
/// gives it. Formats made only of day and month numbers or names, year numbers and
/// punctuation, in a locale with the digits 0-9, are filled in directly; any other goes
/// to QLocale.
class ShortDateText {
public:
    explicit ShortDateText(const QLocale& locale);
    QString operator()(QDate date) const;
    /// Whether dates are filled in directly (for tests).
    bool direct() const { return direct_; }

private:
    enum class Part { Text, Day, Day2, DayName, Month, Month2, MonthName, Year2, Year4 };
    struct Piece {
        Part part;
        QString text;
        /// Day names Monday..Sunday or month names January..December, as the locale
        /// writes them with this piece's letters.
        std::vector<QString> names;
    };
    QLocale locale_;
    QString format_;
    std::vector<Piece> pieces_;
    bool direct_ = false;
};
