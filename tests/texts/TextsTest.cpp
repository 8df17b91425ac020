#include "texts/Texts.h"
#include "texts/Cp1251.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Cp1251, KnownBytes)
{
    EXPECT_EQ(ToCp1251(QStringLiteral("Объект")), QByteArray("\xCE\xE1\xFA\xE5\xEA\xF2"));
    EXPECT_EQ(ToCp1251(QStringLiteral("№")), QByteArray("\xB9"));
    EXPECT_EQ(FromCp1251(QByteArray("\xCE\xE1\xFA\xE5\xEA\xF2")), QStringLiteral("Объект"));
    EXPECT_EQ(FromCp1251(QByteArray("\xB9")), QStringLiteral("№"));
    // Ё/ё and the Ukrainian letters sit outside the А..я run.
    EXPECT_EQ(ToCp1251(QStringLiteral("ЁёЇїІіЄєҐґ")), QByteArray("\xA8\xB8\xAF\xBF\xB2\xB3\xAA\xBA\xA5\xB4"));
    EXPECT_EQ(ToCp1251(QStringLiteral("А я€")), QByteArray("\xC0\x20\xFF\x88"));
}

TEST(Cp1251, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = FromCp1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1251(text), all);
}

TEST(Cp1251, UpperHalfOfTheCodePage)
{
    // Bytes 0x80..0xFF in order; 0x98 has no character in the code page and keeps its own
    // value so that it still survives a round trip.
    const QString expected =
        QString::fromUtf16(u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\u0098™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
                           u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя");
    ASSERT_EQ(expected.size(), 128);
    QByteArray upper;
    for (int b = 0x80; b < 0x100; ++b) upper.append(char(b));
    EXPECT_EQ(FromCp1251(upper), expected);
    EXPECT_EQ(ToCp1251(expected), upper);
}

TEST(Cp1251, EveryCodePageCharacterRoundTripsAndNoOtherMaps)
{
    // Each of the 256 characters gives its own byte back, and no other 16-bit character
    // claims a byte: the mapping is one to one.
    int mapped = 0;
    for (int u = 0; u < 0x10000; ++u) {
        char byte;
        if (!Cp1251Byte(QChar(char16_t(u)), byte)) continue;
        ++mapped;
        ASSERT_EQ(Cp1251Char(static_cast<unsigned char>(byte)), QChar(char16_t(u))) << "U+" << std::hex << u;
    }
    EXPECT_EQ(mapped, 256);
}

TEST(Cp1251, OutsideTheCodePageIsOneQuestionMarkPerCharacter)
{
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {QStringLiteral("ä"), "?"},
        {QStringLiteral("日本"), "??"},
        {QString::fromUcs4(U"\U0001F600"), "?"},
        {QString::fromUcs4(U"a\U0001F600b\U00010437\U00010437"), "a?b??"},
        {QString(QChar(0xD83D)), "?"},                        // high half alone
        {QString(QChar(0xDE00)) + QStringLiteral("x"), "?x"}, // low half alone
        {QString(QChar(0xDE00)) + QChar(0xD83D), "??"},       // halves in the wrong order
        {QStringLiteral("Мост") + QString::fromUcs4(U"\U0001F600"), "\xCC\xEE\xF1\xF2?"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToCp1251(c.text), c.bytes) << c.text.toStdString();
}

namespace {

struct NamedText {
    const char* name;
    const TextPair* pair;
};

std::vector<NamedText> AllTexts()
{
    std::vector<NamedText> all;
#define TEXT(ns, name) all.push_back({#ns "::" #name, &ns::name})
    TEXT(MainText, Caption), TEXT(MainText, File1), TEXT(MainText, Save1), TEXT(MainText, N1);
    TEXT(MainText, N2), TEXT(MainText, Print1), TEXT(MainText, Exit1), TEXT(MainText, Edit1);
    TEXT(MainText, Copy1), TEXT(MainText, Copy2), TEXT(MainText, Copy3), TEXT(MainText, Help1);
    TEXT(MainText, Contents1), TEXT(MainText, About1), TEXT(MainText, Button1), TEXT(MainText, Button2);
    TEXT(MainText, Button3), TEXT(MainText, HeaderNumber), TEXT(MainText, HeaderObject);
    TEXT(MainText, HeaderSensor), TEXT(MainText, HeaderRange), TEXT(MainText, HeaderValue);
    TEXT(MainText, HeaderSeries), TEXT(MainText, HeaderPoint), TEXT(MainText, HeaderSeriesLength);
    TEXT(MainText, HeaderStepX), TEXT(MainText, HeaderStepY), TEXT(MainText, HeaderDate);
    TEXT(MainText, HeaderTime), TEXT(MainText, HeaderRegime), TEXT(MainText, Warning), TEXT(MainText, Error);
    TEXT(MainText, SheetTitle), TEXT(MainText, ArchiveNotRead), TEXT(MainText, ExportError);
    TEXT(MainText, ExcelOpenError), TEXT(MainText, ExcelMissing), TEXT(MainText, TableEmpty);
    TEXT(MainText, HintSort), TEXT(MainText, HintSelect);
    TEXT(ExchangeText, Connection), TEXT(ExchangeText, LinkError), TEXT(ExchangeText, CrcError);
    TEXT(ExchangeText, MemoryError), TEXT(ExchangeText, CheckConnection), TEXT(ExchangeText, DriverMissing);
    TEXT(ExchangeText, FirmwareOutdated), TEXT(ExchangeText, NoData), TEXT(ExchangeText, VersionRead);
    TEXT(ExchangeText, ParametersRead), TEXT(ExchangeText, DataRead), TEXT(ExchangeText, MaterialsWrite);
    TEXT(ExchangeText, MaterialsRead), TEXT(ExchangeText, DataArchive), TEXT(ExchangeText, Ready);
    TEXT(ExchangeText, Cancel);
    TEXT(SettingsText, Caption), TEXT(SettingsText, HeaderObject), TEXT(SettingsText, HeaderPotentialMin);
    TEXT(SettingsText, HeaderPotentialMax), TEXT(SettingsText, HeaderResistanceMin);
    TEXT(SettingsText, HeaderResistanceMax), TEXT(SettingsText, HeaderSeriesLength);
    TEXT(SettingsText, HeaderStepX), TEXT(SettingsText, HeaderStepY), TEXT(SettingsText, PotentialRange);
    TEXT(SettingsText, ResistanceRange), TEXT(SettingsText, LowerAboveUpper), TEXT(SettingsText, From1To99);
    TEXT(SettingsText, From10To150), TEXT(SettingsText, DigitsOnly), TEXT(SettingsText, Button1);
    TEXT(DiagramText, Caption), TEXT(DiagramText, GroupBox1), TEXT(DiagramText, Label1);
    TEXT(DiagramText, Label2), TEXT(DiagramText, Label3), TEXT(DiagramText, Label4),
        TEXT(DiagramText, Label5);
    TEXT(DiagramText, AxisLeft), TEXT(DiagramText, AxisRight), TEXT(DiagramText, AxisBottom);
    TEXT(DiagramText, AxisDepth), TEXT(DiagramText, HintZoom), TEXT(DiagramText, HintRotate);
    TEXT(DiagramText, HintScreenshot), TEXT(DiagramText, HintPrint);
    TEXT(ScreenshotText, Caption), TEXT(ScreenshotText, Button1), TEXT(ScreenshotText, CheckBox1);
    TEXT(ScreenshotText, CheckBox2), TEXT(ScreenshotText, Label1), TEXT(ScreenshotText, Label2);
    TEXT(AboutText, Caption), TEXT(AboutText, Product), TEXT(AboutText, Version), TEXT(AboutText, Of);
    TEXT(AboutText, Phone), TEXT(AboutText, Multichannel);
    TEXT(ScreenshotText, SaveFailed), TEXT(AboutText, WebHint), TEXT(AboutText, LinkFailed);
    TEXT(AboutText, HelpCaption), TEXT(AboutText, HelpBack), TEXT(AboutText, HelpForward);
    TEXT(AboutText, HelpHome), TEXT(AboutText, HelpContents);
    TEXT(ExchangeText, NoPermission), TEXT(SettingsText, NameCharUnstorable), TEXT(DiagramText, InvalidCell);
    TEXT(HistoryText, ReadHistory), TEXT(HistoryText, OpenFolder), TEXT(HistoryText, RecentProjects);
    TEXT(HistoryText, RemoveMissing), TEXT(HistoryText, Empty), TEXT(HistoryText, Entry);
    TEXT(HistoryText, Damaged), TEXT(HistoryText, KeepFailed);
#undef TEXT
    for (const auto* table : {&ExchangeText::ModeNames, &ExchangeText::SensorNames, &DiagramText::SensorNames,
                              &DiagramText::ShortSensorNames})
        for (const TextPair& pair : *table) all.push_back({"name table", &pair});
    for (const TextPair& month : AboutText::Months) all.push_back({"AboutText::Months", &month});
    return all;
}

} // namespace

TEST(Texts, EveryTextIsWholeAndFitsTheCodePage)
{
    // The texts go into project files, workbooks and the clipboard as Windows-1251: a stray
    // character from outside the code page would come out as '?'.
    for (const auto& [name, pair] : AllTexts()) {
        for (int lang : {0, 1}) {
            const QString& text = (*pair)[lang];
            EXPECT_FALSE(text.isEmpty()) << name << " lang " << lang;
            EXPECT_EQ(FromCp1251(ToCp1251(text)), text) << name << " lang " << lang;
        }
    }
}

TEST(Texts, QuirksAreKept)
{
    // Letters that look alike but are not the expected alphabet, misspellings and blanks
    // are part of what the user has always seen.
    const struct {
        const char* what;
        QString actual;
        QString expected;
    } cases[] = {
        {"Cyrillic С then Latin", MainText::N1.en, QString::fromUtf16(u"\u0421reate Project")},
        {"Latin c in Макc.", SettingsText::HeaderPotentialMax.ru,
         QString::fromUtf16(u"\u041C\u0430\u043Ac. диапазона датчика потенциала, мВ")},
        {"Cyrillic с in Макс.", SettingsText::HeaderResistanceMax.ru,
         QString::fromUtf16(u"\u041C\u0430\u043A\u0441. диапазона датчика сопротивления, кОм*см")},
        {"Таблтца", MainText::TableEmpty.ru, QStringLiteral("Таблтца пуста")},
        {"диграмму, two blanks", MainText::Button3.ru, QStringLiteral("Построить  диграмму")},
        {"caption blank", MainText::Caption.ru, QStringLiteral("Анализатор корозий ")},
        {"caption blank en", MainText::Caption.en, QStringLiteral("Analyzer Concrete Corrosion ")},
        {"four blanks", ExchangeText::SensorNames[0].ru, QStringLiteral("Потенциала, мВ    ")},
        {"three blanks", ExchangeText::SensorNames[0].en, QStringLiteral("Potential , mV   ")},
        {"one blank", ExchangeText::SensorNames[1].ru, QStringLiteral("Сопротив., кОм*см ")},
        {"one blank en", ExchangeText::SensorNames[1].en, QStringLiteral("Resist., kOhm*cm ")},
        {"diagram long name", DiagramText::SensorNames[0].ru, QStringLiteral("Потенциала, мВ    ")},
        {"two blanks after comma", DiagramText::HintZoom.en, QStringLiteral("LBM - Zoom,  RBM - Shift")},
        {"no blank after comma", DiagramText::HintRotate.en, QStringLiteral("LBM - Rotate,RBM - Move")},
        {"about caption", AboutText::Caption.ru, QStringLiteral(" О программе ")},
        {"apri", AboutText::Months[3].en, QStringLiteral(" apri ")},
        {"december", AboutText::Months[11].ru, QStringLiteral(" декабря ")},
        {"fax without blank", AboutText::Phone.en, QStringLiteral("tel./fax")},
        {"fax with blank", AboutText::Phone.ru, QStringLiteral("тел./факс. ")},
        {"suffix leading blank", SettingsText::From10To150.en,
         QStringLiteral(" from 10 to 150 in increments of 10")},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;
}

TEST(Texts, HeadingRows)
{
    const struct {
        int column;
        QString ru, en;
    } archive[] = {
        {0, "№", "№"},
        {1, "Объект", "Object"},
        {3, "Диапазон", "Diapason"},
        {5, "Серия | Номер", "Series | Number"},
        {6, "Количество измерений в серии", "Quantity measuring in series"},
        {11, "Режим", "Regime"},
        {12, "", ""},
        {-1, "", ""},
    };
    for (const auto& c : archive) {
        EXPECT_EQ(HeaderText(c.column, 0), c.ru) << c.column;
        EXPECT_EQ(HeaderText(c.column, 1), c.en) << c.column;
    }
    const struct {
        int column;
        QString ru, en;
    } settings[] = {
        {0, "№", "№"},
        {1, "Объект", "Object"},
        {2, "Мин. диапазона датчика потенциала, мВ", "Min. range potential sensor, mV"},
        {6, "Колич. измерений в серии", "Quant. measuring in series"},
        {8, "Шаг по Y", "Step Y"},
        {9, "", ""},
    };
    for (const auto& c : settings) {
        EXPECT_EQ(SettingsHeaderText(c.column, 0), c.ru) << c.column;
        EXPECT_EQ(SettingsHeaderText(c.column, 1), c.en) << c.column;
    }
}

TEST(Texts, DefaultObjectNames)
{
    EXPECT_EQ(DefaultObjectName(1), (TextPair{"Объект 1", "Object 1"}));
    EXPECT_EQ(DefaultObjectName(20), (TextPair{"Объект 20", "Object 20"}));
    EXPECT_EQ(ToCp1251(DefaultObjectName(7).ru), QByteArray("\xCE\xE1\xFA\xE5\xEA\xF2\x20\x37"));
}
