// The copy commands as the main window runs them: Edit menu items and Ctrl+C in the grid, on
// the start-up table and on a table opened from a project file.
#include "ArchiveFixture.h"
#include "app/SharedState.h"
#include "exchange/clipboard/ClipboardText.h"
#include "exchange/project/ProjectFile.h"
#include "support/MessageBoxWatch.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

class MainWindowCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        form_ = std::make_unique<TForm1>(shared);
        grid_ = form_->findChild<QTableView*>(QStringLiteral("StringGrid1"));
        ASSERT_NE(grid_, nullptr);
    }

    void trigger(const char* action)
    {
        auto* a = form_->findChild<QAction*>(QLatin1String(action));
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    // Selects table rows top..bottom and columns left..right as a mouse drag would.
    void select(int top, int bottom, int left, int right)
    {
        QAbstractItemModel* model = grid_->model();
        grid_->setCurrentIndex(model->index(top - 1, left));
        grid_->selectionModel()->select(
            QItemSelection(model->index(top - 1, left), model->index(bottom - 1, right)),
            QItemSelectionModel::ClearAndSelect);
    }
    void ctrlC() { QTest::keyClick(grid_, Qt::Key_C, Qt::ControlModifier); }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    SharedState shared;
    std::unique_ptr<TForm1> form_;
    QTableView* grid_ = nullptr;
};

} // namespace

TEST_F(MainWindowCopy, StartUpTableIsRefusedByEveryCopyCommand)
{
    const std::function<void()> commands[] = {
        [&] { trigger("Copy1"); },
        [&] { trigger("Copy2"); },
        [&] { select(1, 1, 1, 1), ctrlC(); },
        [&] { select(1, 2, 1, 3), ctrlC(); },
    };
    for (const auto& command : commands) {
        const SeenBox box = RunAcknowledgingBox(command);
        EXPECT_TRUE(box.shown);
        EXPECT_EQ(box.caption, QStringLiteral("Внимание"));
        EXPECT_EQ(box.text, QStringLiteral("Таблтца пуста"));
        EXPECT_EQ(Clipboard(), QStringLiteral("before"));
    }
}

TEST_F(MainWindowCopy, AReadCutAtItsFirstRecordIsRefusedByEveryCopyCommand)
{
    form_->model()->fillFromRecords({}, 0); // the read ended before its first record
    shared.RecordCount = 1760;              // as the instrument announced
    ASSERT_EQ(form_->table().rowCount(), 2);
    const std::function<void()> commands[] = {
        [&] { trigger("Copy1"); },
        [&] { trigger("Copy2"); },
        [&] { select(1, 1, 1, 1), ctrlC(); },
        [&] { select(1, 1, 1, 3), ctrlC(); },
    };
    for (const auto& command : commands) {
        const SeenBox box = RunAcknowledgingBox(command);
        EXPECT_TRUE(box.shown);
        EXPECT_EQ(box.text, QStringLiteral("Таблтца пуста"));
        EXPECT_EQ(Clipboard(), QStringLiteral("before"));
    }
    EXPECT_EQ(shared.RecordCount.load(), 1760u);
}

TEST_F(MainWindowCopy, ProjectTableIsCopiedWholeOrByBlock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.ar"));
    const ArchiveTable saved = SmallArchive(0);
    ASSERT_EQ(saveProject(saved, path), ProjectStatus::Ok);
    form_->OpenFromCommandLine({path});
    ASSERT_EQ(shared.RecordCount.load(), 2u);

    trigger("Copy1");
    EXPECT_EQ(Clipboard(), TableClipboardText(saved, 0));
    EXPECT_TRUE(Clipboard().startsWith(QStringLiteral("№\tОбъект\t\tДатчик\t\t\tДиапазон\t")));

    select(1, 2, 1, 2);
    trigger("Copy2");
    EXPECT_EQ(Clipboard(), QStringLiteral("Объект 1\tПотенциала, мВ    \r\nМост\tСопротив., кОм*см \r\n"));

    select(2, 2, 4, 6);
    ctrlC();
    EXPECT_EQ(Clipboard(), QStringLiteral("12,3\t10   |   1\t125\r\n"));

    select(2, 2, 11, 11); // one cell: Ctrl+C takes the whole table
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    ctrlC();
    EXPECT_EQ(Clipboard(), TableClipboardText(saved, 0));

    select(1, 1, 11, 11); // the Edit menu's block copy of one cell is that cell
    trigger("Copy2");
    EXPECT_EQ(Clipboard(), QStringLiteral("Ручной\r\n"));
}
