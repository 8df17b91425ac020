// The main window's diagram button: the window it opens, or the message that names the
// cell the diagram could not read.
#include "DiagramFixture.h"
#include "RealisticArchive.h"
#include "app/SharedState.h"
#include "diagram/Unit4.h"
#include "exchange/project/ProjectFile.h"
#include "ui/ModalAnswers.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class MainWindowDiagram : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        form = std::make_unique<TForm1>(shared);
        form->show();
    }
    void TearDown() override
    {
        EXPECT_TRUE(answers.allAnswered()) << "an expected window did not appear";
        EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join(", ").toStdString();
        form.reset();
        QLocale::setDefault(saved_);
    }

    void load(const ArchiveTable& t)
    {
        const QString path = dir.filePath("survey.ar");
        ASSERT_EQ(saveProject(t, path), ProjectStatus::Ok);
        form->OpenFromCommandLine({path});
    }

    void pressDiagram() { QTest::mouseClick(form->findChild<QPushButton*>("Button3"), Qt::LeftButton); }

    QTemporaryDir dir;
    ModalAnswers answers;
    SharedState shared;
    std::unique_ptr<TForm1> form;

private:
    QLocale saved_;
};

TEST_F(MainWindowDiagram, OpensTheDiagramOfTheTable)
{
    load(DiagramTable(SurveyRows(SurveyObjects())));
    int surfaces = -1;
    QString row0;
    answers.expect([&](QWidget* w) {
        auto* diagram = qobject_cast<TForm4*>(w);
        if (!diagram) return false;
        surfaces = int(diagram->Chart1->surfaces().size());
        row0 = diagram->OB[0]->text();
        diagram->close();
        return true;
    });
    pressDiagram();
    EXPECT_EQ(surfaces, int(SurveyObjects().size()));
    EXPECT_EQ(row0, QStringLiteral("Мост 1"));
}

TEST_F(MainWindowDiagram, ACellThatDoesNotConvertIsNamed)
{
    struct Case {
        int lang;
        int column;
        QString text;
        QString message;
    };
    const Case cases[]{
        {0, 4, "abc", "График не построен: строка 3, столбец \"Величина\" содержит не число: \"abc\""},
        {1, 4, "inf", "The diagram is not drawn: row 3, column \"Value\" holds no number: \"inf\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lang);
        shared.Lang = uint8_t(c.lang);
        auto rows = SurveyRows(SurveyObjects(), c.lang);
        ArchiveTable table = DiagramTable(rows);
        table.setHeader(c.lang);
        table.setCell(c.column, 3, c.text);
        load(table);
        ModalAnswers::Box box;
        answers.acknowledge(&box);
        pressDiagram();
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.caption, c.lang ? QStringLiteral("Error") : QStringLiteral("Ошибка"));
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_FALSE(box.hasOwner);
    }
}

} // namespace
