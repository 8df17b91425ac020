// The cell texts made without QLocale's general formatting must be exactly QLocale's.
#include "archive/DateText.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <limits>
#include <vector>

namespace {

TEST(NumberText, IsQStringNumber)
{
    const long long cases[] = {0,
                               1,
                               -1,
                               9,
                               10,
                               -10,
                               99,
                               100,
                               1760,
                               -32768,
                               65535,
                               2147483647LL,
                               -2147483648LL,
                               std::numeric_limits<long long>::max(),
                               std::numeric_limits<long long>::min()};
    for (long long v : cases) EXPECT_EQ(NumberText(v), QString::number(v)) << v;
}

TEST(ShortDateText, IsQLocaleShortDateInEveryLocale)
{
    // Every month and every day of the week, single and double digits, leap day, the
    // instrument's last year, and years QLocale writes differently.
    std::vector<QDate> dates = {{2000, 1, 1},   {2009, 9, 5}, {2012, 12, 31}, {2024, 2, 29},
                                {2255, 10, 10}, {999, 3, 4},  {10000, 1, 1},  {}};
    for (int month = 1; month <= 12; ++month) dates.emplace_back(2023, month, 10 + month);
    int direct = 0, viaLocale = 0;
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const ShortDateText text(locale);
        (text.direct() ? direct : viaLocale)++;
        for (const QDate& date : dates)
            ASSERT_EQ(text(date), locale.toString(date, QLocale::ShortFormat))
                << locale.name().toStdString() << " " << locale.dateFormat(QLocale::ShortFormat).toStdString()
                << " " << date.toString(Qt::ISODate).toStdString();
    }
    // Both ways are exercised: most locales are filled in directly, some need QLocale.
    EXPECT_GT(direct, 100);
    EXPECT_GT(viaLocale, 5);
}

TEST(ShortDateText, TheUsualFormsAreFilledInDirectly)
{
    for (const char* name : {"ru_RU", "en_US", "de_DE", "en_GB", "C", "fr_FR"}) {
        const QLocale locale(QString::fromLatin1(name));
        EXPECT_TRUE(ShortDateText(locale).direct()) << name;
    }
    EXPECT_EQ(ShortDateText(QLocale(QStringLiteral("ru_RU")))(QDate(2012, 9, 5)), "05.09.2012");
}

} // namespace
