// The diagram window as the user sees it: its rows, the chart's picture, the toolbar, the
// wheel and the mouse, in both languages.
#include "DiagramFixture.h"
#include "RealisticArchive.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "diagram/Unit4.h"
#include "ui/ModalAnswers.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <QTimer>

#include <memory>
#include <optional>

namespace {

class DiagramWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void TearDown() override
    {
        form.reset();
        QLocale::setDefault(saved_);
    }

    int lang = 0; // of the window open() builds

    void open(const std::vector<DiagramRow>& rows)
    {
        SessionMemory::clear(); // each test opens the window as a new run would
        form = std::make_unique<TForm4>(DiagramTable(rows), lang);
        ASSERT_FALSE(form->buildError().has_value());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    /// One row per surface: the object names alternate, so every row starts a block.
    static std::vector<DiagramRow> Singles(int count)
    {
        std::vector<DiagramRow> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back({i % 2 ? "Опора" : "Мост", i % 3 == 1 ? ResistanceRu() : PotentialRu(),
                            QString::number(i % 3 == 1 ? 50 + i : -100 - i), 1, 1, 5});
        return rows;
    }

    /// A flat 3 x 3 grid at `value`, listed from its latest measurement.
    static std::vector<DiagramRow> Flat(const QString& name, int value)
    {
        std::vector<DiagramRow> rows;
        for (int s = 3; s >= 1; --s)
            for (int p = 3; p >= 1; --p)
                rows.push_back({name, PotentialRu(), QString::number(value), s, p, 3});
        return rows;
    }

    /// The chart's pixel at data point (x, y, z) of a surface on the left scale.
    QColor pixelAt(double x, double y, double z) const
    {
        DiagramChart* chart = form->Chart1;
        const BoxProjection box(chart->view(), ChartPainter::plotRect(chart->rect()));
        const QPointF at =
            box.map(ToBox({x, y, z}, VerticalAxis::Left, RangesFor(chart->surfaces(), chart->view())));
        return chart->grab().toImage().pixelColor(at.toPoint());
    }

    void wheel(QWidget* target, int delta)
    {
        const QPointF pos(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }

    std::unique_ptr<TForm4> form;

private:
    QLocale saved_;
};

TEST_F(DiagramWindowTest, OneSurfaceShowsRowZeroOnly)
{
    open(Flat("Мост 1", -300));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("График коррозийности поверхности"));
    EXPECT_TRUE(form->isModal());
    ASSERT_EQ(form->Chart1->surfaces().size(), 1u);
    EXPECT_TRUE(form->P[0]->isVisible());
    EXPECT_EQ(form->P[0]->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(form->OB[0]->text(), QStringLiteral("Мост 1"));
    EXPECT_TRUE(form->OB[0]->isChecked());
    EXPECT_FALSE(form->MB[0]->isChecked());
    EXPECT_EQ(form->D[0]->text(), QStringLiteral("Потенц."));
    EXPECT_EQ(form->L[0]->text(), QStringLiteral("0 %"));
    for (int k = 1; k < TForm4::kRows; ++k) {
        EXPECT_FALSE(form->P[k]->isVisible()) << k;
        EXPECT_FALSE(form->SB[k]->isVisible()) << k;
        EXPECT_FALSE(form->OB[k]->isVisible()) << k;
    }
    // The surface is on the picture in its colour.
    EXPECT_EQ(pixelAt(1.5, -300, 1.5), QColor(255, 0, 0));
}

TEST_F(DiagramWindowTest, ThirtyRowsForThirtyOneSurfaces)
{
    open(Singles(31));
    ASSERT_EQ(form->Chart1->surfaces().size(), 31u);
    for (int k = 0; k < TForm4::kRows; ++k) {
        EXPECT_TRUE(form->P[k]->isVisible()) << k;
        EXPECT_EQ(form->OB[k]->text(), k % 2 ? QStringLiteral("Опора") : QStringLiteral("Мост")) << k;
        EXPECT_EQ(form->D[k]->text(), k % 3 == 1 ? QStringLiteral("Сопрот.") : QStringLiteral("Потенц."))
            << k;
    }
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("P30")), nullptr);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("P29")), form->P[29]);
    // The 31st surface is drawn with the others.
    EXPECT_TRUE(form->Chart1->surfaces()[30].visible);
}

