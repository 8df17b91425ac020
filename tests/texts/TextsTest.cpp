#include "app/SharedState.h"
#include "texts/Cp1251.h"
#include "texts/Texts.h"

#include <gtest/gtest.h>

TEST(Cp1251, KnownBytes)
{
    EXPECT_EQ(ToCp1251(QStringLiteral("Объект")), QByteArray("\xCE\xE1\xFA\xE5\xEA\xF2"));
    EXPECT_EQ(ToCp1251(QStringLiteral("№")), QByteArray("\xB9"));
    EXPECT_EQ(FromCp1251(QByteArray("\xCE\xE1\xFA\xE5\xEA\xF2")), QStringLiteral("Объект"));
}

TEST(Cp1251, EveryByteRoundTrips)
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        EXPECT_EQ(ToCp1251(FromCp1251(one)), one) << "byte " << b;
    }
}

TEST(Texts, HeaderColumnFiveIsComposed)
{
    EXPECT_EQ(HeaderText(5, 0), QStringLiteral("Серия | Номер"));
    EXPECT_EQ(HeaderText(5, 1), QStringLiteral("Series | Number"));
}
