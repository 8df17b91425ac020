#include "ModalAnswers.h"

#include "app/SharedState.h"
#include "device/Unit2.h"
#include "exchange/project/ProjectFile.h"
#include "exchange_machine/FakeInstrument.h"
#include "texts/Texts.h"
#include "ui/ExchangeStarters.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

QByteArray ReadFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Four records whose series/point cells sort differently as texts and as numbers.
ArchiveTable FourRecords(int headerLang = 0)
{
    ArchiveTable t(kArchiveColumns, 5);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, headerLang));
    const char* series[] = {"10   |   1", "5   |   5", "2   |   10", "2   |   9"};
    for (int r = 1; r <= 4; ++r) {
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, QStringLiteral("Объект %1").arg(r));
        t.setCell(2, r, r == 2 ? QStringLiteral("Сопротив., кОм*см ") : QStringLiteral("Потенциала, мВ    "));
        t.setCell(3, r, QStringLiteral(" -500  -  500"));
        t.setCell(4, r, QString::number(-100 * r));
        t.setCell(5, r, QString::fromLatin1(series[r - 1]));
        t.setCell(6, r, QStringLiteral("12"));
        t.setCell(7, r, QStringLiteral("10"));
        t.setCell(8, r, QStringLiteral("20"));
        t.setCell(9, r, QStringLiteral("01.02.2023"));
        t.setCell(10, r, QStringLiteral("10:0%1:00").arg(r));
        t.setCell(11, r, QStringLiteral("Ручной"));
    }
    return t;
}

QStringList Column(const ArchiveTable& t, int column)
{
    QStringList out;
    for (int r = 0; r < t.rowCount(); ++r) out << t.cell(column, r);
    return out;
}

QStringList RecordOrder(const ArchiveTable& t) { return Column(t, 0).mid(1); }

// QtTest's QTRY macros report to QtTest, which a gtest program never reads (a failed one
// just leaves the test early and it passes): waits are written with qWaitFor instead.
bool HintBecomes(const TForm1& form, const QString& hint)
{
    return QTest::qWaitFor([&] { return form.statusHint() == hint; }, 3000);
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm1>(shared);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        grid = form->findChild<QTableView*>("StringGrid1");
        ASSERT_NE(grid, nullptr);
    }
    void TearDown() override
    {
        EXPECT_TRUE(answers.allAnswered()) << "an expected window did not appear";
        EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join(", ").toStdString();
        form.reset();
    }

    QAction* action(const char* name) const { return form->findChild<QAction*>(name); }
    QPushButton* button(const char* name) const { return form->findChild<QPushButton*>(name); }

    QString fixture(const ArchiveTable& t, const QString& name = "fixture.ar")
    {
        const QString path = dir.filePath(name);
        EXPECT_EQ(saveProject(t, path), ProjectStatus::Ok);
        return path;
    }

    void load(const ArchiveTable& t) { form->OpenFromCommandLine({fixture(t)}); }

    // A point in the middle of heading `column`, in the header's viewport.
    QPoint headerPoint(int column) const
    {
        QHeaderView* h = grid->horizontalHeader();
        return {h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2};
    }
    QPoint cellPoint(int row, int column) const
    {
        return grid->visualRect(form->model()->index(row, column)).center();
    }
    void clickHeader(int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->horizontalHeader()->viewport(), button, {}, headerPoint(column));
    }

    QTemporaryDir dir;
    ModalAnswers answers;
    SharedState shared;
    std::unique_ptr<TForm1> form;
    QTableView* grid = nullptr;
};

