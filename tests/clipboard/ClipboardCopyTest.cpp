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
    void SetUp() override
    {
        ResetSharedState();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void TearDown() override { ResetSharedState(); }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
};

} // namespace

// A read that stopped at its first record leaves the header and one empty row, while
// RecordCount keeps the count the instrument announced.
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
        uint32_t recordCount;
        std::function<bool()> command;
        QString title, text;
    };
    const Case cases[] = {
        {"whole table at start-up", 0, 0, [&] { return CopyTableToClipboard(startUp); }, "Внимание",
         "Таблтца пуста"},
        {"block at start-up", 1, 0,
         [&] {
             return CopyBlockToClipboard(startUp, {1, 2, 1, 3});
         },
         "Warning", "The table is empty"},
        {"whole table of a cut read", 0, 1760, [&] { return CopyTableToClipboard(cut); }, "Внимание",
         "Таблтца пуста"},
        {"block of a cut read", 1, 1760,
         [&] {
             return CopyBlockToClipboard(cut, {1, 1, 1, 3});
         },
         "Warning", "The table is empty"},
        {"ctrl+c one cell of a cut read", 0, 5,
         [&] {
             return CopySelectionToClipboard(cut, {1, 1, 1, 1});
         },
         "Внимание", "Таблтца пуста"},
        {"ctrl+c block of a cut read", 1, 5,
         [&] {
             return CopySelectionToClipboard(cut, {1, 1, 1, 3});
         },
         "Warning", "The table is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lang = uint8_t(c.lang);
        RecordCount = c.recordCount;
        bool copied = true;
        const SeenBox box = RunAcknowledgingBox([&] { copied = c.command(); });
        EXPECT_FALSE(copied);
        EXPECT_TRUE(box.shown);
        EXPECT_EQ(box.caption, c.title);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.buttons, 1);
        EXPECT_FALSE(box.hasOwner);
        EXPECT_EQ(Clipboard(), QStringLiteral("before"));
        EXPECT_EQ(RecordCount.load(), c.recordCount) << "the count stays as the read left it";
    }
}

TEST_F(ClipboardCopy, TheTableRowsDecideNotTheRecordCount)
{
    const ArchiveTable table = SmallArchive(0);
    RecordCount = 0;
    bool copied = false;
    const SeenBox box = RunAcknowledgingBox([&] { copied = CopyTableToClipboard(table); });
    EXPECT_TRUE(copied);
    EXPECT_FALSE(box.shown);
    EXPECT_EQ(Clipboard(), TableClipboardText(table, 0));
}

TEST_F(ClipboardCopy, PutsTheTextsOnTheClipboardOnceRecordsAreLoaded)
{
    RecordCount = 2;
    Lang = 1;
    const ArchiveTable table = SmallArchive(1);
    bool copied = false;
    SeenBox box = RunAcknowledgingBox([&] { copied = CopyTableToClipboard(table); });
    EXPECT_TRUE(copied);
    EXPECT_FALSE(box.shown);
    EXPECT_EQ(Clipboard(), TableClipboardText(table, 1));
    EXPECT_TRUE(Clipboard().startsWith(QStringLiteral("№\tObject\t\tSensor\t\t\t")));

    box = RunAcknowledgingBox([&] { copied = CopyBlockToClipboard(table, {2, 2, 1, 2}); });
    EXPECT_TRUE(copied);
    EXPECT_EQ(Clipboard(), QStringLiteral("Мост\tСопротив., кОм*см \r\n"));
}

TEST_F(ClipboardCopy, CtrlCCopiesTheWholeTableForOneCellAndTheBlockOtherwise)
{
    RecordCount = 2;
    const ArchiveTable table = SmallArchive(0);
    ASSERT_TRUE(CopySelectionToClipboard(table, {2, 2, 4, 4}));
    EXPECT_EQ(Clipboard(), TableClipboardText(table, 0));
    ASSERT_TRUE(CopySelectionToClipboard(table, {2, 2, 4, 5}));
    EXPECT_EQ(Clipboard(), QStringLiteral("12,3\t10   |   1\r\n"));
    ASSERT_TRUE(CopySelectionToClipboard(table, {1, 2, 11, 11}));
    EXPECT_EQ(Clipboard(), QStringLiteral("Ручной\r\nАвто\r\n"));
}
