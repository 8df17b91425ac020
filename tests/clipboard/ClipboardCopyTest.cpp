#include "ui/commands/ClipboardCopy.h"

#include "ArchiveFixture.h"
#include "app/SharedState.h"
#include "support/MessageBoxWatch.h"

#include <gtest/gtest.h>

#include <QClipboard>

#include <functional>

namespace {

class ClipboardCopy : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::clipboard()->setText(QStringLiteral("before")); }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
};

} // namespace

// A read that stopped at its first record leaves the header and one empty row (while the
// record count keeps the count the instrument announced).
ArchiveTable ReadCutAtTheFirstRecord()
{
    ArchiveTable table = SmallArchive(0);
    table.fillFromRecords({}, 0);
    return table;
}

TEST_F(ClipboardCopy, RefusesATableWithoutArchiveRowsAndLeavesTheClipboard)
{
    const ArchiveTable startUp; // header and eight empty rows
    const ArchiveTable cut = ReadCutAtTheFirstRecord();
    ASSERT_EQ(cut.rowCount(), 2);
    struct Case {
        const char* name;
        int lang;
        std::function<bool(int lang)> command;
        QString title, text;
    };
    const Case cases[] = {
        {"whole table at start-up", 0, [&](int lang) { return CopyTableToClipboard(startUp, lang); },
         "Внимание", "Таблтца пуста"},
        {"block at start-up", 1,
         [&](int lang) {
             return CopyBlockToClipboard(startUp, {1, 2, 1, 3}, lang);
         },
         "Warning", "The table is empty"},
        {"whole table of a cut read", 0, [&](int lang) { return CopyTableToClipboard(cut, lang); },
         "Внимание", "Таблтца пуста"},
        {"block of a cut read", 1,
         [&](int lang) {
             return CopyBlockToClipboard(cut, {1, 1, 1, 3}, lang);
         },
         "Warning", "The table is empty"},
        {"ctrl+c one cell of a cut read", 0,
         [&](int lang) {
             return CopySelectionToClipboard(cut, {1, 1, 1, 1}, lang);
         },
         "Внимание", "Таблтца пуста"},
        {"ctrl+c block of a cut read", 1,
         [&](int lang) {
             return CopySelectionToClipboard(cut, {1, 1, 1, 3}, lang);
         },
         "Warning", "The table is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool copied = true;
        const SeenBox box = RunAcknowledgingBox([&] { copied = c.command(c.lang); });
        EXPECT_FALSE(copied);
        EXPECT_TRUE(box.shown);
        EXPECT_EQ(box.caption, c.title);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.buttons, 1);
        EXPECT_FALSE(box.hasOwner);
        EXPECT_EQ(Clipboard(), QStringLiteral("before"));
    }
}

TEST_F(ClipboardCopy, ATableWithRowsIsCopiedWithItsRussianHeader)
{
    const ArchiveTable table = SmallArchive(0);
    bool copied = false;
    const SeenBox box = RunAcknowledgingBox([&] { copied = CopyTableToClipboard(table, 0); });
    EXPECT_TRUE(copied);
    EXPECT_FALSE(box.shown);
    EXPECT_EQ(Clipboard(), TableClipboardText(table, 0));
}

TEST_F(ClipboardCopy, PutsTheTextsOnTheClipboardOnceRecordsAreLoaded)
{
    const ArchiveTable table = SmallArchive(1);
    bool copied = false;
    SeenBox box = RunAcknowledgingBox([&] { copied = CopyTableToClipboard(table, 1); });
    EXPECT_TRUE(copied);
    EXPECT_FALSE(box.shown);
    EXPECT_EQ(Clipboard(), TableClipboardText(table, 1));
    EXPECT_TRUE(Clipboard().startsWith(QStringLiteral("№\tObject\t\tSensor\t\t\t")));

    box = RunAcknowledgingBox([&] { copied = CopyBlockToClipboard(table, {2, 2, 1, 2}, 1); });
    EXPECT_TRUE(copied);
    EXPECT_EQ(Clipboard(), QStringLiteral("Мост\tСопротив., кОм*см \r\n"));
}

TEST_F(ClipboardCopy, CtrlCCopiesTheWholeTableForOneCellAndTheBlockOtherwise)
{
    const ArchiveTable table = SmallArchive(0);
    ASSERT_TRUE(CopySelectionToClipboard(table, {2, 2, 4, 4}, 0));
    EXPECT_EQ(Clipboard(), TableClipboardText(table, 0));
    ASSERT_TRUE(CopySelectionToClipboard(table, {2, 2, 4, 5}, 0));
    EXPECT_EQ(Clipboard(), QStringLiteral("12,3\t10   |   1\r\n"));
    ASSERT_TRUE(CopySelectionToClipboard(table, {1, 2, 11, 11}, 0));
    EXPECT_EQ(Clipboard(), QStringLiteral("Ручной\r\nАвто\r\n"));
}