TEST_F(MainWindow, LanguageSwitchRewritesEveryTextButNeverTheDataRows)
{
    struct Text {
        const char* name;
        const TextPair* pair;
    };
    const Text actions[] = {
        {"Save1", &MainText::Save1},   {"N1", &MainText::N1},       {"N2", &MainText::N2},
        {"Print1", &MainText::Print1}, {"Exit1", &MainText::Exit1}, {"Copy1", &MainText::Copy1},
        {"Copy2", &MainText::Copy2},   {"Copy3", &MainText::Copy3}, {"Contents1", &MainText::Contents1},
        {"About1", &MainText::About1}};
    const Text menus[] = {
        {"File1", &MainText::File1}, {"Edit1", &MainText::Edit1}, {"Help1", &MainText::Help1}};
    const Text buttons[] = {
        {"Button1", &MainText::Button1}, {"Button2", &MainText::Button2}, {"Button3", &MainText::Button3}};

    load(FourRecords());
    const auto expectLanguage = [&](int lang) {
        SCOPED_TRACE(lang);
        EXPECT_EQ(shared.Lang.load(), lang);
        EXPECT_EQ(form->windowTitle(), MainText::Caption[lang]);
        for (const Text& t : actions) EXPECT_EQ(action(t.name)->text(), (*t.pair)[lang]) << t.name;
        for (const Text& t : menus)
            EXPECT_EQ(form->findChild<QMenu*>(t.name)->title(), (*t.pair)[lang]) << t.name;
        for (const Text& t : buttons) EXPECT_EQ(button(t.name)->text(), (*t.pair)[lang]) << t.name;
        for (int c = 0; c < kArchiveColumns; ++c) {
            EXPECT_EQ(form->table().cell(c, 0), HeaderText(c, lang)) << c;
            EXPECT_EQ(form->model()->headerData(c, Qt::Horizontal).toString(), HeaderText(c, lang)) << c;
        }
        // A screen reader names the archive table in the language in force.
        EXPECT_EQ(form->findChild<QTableView*>("StringGrid1")->accessibleName(),
                  lang == 0 ? QStringLiteral("Архив измерений") : QStringLiteral("Measurement archive"));
        EXPECT_EQ(action("Lang0")->isChecked(), lang == 0);
        EXPECT_EQ(action("Lang1")->isChecked(), lang == 1);
        // The language menu's own captions are never translated.
        EXPECT_EQ(form->findChild<QMenu*>("Language1")->title(), QStringLiteral("Language(Язык)"));
        EXPECT_EQ(action("Lang0")->text(), QStringLiteral("Русский"));
        EXPECT_EQ(action("Lang1")->text(), QStringLiteral("English"));
        // Data rows keep the language they were written in.
        EXPECT_EQ(form->table().cell(11, 1), QStringLiteral("Ручной"));
        EXPECT_EQ(form->table().cell(2, 1), QStringLiteral("Потенциала, мВ    "));
    };

    expectLanguage(0);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Анализатор корозий "));
    action("Lang1")->trigger();
    expectLanguage(1);
    action("Lang1")->trigger(); // a second pick of the checked item keeps it checked
    expectLanguage(1);
    EXPECT_EQ(form->table().cell(5, 0), QStringLiteral("Series | Number"));
    action("Lang0")->trigger();
    expectLanguage(0);
}

TEST_F(MainWindow, EveryPictureItemShowsItsPictureWhenItsMenuIsOpenedFromTheMenuBar)
{
    const struct {
        const char* menu;
        std::vector<const char*> items;
    } menus[] = {
        {"File1", {"Save1", "N1", "N2", "Print1", "Exit1"}},
        {"Edit1", {"Copy1", "Copy2", "Copy3"}},
        {"Help1", {"Contents1", "About1"}},
    };
    QMenuBar* bar = form->menuBar();
    for (const auto& m : menus) {
        SCOPED_TRACE(m.menu);
        auto* menu = form->findChild<QMenu*>(m.menu);
        ASSERT_NE(menu, nullptr);
        // Twice: the second opening must find the pictures still there.
        for (int opening = 0; opening < 2; ++opening) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
            QTRY_VERIFY(menu->isVisible());
            for (const char* name : m.items) {
                const QImage picture = action(name)->icon().pixmap(16, 16).toImage();
                EXPECT_FALSE(picture.isNull()) << name;
                EXPECT_TRUE(action(name)->isIconVisibleInMenu()) << name;
            }
            menu->hide();
            QTRY_VERIFY(!menu->isVisible());
        }
    }
}

TEST_F(MainWindow, AFreshWindowStartsInRussianWhateverTheLanguageBefore)
{
    action("Lang1")->trigger();
    TForm1 second(shared);
    EXPECT_EQ(shared.Lang.load(), 0);
    EXPECT_EQ(second.windowTitle(), MainText::Caption.ru);
    EXPECT_EQ(second.table().cell(1, 0), QStringLiteral("Объект"));
    EXPECT_EQ(shared.VersionUnread.load(), 1);
    EXPECT_EQ(second.table().rowCount(), 9);
}

