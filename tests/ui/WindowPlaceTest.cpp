// Where windows open: fitted to the screen's available area, and where the user left them
// earlier in the run, brought back onto the screen.
#include "ui/WindowPlace.h"
#include "../analysis/SurveyFixture.h"
#include "analysis/Unit7.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "diagram/Unit4.h"
#include "settings/Unit3.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace {

// These windows are looked at on a small laptop's screen, before the application starts.
const bool kLaptopScreen =
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" LM11_TEST_DATA "/screens/laptop-1280x720.json");

// The window with its frame, from what resize() and move() are given: the frame's corner and
// the inside size. The frame allowance is the title bar and borders a window system adds.
QRect WithFrame(const QRect& placed) { return QRect(placed.topLeft(), placed.size() + QSize(8, 34)); }

TEST(WindowPlace, DesignSizeWhereItFitsOtherwiseTheScreen)
{
    const QRect laptop(0, 0, 1280, 720), wide(100, 50, 1920, 1030);
    struct Case {
        const char* what;
        QSize design, minimum;
        QRect available;
        QSize expected;
    } cases[] = {
        {"fits: kept", {800, 600}, {0, 0}, laptop, {800, 600}},
        {"too wide and too high: the screen less the frame", {1537, 820}, {0, 0}, laptop, {1272, 686}},
        {"too high only", {1000, 900}, {0, 0}, laptop, {1000, 686}},
        {"minimum above the design", {300, 200}, {600, 300}, laptop, {600, 300}},
        {"screen not at the origin", {1320, 820}, {420, 360}, wide, {1320, 820}},
    };
    for (const Case& c : cases) {
        const QRect placed = FittedGeometry(c.design, c.minimum, c.available);
        EXPECT_EQ(placed.size(), c.expected) << c.what;
        const QRect frame = WithFrame(placed);
        EXPECT_TRUE(c.available.contains(frame)) << c.what;
        // Centred: as much room left as right, above as below (to a pixel).
        EXPECT_LE(std::abs((frame.left() - c.available.left()) - (c.available.right() - frame.right())), 1)
            << c.what;
        EXPECT_LE(std::abs((frame.top() - c.available.top()) - (c.available.bottom() - frame.bottom())), 1)
            << c.what;
    }
}

TEST(WindowPlace, RememberedPlaceComesBackOntoTheScreen)
{
    const QRect laptop(0, 0, 1280, 720);
    struct Case {
        const char* what;
        QRect remembered, expected;
    } cases[] = {
        {"on the screen: unchanged", {100, 80, 900, 500}, {100, 80, 900, 500}},
        {"left on a larger screen, right and below", {1800, 900, 900, 500}, {372, 186, 900, 500}},
        {"left of and above the screen", {-400, -50, 900, 500}, {0, 0, 900, 500}},
        {"larger than the screen now", {200, 100, 1900, 1000}, {0, 0, 1272, 686}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OnScreen(c.remembered, laptop), c.expected) << c.what;
        EXPECT_TRUE(laptop.contains(WithFrame(OnScreen(c.remembered, laptop)))) << c.what;
    }
}

// A window with a splitter, as the diagram has, opened again and again in one run.
struct SplitWindow {
    QDialog dialog;
    QSplitter* splitter = new QSplitter(&dialog);
    SplitWindow()
    {
        (new QHBoxLayout(&dialog))->addWidget(splitter);
        splitter->addWidget(new QLabel(QStringLiteral("chart")));
        splitter->addWidget(new QLabel(QStringLiteral("controls")));
        PlaceWindow(dialog, QSize(700, 400), QStringLiteral("test"), splitter);
    }
};

