// What lies under a point of the main window's grid and the hint it earns: first on a drawn
// geometry, then on a real grid that is scrolled, where the screen places of the headings
// and rows no longer start at the grid's edge.
#include "ui/GridHits.h"
#include "texts/Texts.h"
#include "ui/GridWatch.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace {

// A grid at (100, 50), 400 × 300: the corner and the heading row 20 high, the fixed column 40
// wide. Column 0 has no heading of its own (the corner stands for it); columns 1..3 are 60
// wide, column 2 hidden (no width), so the headings end at x 260. Three records of 20 rows
// end at y 130.
GridGeometry Drawn()
{
    GridGeometry g;
    g.grid = QRect(100, 50, 400, 300);
    g.corner = QRect(100, 50, 40, 20);
    g.headings = QRect(140, 50, 360, 20);
    g.columns = {{1, 140, 60}, {2, 200, 0}, {3, 200, 60}};
    g.fixedColumn = QRect(100, 70, 40, 280);
    g.rowsBottom = 130;
    return g;
}

TEST(GridHits, EachPointOfTheGridHitsItsPart)
{
    const GridGeometry g = Drawn();
    struct Case {
        const char* name;
        QPoint point;
        GridHit hit;
    };
    const Case cases[] = {
        {"left of the grid", {99, 60}, {}},
        {"below the grid", {300, 350}, {}},
        {"corner", {100, 50}, {GridPart::Header, 0}},
        {"corner's last pixel", {139, 69}, {GridPart::Header, 0}},
        {"first heading's first pixel", {140, 60}, {GridPart::Header, 1}},
        {"first heading's last pixel", {199, 60}, {GridPart::Header, 1}},
        {"a hidden column takes no pixel", {200, 60}, {GridPart::Header, 3}},
        {"last heading's last pixel", {259, 69}, {GridPart::Header, 3}},
        {"heading row past the last heading", {260, 60}, {GridPart::Cells, -1}},
        {"first record number", {120, 70}, {GridPart::FixedColumn, 0}},
        {"last record number's last pixel", {120, 129}, {GridPart::FixedColumn, 0}},
        {"fixed column below the last record", {120, 130}, {GridPart::Cells, -1}},
        {"a cell", {300, 100}, {GridPart::Cells, -1}},
        {"grid below the last row", {300, 349}, {GridPart::Cells, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GridHit hit = HitAt(g, c.point);
        EXPECT_EQ(int(hit.part), int(c.hit.part));
        EXPECT_EQ(hit.column, c.hit.column);
    }
}

TEST(GridHits, PartsTheGridDoesNotShowAreCells)
{
    // Without a corner or heading row their places belong to the cells; without records the
    // whole fixed column does.
    GridGeometry g = Drawn();
    g.corner = QRect();
    g.headings = QRect();
    g.rowsBottom = g.fixedColumn.top();
    for (const QPoint p : {QPoint(110, 55), QPoint(150, 55), QPoint(120, 80)})
        EXPECT_EQ(HitAt(g, p), (GridHit{GridPart::Cells, -1})) << p.x() << "," << p.y();
}

TEST(GridHits, HeadingsHintSortingCellsHintSelectingInEitherLanguage)
{
    for (int lang : {0, 1}) {
        SCOPED_TRACE(lang);
        EXPECT_EQ(GridHint(GridPart::Header, lang), MainText::HintSort[lang]);
        EXPECT_EQ(GridHint(GridPart::Cells, lang), MainText::HintSelect[lang]);
        EXPECT_TRUE(GridHint(GridPart::FixedColumn, lang).isEmpty());
        EXPECT_TRUE(GridHint(GridPart::Outside, lang).isEmpty());
    }
    EXPECT_NE(GridHint(GridPart::Header, 0), GridHint(GridPart::Header, 1));
}

// A grid like the main window's: column 0 hidden (the record numbers are the row headings),
// small enough that it scrolls both ways, across by pixels, down by whole rows.
class ScrolledGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.setColumnCount(12);
        model.setRowCount(40);
        view.setModel(&model);
        view.setColumnHidden(0, true);
        view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        view.resize(300, 200);
        watch = new GridWatch(&view, [this] { return cornerText; });
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QStandardItemModel model;
    QTableView view;
    GridWatch* watch = nullptr;
    QString cornerText = QStringLiteral("№");
};

TEST_F(ScrolledGrid, HitsFollowTheScrolledHeadingsAndRows)
{
    QHeaderView* top = view.horizontalHeader();
    QHeaderView* left = view.verticalHeader();
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2 + 7);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    ASSERT_GT(top->offset(), 0);
    ASSERT_GT(left->offset(), 0);

    // Across the heading row the watch names the column the header itself finds there, also
    // for the partly scrolled-out first heading; scrolled halfway, the headings fill the row.
    for (int x = 0; x < top->viewport()->width(); x += 3) {
        const QPoint inHeader(x, top->height() / 2);
        SCOPED_TRACE(x);
        const GridHit hit = watch->hitTest(top->viewport()->mapToGlobal(inHeader));
        EXPECT_EQ(int(hit.part), int(GridPart::Header));
        EXPECT_EQ(hit.column, top->logicalIndexAt(inHeader));
    }
    // Down the fixed column the watch finds a record number where the header finds a row and
    // the cells elsewhere: scrolled to the last record, then with too few records to fill it.
    const auto fixedColumnAgrees = [&] {
        for (int y = 0; y < left->viewport()->height(); y += 3) {
            SCOPED_TRACE(y);
            const GridHit hit = watch->hitTest(left->viewport()->mapToGlobal(QPoint(5, y)));
            const bool onRecord = left->logicalIndexAt(QPoint(5, y)) >= 0;
            EXPECT_EQ(hit, (onRecord ? GridHit{GridPart::FixedColumn, 0} : GridHit{GridPart::Cells, -1}));
        }
    };
    fixedColumnAgrees();
    model.setRowCount(3);
    QCoreApplication::processEvents();
    ASSERT_EQ(left->offset(), 0);
    ASSERT_LT(left->length(), left->viewport()->height() - 10);
    fixedColumnAgrees();

    ASSERT_NE(watch->corner(), nullptr);
    EXPECT_EQ(watch->hitTest(watch->corner()->mapToGlobal(QPoint(2, 2))), (GridHit{GridPart::Header, 0}));
    EXPECT_EQ(watch->hintAt(watch->corner()->mapToGlobal(QPoint(2, 2)), 1), MainText::HintSort.en);
    EXPECT_EQ(watch->hitTest(view.mapToGlobal(QPoint(-1, 5))), GridHit{});
}

TEST_F(ScrolledGrid, TheCornerIsAHeadingWithTheTableTextNotASelectAll)
{
    ASSERT_NE(watch->corner(), nullptr);
    // The corner draws the text it is handed (a plain corner button draws none).
    const QImage withText = watch->corner()->grab().toImage();
    cornerText.clear();
    const QImage blank = watch->corner()->grab().toImage();
    EXPECT_NE(withText, blank);
    cornerText = QStringLiteral("№");
    EXPECT_EQ(watch->corner()->grab().toImage(), withText);

    QTest::mouseClick(watch->corner(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(view.selectionModel()->hasSelection());
}

} // namespace