TEST_F(MainWindow, HeadingClicksFlipOneDirectionForAllColumnsEvenOnAnEmptyTable)
{
    const ArchiveTable start = form->table();
    clickHeader(3);
    EXPECT_EQ(form->sortDirection(), 1);
    clickHeader(3);
    EXPECT_EQ(form->sortDirection(), -1);
    EXPECT_EQ(Column(form->table(), 3), Column(start, 3));

    load(FourRecords());
    EXPECT_EQ(form->sortDirection(), -1) << "opening a project keeps the direction";
    clickHeader(5); // -1 flips to ascending: series 2 point 9, 2/10, 5/5, 10/1
    EXPECT_EQ(form->sortDirection(), 1);
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"4", "3", "2", "1"}));
    clickHeader(2); // descending by sensor: the resistance row first
    EXPECT_EQ(form->sortDirection(), -1);
    EXPECT_EQ(form->table().cell(0, 1), QStringLiteral("2"));
    // The corner above the record numbers is the heading of column 0.
    QTest::mouseClick(grid->findChild<QAbstractButton*>(), Qt::LeftButton);
    EXPECT_EQ(form->sortDirection(), 1);
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));
    EXPECT_TRUE(grid->selectionModel()->selectedIndexes().isEmpty()) << "the corner must not select all";
}

TEST_F(MainWindow, OnlyALeftReleaseOverAHeadingSorts)
{
    load(FourRecords());
    QWidget* cells = grid->viewport();
    QTest::mouseClick(cells, Qt::LeftButton, {}, cellPoint(0, 5));
    clickHeader(5, Qt::RightButton);
    EXPECT_EQ(form->sortDirection(), 0);
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));

    // Pressed on a heading, released over the cells: no sort.
    QTest::mousePress(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(5));
    QTest::mouseRelease(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                        headerPoint(5) + QPoint(0, grid->horizontalHeader()->height() + cellPoint(1, 5).y()));
    EXPECT_EQ(form->sortDirection(), 0);

    // Dragged from the cells and released over a heading: that heading sorts.
    const QPoint overHeading =
        cells->mapFromGlobal(grid->horizontalHeader()->viewport()->mapToGlobal(headerPoint(5)));
    QTest::mousePress(cells, Qt::LeftButton, {}, cellPoint(2, 5));
    QTest::mouseMove(cells, overHeading);
    QTest::mouseRelease(cells, Qt::LeftButton, {}, overHeading);
    EXPECT_EQ(form->sortDirection(), 1);
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"4", "3", "2", "1"}));
}

TEST_F(MainWindow, ASortErrorIsShownAndTheTableStaysAsItWas)
{
    ArchiveTable t = FourRecords();
    t.setCell(4, 3, QStringLiteral("NAN"));
    load(t);
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    clickHeader(4);
    EXPECT_EQ(box.caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_FALSE(box.hasOwner);
    EXPECT_FALSE(box.text.isEmpty());
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(form->sortDirection(), 1);
}

TEST_F(MainWindow, StatusBarHintFollowsThePointer)
{
    load(FourRecords());
    // Wide enough that the heading row goes on past the last column.
    form->resize(form->width() + 400, form->height());
    QHeaderView* top = grid->horizontalHeader();
    QHeaderView* left = grid->verticalHeader();
    const int pastLastColumn =
        top->sectionViewportPosition(kArchiveColumns - 1) + top->sectionSize(kArchiveColumns - 1) + 20;
    ASSERT_TRUE(QTest::qWaitFor([&] { return pastLastColumn < top->viewport()->width() - 5; }, 3000));
    const int belowLastRow = left->sectionViewportPosition(3) + left->sectionSize(3) + 20;
    ASSERT_LT(belowLastRow, left->viewport()->height() - 5);
    struct Place {
        const char* name;
        QPoint global;
        QString hint;
    };
    const Place places[] = {
        {"heading", top->viewport()->mapToGlobal(headerPoint(6)), MainText::HintSort.ru},
        {"heading row past the last column",
         top->viewport()->mapToGlobal(QPoint(pastLastColumn, top->height() / 2)), MainText::HintSelect.ru},
        {"record number",
         left->viewport()->mapToGlobal(QPoint(left->width() / 2, left->sectionViewportPosition(1) + 3)),
         QString()},
        {"column 0 below the last row",
         left->viewport()->mapToGlobal(QPoint(left->width() / 2, belowLastRow)), MainText::HintSelect.ru},
        {"data cell", grid->viewport()->mapToGlobal(cellPoint(2, 3)), MainText::HintSelect.ru},
        {"corner", grid->findChild<QAbstractButton*>()->mapToGlobal(QPoint(3, 3)), MainText::HintSort.ru},
        {"below the last row",
         grid->viewport()->mapToGlobal(QPoint(cellPoint(0, 3).x(), grid->viewport()->height() - 3)),
         MainText::HintSelect.ru},
        {"past the last column", grid->viewport()->mapToGlobal(QPoint(pastLastColumn, cellPoint(1, 3).y())),
         MainText::HintSelect.ru},
        {"a button", button("Button1")->mapToGlobal(QPoint(5, 5)), QString()},
        {"outside the window", form->frameGeometry().bottomRight() + QPoint(40, 40), QString()},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        QCursor::setPos(p.global);
        EXPECT_TRUE(HintBecomes(*form, p.hint)) << form->statusHint().toStdString();
    }
    action("Lang1")->trigger();
    QCursor::setPos(places[0].global);
    EXPECT_TRUE(HintBecomes(*form, MainText::HintSort.en)) << form->statusHint().toStdString();
    // The heading row past the last column is no heading: a click there does not sort.
    QTest::mouseClick(top->viewport(), Qt::LeftButton, {}, QPoint(pastLastColumn, top->height() / 2));
    EXPECT_EQ(form->sortDirection(), 0);
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));
}