TEST(WindowPlace, AWindowOpensAgainWhereItWasLeftInThisRun)
{
    SessionMemory::clear();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QRect left;
    QList<int> sizes;
    {
        SplitWindow first;
        first.dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first.dialog));
        EXPECT_TRUE(available.contains(first.dialog.geometry()));
        first.dialog.setGeometry(available.left() + 10, available.top() + 20, 500, 300);
        first.splitter->setSizes({100, 380});
        sizes = first.splitter->sizes();
        left = QRect(first.dialog.pos(), first.dialog.size());
        // Minimised is not closed: the place it had stays the one remembered.
        first.dialog.showMinimized();
        QTest::qWait(50);
        first.dialog.showNormal();
        first.dialog.close();
    }
    SplitWindow second;
    second.dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second.dialog));
    EXPECT_EQ(QRect(second.dialog.pos(), second.dialog.size()), left);
    EXPECT_EQ(second.splitter->sizes(), sizes);

    // A new run starts from the design size again.
    SessionMemory::clear();
    SplitWindow fresh;
    EXPECT_EQ(fresh.dialog.size(), QSize(700, 400).boundedTo(available.size()));
}

TEST(WindowPlace, TheMainWindowFitsTheScreen)
{
    ASSERT_TRUE(kLaptopScreen);
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1280, 720));
    SharedState shared;
    TForm1 form(shared);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect available = form.screen()->availableGeometry();
    EXPECT_LE(form.width(), available.width());
    EXPECT_LE(form.height(), available.height());
    EXPECT_TRUE(available.contains(form.frameGeometry()))
        << form.geometry().width() << "x" << form.geometry().height();
}

// A survey of two sensors on one grid, as the windows below are shown it.
ArchiveTable SurveyTable()
{
    std::vector<FixtureRow> rows;
    for (int sensor : {1, 0})
        for (int series = 3; series >= 1; --series)
            for (int point = 5; point >= 1; --point) {
                FixtureRow r;
                r.sensor = sensor;
                r.series = series;
                r.point = point;
                r.value = QString::number(sensor ? 10 * series + point : -100 * series - 10 * point);
                rows.push_back(r);
            }
    return FixtureTable(rows);
}

// Every window of the program on a 1280 x 720 laptop screen, in both languages: it lies on
// the screen, and its controls lie inside it.
TEST(WindowPlace, EveryWindowFitsALaptopScreenInBothLanguages)
{
    ASSERT_TRUE(kLaptopScreen);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(available.size(), QSize(1280, 720));
    for (int lang : {0, 1}) {
        SharedState shared;
        SessionMemory::clear();
        const ArchiveTable table = SurveyTable();
        std::vector<std::unique_ptr<QWidget>> windows;
        auto main = std::make_unique<TForm1>(shared); // which starts in Russian
        if (lang) main->Lang1Click();
        windows.push_back(std::move(main));
        ASSERT_EQ(shared.Lang.load(), lang);
        windows.push_back(std::make_unique<TForm3>(shared));
        windows.push_back(std::make_unique<TForm4>(table, lang));
        windows.push_back(std::make_unique<TForm7>(table, SurfaceBlocks(table), lang));
        for (const auto& w : windows) {
            w->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
            const std::string name = w->metaObject()->className() + std::string(lang ? " en" : " ru");
            EXPECT_TRUE(available.contains(w->frameGeometry()))
                << name << ": " << w->frameGeometry().width() << "x" << w->frameGeometry().height() << "+"
                << w->frameGeometry().x() << "+" << w->frameGeometry().y();
            // The settings table shows whole, its headings wrapped rather than scrolled to.
            if (auto* settings = qobject_cast<TForm3*>(w.get())) {
                EXPECT_EQ(settings->StringGrid1->horizontalScrollBar()->maximum(), 0) << name;
                EXPECT_EQ(settings->StringGrid1->verticalScrollBar()->maximum(), 0) << name;
            }
            // Every button lies inside the window, or in a scroll area that does.
            for (const QPushButton* b : w->findChildren<QPushButton*>()) {
                if (!b->isVisibleTo(w.get())) continue;
                const QWidget* shown = b;
                for (const QWidget* p = b->parentWidget(); p && p != w.get(); p = p->parentWidget())
                    if (qobject_cast<const QAbstractScrollArea*>(p)) shown = p;
                const QRect r(shown->mapTo(w.get(), QPoint()), shown->size());
                EXPECT_TRUE(w->rect().contains(r)) << name << ": " << b->text().toStdString();
            }
        }
    }
}

} // namespace