TEST_F(DiagramWindowTest, TransparencyBlendsAndUntickingHides)
{
    auto rows = Flat("Мост", -300);
    const auto high = Flat("Опора", -850); // keeps the axes' ranges when the first is hidden
    rows.insert(rows.end(), high.begin(), high.end());
    open(rows);
    const QColor opaque = pixelAt(1.5, -300, 1.5);
    EXPECT_EQ(opaque, QColor(255, 0, 0));

    form->SB[0]->setValue(50);
    EXPECT_EQ(form->L[0]->text(), QStringLiteral("50 %"));
    EXPECT_EQ(form->Chart1->surfaces()[0].transparency, 50);
    const QColor half = pixelAt(1.5, -300, 1.5);

    QTest::mouseClick(form->OB[0], Qt::LeftButton);
    EXPECT_FALSE(form->OB[0]->isChecked());
    EXPECT_FALSE(form->Chart1->surfaces()[0].visible);
    const QColor behind = pixelAt(1.5, -300, 1.5);
    EXPECT_NE(behind, opaque);
    // Half transparent: half the surface's colour over what lies behind it.
    EXPECT_NEAR(half.red(), (255 + behind.red()) / 2, 3);
    EXPECT_NEAR(half.green(), behind.green() / 2, 3);
    EXPECT_NEAR(half.blue(), behind.blue() / 2, 3);
    // The other surface stays.
    EXPECT_EQ(pixelAt(1.5, -850, 1.5), QColor(0, 128, 0));

    QTest::mouseClick(form->OB[0], Qt::LeftButton);
    EXPECT_EQ(pixelAt(1.5, -300, 1.5), half);
}

TEST_F(DiagramWindowTest, WheelZoomsWithinItsLimits)
{
    open(Flat("Мост", -300));
    DiagramChart* chart = form->Chart1;
    EXPECT_EQ(chart->view().zoom, 70);
    wheel(chart, 120);
    EXPECT_EQ(chart->view().zoom, 71);
    wheel(chart, -240);
    EXPECT_EQ(chart->view().zoom, 69);
    // Over a row's scroll bar the wheel zooms too and leaves the bar alone.
    wheel(form->SB[0], 120);
    EXPECT_EQ(chart->view().zoom, 70);
    EXPECT_EQ(form->SB[0]->value(), 0);
    // Touchpad deltas add up to one step.
    wheel(chart, 60);
    EXPECT_EQ(chart->view().zoom, 70);
    wheel(chart, 60);
    EXPECT_EQ(chart->view().zoom, 71);

    ChartView view = chart->view();
    view.zoom = 1000;
    chart->setView(view);
    wheel(chart, 120);
    EXPECT_EQ(chart->view().zoom, 1000);
    wheel(chart, -120);
    EXPECT_EQ(chart->view().zoom, 999);
    view.zoom = 2;
    chart->setView(view);
    wheel(chart, -120);
    EXPECT_EQ(chart->view().zoom, 2);
    wheel(chart, 120);
    EXPECT_EQ(chart->view().zoom, 3);
}

class DiagramRowHandlers : public DiagramWindowTest, public ::testing::WithParamInterface<int> {
protected:
    /// The next colour dialog takes `colour` and is accepted, or is cancelled without one.
    /// (The window keeps one dialog for all rows, so it is the same widget every time.)
    void AnswerColorDialog(std::optional<QColor> colour)
    {
        auto* timer = new QTimer(form.get());
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this, timer, colour] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            timer->deleteLater();
            timer->stop();
            ++answered_;
            if (!colour) return dialog->reject();
            dialog->setCurrentColor(*colour);
            dialog->accept();
        });
        timer->start();
    }
    int answered_ = 0;
};

