// The File menu's recent projects and read history, and projects dropped on the main window,
// as the user meets them.
#include "ModalAnswers.h"

#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "exchange/project/ProjectFile.h"
#include "texts/Texts.h"
#include "ui/ReadHistory.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

ArchiveTable Survey(int records, const QString& object)
{
    ArchiveTable t(kArchiveColumns, records + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= records; ++r) {
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, object);
        t.setCell(4, r, QString::number(-10 * r));
    }
    return t;
}

struct Item {
    QString text;
    bool enabled;
    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << '"' << item.text.toStdString() << '"' << (item.enabled ? "" : " (greyed)");
}

class FileMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        SessionMemory::clear(); // a new run remembers no projects
        form = std::make_unique<TForm1>(shared);
        form->readHistory().setFolder(dir.filePath(QStringLiteral("reads")));
        form->setFolderOpener([this](const QUrl& url) { shownFolders << url; });
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        EXPECT_TRUE(answers.allAnswered()) << "an expected window did not appear";
        EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join(", ").toStdString();
        form.reset();
    }

    QMenu* menu(const char* name) const { return form->findChild<QMenu*>(name); }

    // Opens the submenu as the user does (which fills it) and lists its items.
    std::vector<Item> open(QMenu* submenu)
    {
        submenu->popup(form->mapToGlobal(QPoint(40, 40)));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(submenu));
        std::vector<Item> items;
        for (QAction* a : submenu->actions())
            if (!a->isSeparator()) items.push_back({a->text(), a->isEnabled()});
        return items;
    }
    QAction* item(QMenu* submenu, const QString& text) const
    {
        for (QAction* a : submenu->actions())
            if (a->text() == text) return a;
        ADD_FAILURE() << "no item " << text.toStdString();
        return nullptr;
    }
    // The item is chosen and the menu closes, as a click on it does.
    void choose(QMenu* submenu, const QString& text)
    {
        QAction* a = item(submenu, text);
        ASSERT_NE(a, nullptr);
        ASSERT_TRUE(a->isEnabled());
        submenu->hide();
        a->trigger();
    }

    QTemporaryDir dir;
    ModalAnswers answers;
    SharedState shared;
    std::unique_ptr<TForm1> form;
    QList<QUrl> shownFolders;
};

TEST_F(FileMenus, TheFileMenuOffersBothListsInTheLanguageInForce)
{
    QMenu* file = menu("File1");
    const auto titles = [file] {
        QStringList out;
        for (QAction* a : file->actions())
            if (a->menu()) out << a->text();
        return out;
    };
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Недавние проекты"), QStringLiteral("Журнал чтений")}));
    EXPECT_EQ(open(menu("History1")).back(), (Item{QStringLiteral("Открыть папку"), true}));
    menu("History1")->hide();
    form->Lang1Click();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Recent projects"), QStringLiteral("Read history")}));
    EXPECT_EQ(open(menu("History1")),
              (std::vector<Item>{{QStringLiteral("(empty)"), false}, {QStringLiteral("Open folder"), true}}));
    menu("History1")->hide();
    EXPECT_EQ(open(menu("Recent1")), (std::vector<Item>{{QStringLiteral("(empty)"), false}}));
    menu("Recent1")->hide();
}

TEST_F(FileMenus, RecentProjectsAreTheOpenedAndSavedOnesWithMissingOnesGreyed)
{
    const QString a = dir.filePath(QStringLiteral("a & b.ar")), b = dir.filePath(QStringLiteral("b.ar")),
                  saved = dir.filePath(QStringLiteral("saved.ar"));
    ASSERT_EQ(saveProject(Survey(3, QStringLiteral("Мост")), a), ProjectStatus::Ok);
    ASSERT_EQ(saveProject(Survey(5, QStringLiteral("Плита")), b), ProjectStatus::Ok);
    form->OpenFromCommandLine({a});
    form->OpenFromCommandLine({b});
    answers.chooseFile(saved);
    form->findChild<QAction*>("N1")->trigger();

    QMenu* recent = menu("Recent1");
    const auto shown = [](const QString& path) { return QDir::toNativeSeparators(path).replace("&", "&&"); };
    EXPECT_EQ(open(recent), (std::vector<Item>{{shown(saved), true}, {shown(b), true}, {shown(a), true}}));
    choose(recent, shown(a));
    EXPECT_EQ(form->table().rowCount(), 4);
    EXPECT_EQ(form->table().cell(1, 1), QStringLiteral("Мост"));
    EXPECT_EQ(open(recent).front(), (Item{shown(a), true})) << "an opened project comes first";
    recent->hide();

    ASSERT_TRUE(QFile::remove(b));
    EXPECT_EQ(open(recent), (std::vector<Item>{{shown(a), true},
                                               {shown(saved), true},
                                               {shown(b), false},
                                               {QStringLiteral("Убрать отсутствующие файлы"), true}}));
    choose(recent, QStringLiteral("Убрать отсутствующие файлы"));
    EXPECT_EQ(open(recent), (std::vector<Item>{{shown(a), true}, {shown(saved), true}}));
    recent->hide();
}

