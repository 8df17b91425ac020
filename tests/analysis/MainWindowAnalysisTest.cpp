// The Analysis item of the main window's menu bar: the diagram's checks before it, and the
// window it opens over the table in archive order.
#include "analysis/Unit7.h"

#include "SurveyFixture.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "exchange/project/ProjectFile.h"
#include "ui/ModalAnswers.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

class MainWindowAnalysis : public ::testing::Test {
protected:
    void SetUp() override
    {
        SessionMemory::clear(); // every run starts from the same defaults
        form_ = std::make_unique<TForm1>(shared);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    void ClickAnalysis()
    {
        auto* bar = form_->menuBar();
        QAction* item = form_->findChild<QAction*>(QStringLiteral("Analysis1"));
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(item).center());
    }

    // The analysis window that opens: its caption and object list, then it is closed.
    void ExpectAnalysisWindow(ModalAnswers& answers, QString* caption, QStringList* objects)
    {
        answers.expect([caption, objects](QWidget* w) {
            auto* window = qobject_cast<TForm7*>(w);
            if (!window) return false;
            *caption = window->windowTitle();
            auto* list = window->findChild<QListWidget*>(QStringLiteral("ListBox1"));
            for (int k = 0; list && k < list->count(); ++k) *objects << list->item(k)->text();
            window->reject();
            return true;
        });
    }

    QTemporaryDir dir_;
    SharedState shared;
    std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindowAnalysis, RefusedWhileNoArchiveIsRead)
{
    ModalAnswers answers;
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    ClickAnalysis();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.allAnswered(); }, 5000)) << "answers.allAnswered()";
    EXPECT_EQ(box.caption, "Внимание");
    EXPECT_EQ(box.text, "Архив не считан!");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join("; ").toStdString();
}

TEST_F(MainWindowAnalysis, OpensOverTheTableInArchiveOrder)
{
    std::vector<FixtureRow> rows =
        LatestFirst("Мост", 0, 2, 3, [](int s, int p) { return QString::number(-100 * s - p); });
    const auto wall =
        LatestFirst("Стена", 1, 1, 2, [](int, int p) { return QString::number(10 * p) + ".0"; });
    rows.insert(rows.end(), wall.begin(), wall.end());
    const QString path = dir_.filePath("survey.ar");
    ASSERT_EQ(saveProject(FixtureTable(rows), path), ProjectStatus::Ok);
    form_->OpenFromCommandLine({path});
    // The user sorted by value: the analysis still finds each whole survey.
    ASSERT_FALSE(form_->model()->sortByColumn(4, -1).has_value());

    ModalAnswers answers;
    QString caption;
    QStringList objects;
    ExpectAnalysisWindow(answers, &caption, &objects);
    ClickAnalysis();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.allAnswered(); }, 5000)) << "answers.allAnswered()";
    EXPECT_EQ(caption, "Анализ обследования");
    EXPECT_EQ(objects,
              (QStringList{"Мост, Потенциал, 17.05.2014 (6)", "Стена, Сопротивление, 17.05.2014 (2)"}));
    EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join("; ").toStdString();
}

TEST_F(MainWindowAnalysis, ACellTheDiagramCannotReadIsNamed)
{
    std::vector<FixtureRow> rows =
        LatestFirst("Мост", 0, 1, 3, [](int, int p) { return QString::number(-100 - p); });
    rows[1].value = "abc";
    const QString path = dir_.filePath("bad.ar");
    ASSERT_EQ(saveProject(FixtureTable(rows), path), ProjectStatus::Ok);
    form_->OpenFromCommandLine({path});

    ModalAnswers answers;
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    ClickAnalysis();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.allAnswered(); }, 5000)) << "answers.allAnswered()";
    EXPECT_EQ(box.caption, "Ошибка");
    EXPECT_EQ(box.text, "График не построен: строка 2, столбец \"Величина\" содержит не число: \"abc\"");
    EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join("; ").toStdString();
}

TEST_F(MainWindowAnalysis, ItemFollowsTheLanguage)
{
    QAction* item = form_->findChild<QAction*>(QStringLiteral("Analysis1"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Анализ");
    form_->Lang1Click();
    EXPECT_EQ(item->text(), "Analysis");
    form_->Lang0Click();
    EXPECT_EQ(item->text(), "Анализ");
}

} // namespace