TEST_P(DiagramRowHandlers, ActOnTheirOwnSurfaceOnly)
{
    const int k = GetParam();
    open(Singles(30));
    std::vector<DiagramSurface> before = form->Chart1->surfaces();
    auto othersUnchanged = [&] {
        for (int j = 0; j < 30; ++j) {
            if (j == k) continue;
            const DiagramSurface& s = form->Chart1->surfaces()[std::size_t(j)];
            if (s.color != before[std::size_t(j)].color || s.visible != before[std::size_t(j)].visible ||
                s.marksVisible != before[std::size_t(j)].marksVisible ||
                s.transparency != before[std::size_t(j)].transparency)
                return false;
        }
        return true;
    };

    // The swatch sinks while pressed; a cancelled colour dialog changes nothing.
    AnswerColorDialog(std::nullopt);
    QTest::mousePress(form->P[k], Qt::LeftButton);
    EXPECT_EQ(form->P[k]->frameShadow(), QFrame::Sunken);
    const QColor start = form->Chart1->surfaces()[std::size_t(k)].color;
    QTest::mouseRelease(form->P[k], Qt::LeftButton);
    EXPECT_EQ(answered_, 1);
    EXPECT_EQ(form->P[k]->frameShadow(), QFrame::Raised);
    EXPECT_EQ(form->Chart1->surfaces()[std::size_t(k)].color, start);
    EXPECT_EQ(form->P[k]->palette().color(QPalette::Window), start);

    const QColor chosen(12, 34, 56);
    AnswerColorDialog(chosen);
    QTest::mouseClick(form->P[k], Qt::LeftButton);
    EXPECT_EQ(answered_, 2);
    EXPECT_EQ(form->Chart1->surfaces()[std::size_t(k)].color, chosen);
    EXPECT_EQ(form->P[k]->palette().color(QPalette::Window), chosen);

    QTest::mouseClick(form->MB[k], Qt::LeftButton);
    EXPECT_TRUE(form->Chart1->surfaces()[std::size_t(k)].marksVisible);
    QTest::mouseClick(form->OB[k], Qt::LeftButton);
    EXPECT_FALSE(form->Chart1->surfaces()[std::size_t(k)].visible);

    // An arrow moves 300, so one click reaches the end; so does a click beside the thumb.
    QScrollBar* bar = form->SB[k];
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 4, bar->height() / 2));
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(form->L[k]->text(), QStringLiteral("100 %"));
    EXPECT_EQ(form->Chart1->surfaces()[std::size_t(k)].transparency, 100);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(3, bar->height() / 2));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(form->L[k]->text(), QStringLiteral("0 %"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, bar->height() / 2));
    EXPECT_EQ(bar->value(), 100);

    EXPECT_TRUE(othersUnchanged());
    EXPECT_EQ(form->L[(k + 1) % 30]->text(), QStringLiteral("0 %"));
}

INSTANTIATE_TEST_SUITE_P(Rows, DiagramRowHandlers, ::testing::Values(0, 17, 29));

struct LanguageCase {
    int lang;
    QString caption, group, labels[5], sensors[2], hints[4], titles[4];
};

class DiagramLanguage : public DiagramWindowTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(DiagramLanguage, TextsFollowTheLanguageAtBuildTime)
{
    const LanguageCase& c = GetParam();
    lang = c.lang;
    open(SurveyRows(SurveyObjects(), c.lang));
    EXPECT_EQ(form->windowTitle(), c.caption);
    EXPECT_EQ(form->GroupBox1->title(), c.group);
    const QLabel* labels[]{form->Label1, form->Label2, form->Label3, form->Label4, form->Label5};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(labels[i]->text(), c.labels[i]) << i;
    EXPECT_EQ(form->D[0]->text(), c.sensors[0]);
    EXPECT_EQ(form->D[2]->text(), c.sensors[1]);
    const QToolButton* buttons[]{form->NormalButton, form->RotateButton, form->CopyButton, form->PrintButton};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i]->toolTip(), c.hints[i]) << i;
        EXPECT_EQ(buttons[i]->accessibleName(), c.hints[i]) << i;
    }
    const ChartTitles& t = form->Chart1->titles();
    EXPECT_EQ(t.left, c.titles[0]);
    EXPECT_EQ(t.right, c.titles[1]);
    EXPECT_EQ(t.bottom, c.titles[2]);
    EXPECT_EQ(t.depth, c.titles[3]);
    // Potential and resistance surfaces on their own scales.
    EXPECT_EQ(form->Chart1->surfaces()[0].axis, VerticalAxis::Left);
    EXPECT_EQ(form->Chart1->surfaces()[2].axis, VerticalAxis::Right);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, DiagramLanguage,
    ::testing::Values(
        LanguageCase{0,
                     "График коррозийности поверхности",
                     "Настройка графика",
                     {"Цвет", "Маркер", "Объект", "Прозрачность", "Датчик"},
                     {"Потенц.", "Сопрот."},
                     {"ЛКМ-Масштаб, ПКМ-Сдвиг", "ЛКМ-Вращение, ПКМ-Перемещение", "Скриншот", "Печать"},
                     {"Потенциал, мВ", "Уд. Сопротивление, кОм*см", "Номер замера", "Серия замера"}},
        LanguageCase{1,
                     "The schedule corrosion of surfaces",
                     "Settings of schedule",
                     {"Color", "Marks", "Object", "Transparency", "Sensor"},
                     {"Potential", "Resist."},
                     {"LBM - Zoom,  RBM - Shift", "LBM - Rotate,RBM - Move", "PrintScreen", "Print"},
                     {"Potential , mV", "Resistance, kOhm*cm", "Number of measure", "Series of measure"}}),
    [](const auto& test) { return test.param.lang ? std::string("English") : std::string("Russian"); });

