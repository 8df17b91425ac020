// The item model over the table: what views see, the notifications of every change, and a
// real view over a large table.
#include "ArchiveFixture.h"

#include "archive/ArchiveModel.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>

namespace {

using Model = ArchiveTest;

std::vector<ArchiveRecord> Records(int n)
{
    std::vector<ArchiveRecord> records;
    for (int k = 0; k < n; ++k) {
        ArchiveRecord r;
        r.day = 1;
        r.month = 1;
        r.seriesNumber = uint8_t(n - k);
        r.pointNumber = uint8_t(k % 7);
        r.stepX = uint8_t(k % 3);
        r.value = k;
        records.push_back(r);
    }
    return records;
}

TEST_F(Model, ShowsDataRowsWithHeadersFromRowAndColumnZero)
{
    ArchiveModel model;
    const ArchiveTable& table = model.table();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 8);
    EXPECT_EQ(model.columnCount(), 12);

    const auto records = Records(3);
    model.fillFromRecords(records, 0);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Объект"));
    EXPECT_EQ(model.headerData(2, Qt::Vertical).toString(), QStringLiteral("3"));
    EXPECT_EQ(model.data(model.index(2, 5)).toString(), QStringLiteral("1   |   2"));
    EXPECT_EQ(model.data(model.index(0, 5)).toString(), table.cell(5, 1));
    EXPECT_FALSE(model.data(model.index(0, 5), Qt::EditRole).isValid());

    EXPECT_EQ(model.flags(model.index(0, 0)), Qt::ItemIsEnabled);
    for (int c = 1; c < 12; ++c) {
        EXPECT_EQ(model.flags(model.index(1, c)), Qt::ItemIsEnabled | Qt::ItemIsSelectable) << c;
        EXPECT_FALSE(model.setData(model.index(1, c), QStringLiteral("x")));
    }
}

TEST_F(Model, EveryChangeReachesTheViews)
{
    ArchiveModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);

    const auto records = Records(5);
    model.fillFromRecords(records, 1);
    EXPECT_EQ(reset.count(), 1);

    model.setHeader(1);
    ASSERT_EQ(header.count(), 1);
    EXPECT_EQ(header.at(0).at(0).value<Qt::Orientation>(), Qt::Horizontal);
    EXPECT_EQ(model.headerData(11, Qt::Horizontal).toString(), QStringLiteral("Regime"));

    // Series numbers run 5..1, so an ascending sort by column 5 reverses the rows.
    header.clear();
    ASSERT_FALSE(model.sortByColumn(5, +1));
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data.at(0).at(0).toModelIndex(), model.index(0, 0));
    EXPECT_EQ(data.at(0).at(1).toModelIndex(), model.index(4, 11));
    ASSERT_EQ(header.count(), 1);
    EXPECT_EQ(header.at(0).at(0).value<Qt::Orientation>(), Qt::Vertical);
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("5"));

    // A refused sort changes nothing and says nothing.
    ArchiveTable bad = model.table();
    bad.setCell(6, 3, QStringLiteral("NAN"));
    model.replaceTable(bad);
    EXPECT_EQ(reset.count(), 2);
    data.clear();
    const auto error = model.sortByColumn(6, -1);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->text.contains(QStringLiteral("'NAN'")));
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("5"));

    // An opened project of another shape.
    ArchiveTable project(3, 4);
    project.setCell(2, 0, QStringLiteral("C"));
    project.setCell(0, 3, QStringLiteral("last"));
    model.replaceTable(project);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("C"));
    EXPECT_EQ(model.headerData(2, Qt::Vertical).toString(), QStringLiteral("last"));
    EXPECT_FALSE(model.headerData(3, Qt::Horizontal).isValid());
    EXPECT_EQ(model.table().cell(0, 3), QStringLiteral("last")) << "the model holds the project it was given";
}

TEST_F(Model, ViewOverALargeTableReachesItsLastRow)
{
    constexpr int rows = 100000;
    ArchiveTable table(12, rows + 1);
    table.setHeader(0);
    for (int r = 1; r <= rows; ++r) {
        table.setCell(0, r, QString::number(r));
        table.setCell(6, r, QString::number(rows - r));
    }
    ArchiveModel model(std::move(table));
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(20);
    view.setModel(&model);
    view.resize(800, 400);
    view.show();
    view.scrollToBottom();
    QCoreApplication::processEvents();
    const QModelIndex last = view.indexAt(QPoint(5, view.viewport()->height() - 5));
    EXPECT_EQ(last.row(), rows - 1);
    EXPECT_EQ(model.data(last.siblingAtColumn(6)).toString(), QStringLiteral("0"));

    ASSERT_FALSE(model.sortByColumn(6, +1));
    QCoreApplication::processEvents();
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::number(rows));
    EXPECT_EQ(model.data(view.indexAt(QPoint(5, 5)).siblingAtColumn(6)).toString(),
              QString::number(view.indexAt(QPoint(5, 5)).row()));
}

} // namespace