TEST_F(MainWindow, SaveAndOpenThroughTheDialogsKeepTheFileByteForByte)
{
    const QString original = fixture(FourRecords(), "original.ar");
    answers.chooseFile(original);
    action("N2")->trigger();
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(shared.RecordCount.load(), 4u);

    QString proposed;
    const QString copy = dir.filePath("copy.ar");
    answers.chooseFile(copy, &proposed);
    action("N1")->trigger();
    EXPECT_EQ(QFileInfo(proposed).completeBaseName(), QStringLiteral("Arhive")) << proposed.toStdString();
    EXPECT_EQ(ReadFile(copy), ReadFile(original));

    // A name typed without extension gets ".ar"; an existing file is replaced without asking.
    answers.chooseFile(dir.filePath("noext"));
    action("N1")->trigger();
    EXPECT_EQ(ReadFile(dir.filePath("noext.ar")), ReadFile(original));
    WriteFile(copy, "old contents");
    answers.chooseFile(copy);
    action("N1")->trigger();
    EXPECT_EQ(ReadFile(copy), ReadFile(original));
}

TEST_F(MainWindow, AllFilesInTheProjectDialogsListsNamesWithoutExtension)
{
    WriteFile(dir.filePath("site survey"), "not shown under Zimbor");
    WriteFile(dir.filePath("old.ar"), "");
    for (const char* command : {"N1", "N2"}) {
        SCOPED_TRACE(command);
        QStringList filters, firstListing, allListing;
        answers.expect([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog) return false;
            filters = dialog->nameFilters();
            dialog->setDirectory(dir.path());
            auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
            const auto listing = [&] {
                QStringList names;
                if (!view) return names;
                for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                    names << view->model()->index(r, 0, view->rootIndex()).data().toString();
                return names;
            };
            (void)QTest::qWaitFor([&] { return listing().contains(QStringLiteral("old.ar")); },
                                  3000); // checked below
            firstListing = listing();
            dialog->selectNameFilter(filters.value(1));
            (void)QTest::qWaitFor([&] { return listing().size() > 1; }, 3000); // checked below
            allListing = listing();
            dialog->reject();
            return true;
        });
        action(command)->trigger();
        EXPECT_EQ(filters.value(1), QStringLiteral("All Files (*)"));
        EXPECT_EQ(firstListing, QStringList{"old.ar"});
        allListing.sort();
        EXPECT_EQ(allListing, (QStringList{"old.ar", "site survey"}));
    }
}