TEST_F(FileMenus, TheReadHistoryListsReadsNewestFirstAndDamagedFilesGreyed)
{
    ReadHistory& history = form->readHistory();
    const QDateTime morning(QDate(2026, 12, 11), QTime(9, 42, 17));
    ASSERT_TRUE(history.keep(Survey(3, QStringLiteral("Мост")), morning));
    ASSERT_TRUE(history.keep(Survey(5, QStringLiteral("Плита & стена")), morning.addSecs(3600)));
    // A hostile file: counts far past its size.
    WriteFile(QDir(history.folder()).filePath(QStringLiteral("2026-12-11_11-00-00.ar")),
              QByteArray::fromHex("ffffff7fffffff7f00000000"));
    WriteFile(QDir(history.folder()).filePath(QStringLiteral("2026-12-11_12-00-00.ar")), "cut");

    QMenu* reads = menu("History1");
    const std::vector<Item> expected{
        {QStringLiteral("2026-12-11 12:00:00 — файл повреждён"), false},
        {QStringLiteral("2026-12-11 11:00:00 — файл повреждён"), false},
        {QStringLiteral("2026-12-11 10:42:17 — записей: 5 — Плита && стена"), true},
        {QStringLiteral("2026-12-11 09:42:17 — записей: 3 — Мост"), true},
        {QStringLiteral("Открыть папку"), true},
    };
    EXPECT_EQ(open(reads), expected);
    choose(reads, QStringLiteral("2026-12-11 09:42:17 — записей: 3 — Мост"));
    EXPECT_EQ(form->table().rowCount(), 4);
    EXPECT_EQ(shared.RecordCount.load(), 3u);
    open(reads);
    choose(reads, QStringLiteral("Открыть папку"));
    EXPECT_EQ(shownFolders, QList<QUrl>{QUrl::fromLocalFile(history.folder())});

    form->Lang1Click();
    EXPECT_EQ(open(reads)[2].text, QStringLiteral("2026-12-11 10:42:17 — records: 5 — Плита && стена"));
    reads->hide();

    // Reads opened from the history are not recent projects of the user's own.
    EXPECT_EQ(open(menu("Recent1")), (std::vector<Item>{{QStringLiteral("(empty)"), false}}));
    menu("Recent1")->hide();
}

// Drags over the grid as the window system hands them over: enter, move, drop.
class Drag {
public:
    explicit Drag(QList<QUrl> urls) { data_.setUrls(urls); }
    /// Whether the window takes what is dragged over `target` at `at`.
    bool enter(QWidget* target, QPoint at)
    {
        QDragEnterEvent enter(at, Qt::CopyAction, &data_, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDragMoveEvent move(at, Qt::CopyAction, &data_, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        return move.isAccepted();
    }
    bool drop(QWidget* target, QPoint at)
    {
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data_, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

private:
    QMimeData data_;
};

TEST_F(FileMenus, ADroppedProjectOpensAsTheOpenCommandDoes)
{
    QWidget* grid = form->findChild<QTableView*>("StringGrid1")->viewport();
    const QPoint middle = grid->rect().center();
    const QString project = dir.filePath(QStringLiteral("Survey.AR"));
    ASSERT_EQ(saveProject(Survey(6, QStringLiteral("Мост")), project), ProjectStatus::Ok);

    Drag good({QUrl::fromLocalFile(project)});
    ASSERT_TRUE(good.enter(grid, middle));
    EXPECT_TRUE(good.drop(grid, middle));
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->table().rowCount() == 7; }, 3000));
    EXPECT_EQ(shared.RecordCount.load(), 6u);
    EXPECT_EQ(open(menu("Recent1")).front().text, QDir::toNativeSeparators(project));
    menu("Recent1")->hide();

    // A file with the project's extension that is no project: the open command's box.
    const QString bogus = dir.filePath(QStringLiteral("notes.ar"));
    WriteFile(bogus, "not a project");
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    Drag bad({QUrl::fromLocalFile(bogus)});
    ASSERT_TRUE(bad.enter(grid, middle));
    bad.drop(grid, middle);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box.text.isEmpty(); }, 3000));
    EXPECT_EQ(box.caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(box.text, QStringLiteral("Не удалось открыть проект\n") + QDir::toNativeSeparators(bogus));
    EXPECT_EQ(form->table().rowCount(), 7) << "the table stays";

    // Anything else is refused before it is dropped, without a word.
    const QString sheet = dir.filePath(QStringLiteral("survey.xlsx"));
    WriteFile(sheet, "x");
    for (const QList<QUrl>& urls : {QList<QUrl>{QUrl::fromLocalFile(sheet)},
                                    QList<QUrl>{QUrl::fromLocalFile(project), QUrl::fromLocalFile(project)},
                                    QList<QUrl>{QUrl(QStringLiteral("https://example.com/a.ar"))}}) {
        Drag other(urls);
        EXPECT_FALSE(other.enter(grid, middle)) << urls.constFirst().toString().toStdString();
        other.drop(grid, middle);
    }
    QTest::qWait(100);
    EXPECT_EQ(form->table().rowCount(), 7);
}

} // namespace