TEST_F(DiagramWindowTest, ModeButtonsAreExclusiveAndDriveTheMouse)
{
    open(SurveyRows(SurveyObjects()));
    DiagramChart* chart = form->Chart1;
    EXPECT_TRUE(form->RotateButton->isChecked());
    EXPECT_FALSE(form->NormalButton->isChecked());
    const QPoint centre = chart->rect().center();

    // Rotate mode: left drag turns the view, right drag moves the drawing.
    const ChartView start = chart->view();
    QTest::mousePress(chart, Qt::LeftButton, {}, centre);
    QTest::mouseMove(chart, centre + QPoint(40, 20));
    QTest::mouseRelease(chart, Qt::LeftButton, {}, centre + QPoint(40, 20));
    EXPECT_NE(chart->view().rotation, start.rotation);
    EXPECT_NE(chart->view().elevation, start.elevation);
    QTest::mousePress(chart, Qt::RightButton, {}, centre);
    QTest::mouseMove(chart, centre + QPoint(25, -15));
    QTest::mouseRelease(chart, Qt::RightButton, {}, centre + QPoint(25, -15));
    EXPECT_EQ(chart->view().move, QPointF(25, -15));

    QTest::mouseClick(form->NormalButton, Qt::LeftButton);
    EXPECT_TRUE(form->NormalButton->isChecked());
    EXPECT_FALSE(form->RotateButton->isChecked());
    EXPECT_EQ(chart->mouseMode(), DiagramChart::MouseMode::Normal);

    // Normal mode: a rectangle dragged right and down zooms into it; back up and left undoes.
    const double zoom = chart->view().zoom;
    QTest::mousePress(chart, Qt::LeftButton, {}, centre - QPoint(30, 20));
    QTest::mouseMove(chart, centre + QPoint(30, 20));
    QTest::mouseRelease(chart, Qt::LeftButton, {}, centre + QPoint(30, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chart->animating(); }, 5000)) << "!chart->animating()";
    EXPECT_GT(chart->view().zoom, zoom * 2);
    EXPECT_LE(chart->view().zoom, kMaxZoom);
    QTest::mousePress(chart, Qt::LeftButton, {}, centre + QPoint(30, 20));
    QTest::mouseMove(chart, centre - QPoint(30, 20));
    QTest::mouseRelease(chart, Qt::LeftButton, {}, centre - QPoint(30, 20));
    EXPECT_EQ(chart->view().zoom, zoom);
    // Right drag scrolls the data under the axes.
    QTest::mousePress(chart, Qt::RightButton, {}, centre);
    QTest::mouseMove(chart, centre + QPoint(-50, 30));
    QTest::mouseRelease(chart, Qt::RightButton, {}, centre + QPoint(-50, 30));
    EXPECT_GT(chart->view().scrollX, 0);
    EXPECT_GT(chart->view().scrollY, 0);

    QTest::mouseClick(form->RotateButton, Qt::LeftButton);
    EXPECT_FALSE(form->NormalButton->isChecked());
    EXPECT_EQ(chart->mouseMode(), DiagramChart::MouseMode::Rotate);
}