TEST_F(MainWindow, SavingTheStartUpTableIsRefusedAndWritesNothing)
{
    ModalAnswers::Box box;
    answers.chooseFile(dir.filePath("empty.ar"));
    answers.acknowledge(&box);
    action("N1")->trigger();
    EXPECT_EQ(box.caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(box.text, QStringLiteral("Архив не считан!"));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.ar")));

    action("Lang1")->trigger();
    answers.chooseFile(dir.filePath("empty.ar"));
    answers.acknowledge(&box);
    action("N1")->trigger();
    EXPECT_EQ(box.caption, QStringLiteral("Error"));
    EXPECT_EQ(box.text, QStringLiteral("Archive not read!"));
}

TEST_F(MainWindow, ASaveThatFailsSaysSoWithTheFileName)
{
    load(FourRecords());
    const QString target = dir.filePath("no/such/dir/p.ar");
    ModalAnswers::Box box;
    answers.chooseFile(target);
    answers.acknowledge(&box);
    action("N1")->trigger();
    EXPECT_EQ(box.caption, QStringLiteral("Ошибка"));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Не удалось сохранить файл"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("p.ar"))) << box.text.toStdString();
}

TEST_F(MainWindow, CancellingTheOpenDialogSetsTheRecordCountFromTheTable)
{
    answers.cancelFile();
    action("N2")->trigger();
    EXPECT_EQ(shared.RecordCount.load(), 8u);
    EXPECT_EQ(form->table().rowCount(), 9);
}

TEST_F(MainWindow, AnEnglishHeadingFromAFileStaysUntilTheNextSwitch)
{
    load(FourRecords(1));
    EXPECT_EQ(shared.Lang.load(), 0);
    EXPECT_EQ(form->table().cell(1, 0), QStringLiteral("Object"));
    EXPECT_EQ(form->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Object"));
    action("Lang0")->trigger();
    EXPECT_EQ(form->table().cell(1, 0), QStringLiteral("Объект"));
}

TEST_F(MainWindow, CommandLineArgumentsAreJoinedIntoOneProjectName)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("My data"));
    const QString path = fixture(FourRecords(), "My data/site one.ar");
    const QString split = dir.filePath("My");
    form->OpenFromCommandLine({split, "data/site", "one.ar"});
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(shared.RecordCount.load(), 4u);

    // The joined name stays the open dialog's proposal.
    QString proposed;
    answers.chooseFile(path, &proposed);
    action("N2")->trigger();
    EXPECT_EQ(proposed, path);
}

TEST_F(MainWindow, ABadProjectLeavesTheTableAndRecordCountAsTheyWere)
{
    const QByteArray good = projectBytes(FourRecords());
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"empty", {}},
        {"huge counts", QByteArray::fromHex("ffffff7fffffff7f00000000")},
        {"negative rows", QByteArray::fromHex("0c000000feffffff")},
        {"length past the end", QByteArray::fromHex("0100000001000000ff000000") + "abc"},
        {"truncated", good.left(good.size() - 3)},
    };
    load(FourRecords());
    clickHeader(5);
    const ArchiveTable before = form->table();
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = dir.filePath(QStringLiteral("bad %1.ar").arg(f.name));
        WriteFile(path, f.bytes);
        ModalAnswers::Box box;
        answers.chooseFile(path);
        answers.acknowledge(&box);
        action("N2")->trigger();
        EXPECT_EQ(box.caption, QStringLiteral("Ошибка"));
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("Не удалось открыть проект")))
            << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(QStringLiteral("bad %1.ar").arg(f.name))) << box.text.toStdString();
        EXPECT_EQ(RecordOrder(form->table()), RecordOrder(before));
        EXPECT_EQ(Column(form->table(), 5), Column(before, 5));
        EXPECT_EQ(shared.RecordCount.load(), 4u);
        EXPECT_EQ(form->model()->rowCount(), 4);
    }
}

TEST_F(MainWindow, AMissingProjectOnTheCommandLineKeepsTheStartUpTable)
{
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    form->OpenFromCommandLine({dir.filePath("not"), "there.ar"});
    EXPECT_TRUE(box.text.contains(QStringLiteral("not there.ar"))) << box.text.toStdString();
    EXPECT_EQ(form->table().rowCount(), 9);
    EXPECT_EQ(form->table().cell(1, 0), QStringLiteral("Объект"));
    EXPECT_EQ(shared.RecordCount.load(), 0u);
    EXPECT_TRUE(form->isVisible());
}

class CopyRecordingForm : public TForm1 {
public:
    using TForm1::TForm1;
    QStringList calls;

protected:
    void ACopyTableExecute() override { calls << "table"; }
    void ACopyBlockTableExecute() override { calls << "block"; }
};

