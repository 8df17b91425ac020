#include "DateText.h"

QString NumberText(long long value)
{
    char buf[24];
    char* end = buf + sizeof buf;
    char* p = end;
    // The magnitude as unsigned, so that the most negative value has one too.
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) *--p = '-';
    return QString::fromLatin1(p, end - p);
}

ShortDateText::ShortDateText(const QLocale& locale)
    : locale_(locale), format_(locale.dateFormat(QLocale::ShortFormat))
{
    direct_ = locale_.zeroDigit() == QLatin1String("0");
    for (qsizetype i = 0; direct_ && i < format_.size();) {
        const QChar c = format_[i];
        qsizetype run = 1;
        while (i + run < format_.size() && format_[i + run] == c) ++run;
        const QString letters = format_.mid(i, run);
        if (c == QLatin1Char('d') && run <= 2) {
            pieces_.push_back({run == 1 ? Part::Day : Part::Day2, {}, {}});
        } else if (c == QLatin1Char('d') && run <= 4) {
            // The names as QLocale writes them: 1 January 2001 was a Monday.
            Piece piece{Part::DayName, {}, {}};
            for (int day = 1; day <= 7; ++day)
                piece.names.push_back(locale_.toString(QDate(2001, 1, day), letters));
            pieces_.push_back(std::move(piece));
        } else if (c == QLatin1Char('M') && run <= 2) {
            pieces_.push_back({run == 1 ? Part::Month : Part::Month2, {}, {}});
        } else if (c == QLatin1Char('M') && run <= 4) {
            Piece piece{Part::MonthName, {}, {}};
            for (int month = 1; month <= 12; ++month)
                piece.names.push_back(locale_.toString(QDate(2001, month, 1), letters));
            pieces_.push_back(std::move(piece));
        } else if (c == QLatin1Char('y') && (run == 2 || run == 4)) {
            pieces_.push_back({run == 2 ? Part::Year2 : Part::Year4, {}, {}});
        } else if (c.isLetter() || c == QLatin1Char('\'')) {
            // Longer runs, eras, quoted text ...: QLocale's business.
            direct_ = false;
        } else {
            if (pieces_.empty() || pieces_.back().part != Part::Text) pieces_.push_back({Part::Text, {}, {}});
            pieces_.back().text += letters;
        }
        i += run;
    }
    if (!direct_) pieces_.clear();
}

QString ShortDateText::operator()(QDate date) const
{
    // Years outside 1000..9999 have signs or fewer digits: QLocale decides those.
    if (!direct_ || !date.isValid() || date.year() < 1000 || date.year() > 9999)
        return locale_.toString(date, format_);
    QString text;
    text.reserve(format_.size() + 2);
    const auto twoDigits = [&text](int n) {
        text += QLatin1Char(char('0' + n / 10));
        text += QLatin1Char(char('0' + n % 10));
    };
    for (const Piece& piece : pieces_) {
        switch (piece.part) {
        case Part::Text: text += piece.text; break;
        case Part::Day: text += NumberText(date.day()); break;
        case Part::Day2: twoDigits(date.day()); break;
        case Part::DayName: text += piece.names[std::size_t(date.dayOfWeek() - 1)]; break;
        case Part::Month: text += NumberText(date.month()); break;
        case Part::Month2: twoDigits(date.month()); break;
        case Part::MonthName: text += piece.names[std::size_t(date.month() - 1)]; break;
        case Part::Year2: twoDigits(date.year() % 100); break;
        case Part::Year4: text += NumberText(date.year()); break;
        }
    }
    return text;
}