TEST_F(DiagramWindowTest, CopyPutsTheChartOnTheClipboard)
{
    open(SurveyRows(SurveyObjects()));
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(form->CopyButton, Qt::LeftButton);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), form->Chart1->size());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), form->Chart1->image());
}

TEST_F(DiagramWindowTest, PrintOpensThePreview)
{
    open(SurveyRows(SurveyObjects()));
    ModalAnswers answers;
    bool previewed = false;
    answers.expect([&previewed](QWidget* w) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(w);
        if (!preview) return false;
        previewed = true;
        preview->reject();
        return true;
    });
    QTest::mouseClick(form->PrintButton, Qt::LeftButton);
    EXPECT_TRUE(previewed);
    EXPECT_TRUE(answers.unexpected().isEmpty());
}

TEST_F(DiagramWindowTest, SizeFitsTheScreen)
{
    open(Flat("Мост", -300));
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_GE(form->width(), 600);
    EXPECT_GE(form->height(), 300);
    EXPECT_LE(form->width(), std::max(600, screen.width()));
    EXPECT_LE(form->height(), std::max(300, screen.height()));
    EXPECT_GE(form->GroupBox1->width(), form->GroupBox1->minimumWidth());
    // A window narrower than its design gives the chart all but the rows' minimum.
    if (form->width() < 1300) {
        EXPECT_EQ(form->GroupBox1->width(), form->GroupBox1->minimumWidth());
    }
    EXPECT_EQ(form->Chart1->width() + form->Splitter1->handleWidth() + form->GroupBox1->width(),
              form->Splitter1->width());
}

TEST_F(DiagramWindowTest, ABadCellStopsTheWindow)
{
    auto rows = Flat("Мост", -300);
    rows[4].value = QStringLiteral("NAN");
    TForm4 bad(DiagramTable(rows), lang);
    ASSERT_TRUE(bad.buildError().has_value());
    EXPECT_EQ(bad.buildError()->row, 5);
    EXPECT_EQ(bad.buildError()->column, 4);
}

} // namespace

namespace {

// What an assistive tool sees and does: the per-object controls named after their object,
// and the boxes worked through their Toggle action, which emits toggled but no click.
TEST_F(DiagramWindowTest, ScreenReaderNamesTheRowControlsAndTogglesTheBoxes)
{
    struct Case {
        int lang;
        QStringList names; // colour, marker, transparency
    };
    for (const Case& c : std::vector<Case>{{0, {"Цвет: Мост", "Маркер: Мост", "Прозрачность: Мост"}},
                                           {1, {"Colour: Мост", "Marker: Мост", "Transparency: Мост"}}}) {
        SCOPED_TRACE(c.lang);
        lang = c.lang;
        open(Flat("Мост", -300));
        EXPECT_EQ((QStringList{form->P[0]->accessibleName(), form->MB[0]->accessibleName(),
                               form->SB[0]->accessibleName()}),
                  c.names);
        const bool marks = form->Chart1->surfaces()[0].marksVisible;
        QAccessible::queryAccessibleInterface(form->MB[0])
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(form->Chart1->surfaces()[0].marksVisible, !marks);
        QAccessible::queryAccessibleInterface(form->OB[0])
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_FALSE(form->Chart1->surfaces()[0].visible);
        // A mouse click still works once, not twice.
        QTest::mouseClick(form->OB[0], Qt::LeftButton);
        EXPECT_TRUE(form->Chart1->surfaces()[0].visible);
    }
}

} // namespace

namespace {

// One mark at every point, also where the value lies beyond the vertical axis and the surface
// is cut at the box's edge.
TEST_F(DiagramWindowTest, AValueBeyondTheAxisKeepsItsMark)
{
    const auto markPixels = [this] {
        const QImage image = form->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(255, 255, 225);
        return count;
    };
    for (int value : {-300, -50000, 50000}) {
        SCOPED_TRACE(value);
        open(Flat("Мост", value));
        EXPECT_EQ(markPixels(), 0) << "no marks before they are asked for";
        QTest::mouseClick(form->MB[0], Qt::LeftButton);
        EXPECT_GT(markPixels(), 0);
    }
}

} // namespace