TEST_F(MainWindow, CtrlCCopiesTheWholeTableForOneCellAndTheBlockOtherwise)
{
    form.reset();
    auto* recording = new CopyRecordingForm(shared);
    form.reset(recording);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    grid = form->findChild<QTableView*>("StringGrid1");
    load(FourRecords());

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellPoint(1, 2));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellPoint(1, 2));
    QTest::mouseMove(grid->viewport(), cellPoint(2, 3));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cellPoint(2, 3));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_C); // without Ctrl nothing is copied
    EXPECT_EQ(recording->calls, (QStringList{"table", "table", "block"}));
    EXPECT_EQ(form->sortDirection(), 0) << "a release over the cells never sorts";
    // Column 0 cannot be part of a selection.
    for (const QModelIndex& i : grid->selectionModel()->selectedIndexes()) EXPECT_NE(i.column(), 0);
}

TEST_F(MainWindow, TheDiagramCommandChecksForAnArchiveAndSortsByRecordNumber)
{
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    button("Button3")->click();
    EXPECT_EQ(box.caption, QStringLiteral("Внимание"));
    EXPECT_EQ(box.text, QStringLiteral("Архив не считан!"));

    ArchiveTable t = FourRecords();
    t.setCell(4, 1, QString()); // record 1 has no value
    load(t);
    clickHeader(5);
    ASSERT_EQ(form->table().cell(0, 1), QStringLiteral("4"));
    answers.acknowledge(&box);
    button("Button3")->click();
    EXPECT_EQ(box.text, QStringLiteral("Архив не считан!"));
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(form->sortDirection(), 1) << "the diagram's sort leaves the user's direction";
}

// The worker owns its link; this one forwards to an instrument the test keeps.
class ForwardingLink final : public Link {
public:
    explicit ForwardingLink(fake::FakeInstrument* target) : target_(target) {}
    int load() override { return target_->load(); }
    int open() override { return target_->open(); }
    bool write(const uint8_t* b, int n) override { return target_->write(b, n); }
    int read(uint8_t* b, int n) override { return target_->read(b, n); }
    void close() override { target_->close(); }

private:
    fake::FakeInstrument* target_;
};

TEST_F(MainWindow, ReadFromDeviceFillsTheTableWhileTheButtonsWait)
{
    fake::FakeInstrument instrument;
    instrument.setRecords(3);
    SetLinkFactory([&instrument] { return std::make_unique<ForwardingLink>(&instrument); });
    bool sawProgress = false;
    bool buttonsWaited = false;
    answers.expect([&](QWidget* w) {
        auto* progress = qobject_cast<TForm2*>(w);
        if (!progress) return false;
        sawProgress = true;
        buttonsWaited = !button("Button1")->isEnabled() || !shared.activity.isRunning();
        return true; // the exchange closes it
    });
    load(FourRecords());
    clickHeader(5);
    button("Button1")->click();
    SetLinkFactory(nullptr);
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(buttonsWaited);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !shared.activity.isRunning(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return button("Button1")->isEnabled(); }, 5000));
    EXPECT_EQ(form->table().rowCount(), 4);
    EXPECT_EQ(RecordOrder(form->table()), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(form->model()->rowCount(), 3);
    EXPECT_EQ(form->table().cell(1, 0), QStringLiteral("Объект"))
        << "the header row is the program's own again";
    EXPECT_EQ(shared.RecordCount.load(), 3u);
    EXPECT_EQ(form->sortDirection(), 1) << "a read keeps the sort direction";
}

TEST_F(MainWindow, ExchangeButtonsWaitWhileAnExchangeRuns)
{
    shared.activity.setRunning(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !button("Button1")->isEnabled(); }, 5000));
    EXPECT_FALSE(button("Button2")->isEnabled());
    EXPECT_TRUE(button("Button3")->isEnabled());
    shared.activity.setRunning(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return button("Button1")->isEnabled(); }, 5000));
    EXPECT_TRUE(button("Button2")->isEnabled());
}

TEST_F(MainWindow, WindowKeepsItsShapeRules)
{
    EXPECT_GE(form->minimumWidth(), 400 * form->logicalDpiX() / 120);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    EXPECT_EQ(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    // Column widths keep the design's proportions.
    const double unit = grid->horizontalHeader()->sectionSize(6) / 216.0;
    EXPECT_NEAR(grid->horizontalHeader()->sectionSize(1), 92 * unit, 1.0);
    EXPECT_NEAR(grid->verticalHeader()->width(), 40 * unit, 1.0);
    // The grid grows with the window.
    const QSize before = grid->size();
    form->resize(form->size() + QSize(100, 80));
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid->size() == before + QSize(100, 80); }, 5000));
    action("Exit1")->trigger();
    EXPECT_FALSE(form->isVisible());
}

} // namespace
