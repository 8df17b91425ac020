// A settings row between the table's texts and an instrument entry's numbers: what the exchange
// accepts in a number cell, how it cuts a value to the entry's width, and the texts of a row read.
#include "device/SettingsRow.h"

#include <gtest/gtest.h>

namespace {

SettingsRow GoodRow() { return {"1", "Мост", "-500", "500", "0", "999", "5", "20", "30"}; }

// Each text is tried in a 16-bit column (potential minimum) and in an 8-bit one (step X).
TEST(SettingsRowNumbers, EachCellTextIsReadAsTheExchangeSendsIt)
{
    const struct {
        QString text;
        bool integer;
        int16_t wide;   // as the potential minimum holds it
        uint8_t narrow; // as step X holds it
    } cases[] = {
        {"0", true, 0, 0},
        {"-0", true, 0, 0},
        {"20", true, 20, 20},
        {"007", true, 7, 7},
        {"-999", true, -999, uint8_t(-999)},
        {"999", true, 999, uint8_t(999)},
        // Values outside the editor's ranges keep their low bits, as the entry is written.
        {"-32768", true, -32768, 0},
        {"32767", true, 32767, 255},
        {"32768", true, -32768, 0},
        {"65535", true, -1, 255},
        {"70000", true, int16_t(70000 & 0xFFFF), uint8_t(70000 & 0xFF)},
        {"-1", true, -1, 255},
        {"256", true, 256, 0},
        {"123456789012345678", true, int16_t(123456789012345678 & 0xFFFF),
         uint8_t(123456789012345678 & 0xFF)},
        // Blanks around the number are forgiven.
        {" 12 ", true, 12, 12},
        {"\t7\n", true, 7, 7},
        // Nothing else is a number.
        {"", false, 0, 0},
        {" ", false, 0, 0},
        {"-", false, 0, 0},
        {"- 5", false, 0, 0},
        {"5-", false, 0, 0},
        {"1 000", false, 0, 0},
        {"+5", false, 0, 0},
        {"1,5", false, 0, 0},
        {"1.5", false, 0, 0},
        {"1e3", false, 0, 0},
        {"0x10", false, 0, 0},
        {"12a", false, 0, 0},
        {QString::fromUtf16(u"\u0663"), false, 0, 0}, // an Arabic-Indic three
        {QString::fromUtf16(u"\uFF15"), false, 0, 0}, // a full-width five
        {"1234567890123456789", false, 0, 0},         // too long for any column
        {"-99999999999999999999", false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.text.toStdString() + "'");
        for (const int column : {int(ColPotentialMin), int(ColStepX)}) {
            SettingsRow row = GoodRow();
            row[std::size_t(column)] = c.text;
            ObjectSettings s;
            s.nameRu = "kept";
            const int invalid = ReadRowNumbers(row, s);
            EXPECT_EQ(invalid, c.integer ? 0 : column) << column;
            if (!c.integer) continue;
            if (column == ColPotentialMin)
                EXPECT_EQ(s.potentialMin, c.wide);
            else
                EXPECT_EQ(s.stepX, c.narrow);
            EXPECT_EQ(s.nameRu, "kept") << "the names are not the numbers' business";
        }
    }
}

TEST(SettingsRowNumbers, TheFirstCellThatIsNoNumberIsNamedAndNothingIsWritten)
{
    SettingsRow row = GoodRow();
    row[ColName] = "abc"; // names are not numbers and not checked
    row[ColResistanceMin] = "";
    row[ColStepY] = "x";
    ObjectSettings s;
    s.potentialMin = 123;
    const ObjectSettings before = s;
    EXPECT_EQ(ReadRowNumbers(row, s), ColResistanceMin);
    EXPECT_EQ(s, before) << "a refused row leaves the entry as it was";
    row[ColResistanceMin] = "1";
    EXPECT_EQ(ReadRowNumbers(row, s), ColStepY);
    row[ColNumber] = "";
    row[ColStepY] = "10";
    EXPECT_EQ(ReadRowNumbers(row, s), 0) << "the row number column is not read";
}

TEST(SettingsRowNumbers, ARowShownFromAnEntryReadsBackToTheSameNumbers)
{
    ObjectSettings extremes;
    extremes.potentialMin = -32768;
    extremes.potentialMax = 32767;
    extremes.resistanceMin = -1;
    extremes.resistanceMax = 0;
    extremes.seriesLength = 255;
    extremes.stepX = 0;
    extremes.stepY = 150;
    const SettingsRow row = SettingsRowOf(20, "Object 20", extremes);
    EXPECT_EQ(row, (SettingsRow{"20", "Object 20", "-32768", "32767", "-1", "0", "255", "0", "150"}));
    ObjectSettings back;
    back.nameRu = "Объект 20";
    ASSERT_EQ(ReadRowNumbers(row, back), 0);
    back.nameRu.clear();
    EXPECT_EQ(back, extremes);
}

} // namespace
