#include "GridWatch.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>

namespace {

// A widget's rectangle on the screen; empty when it is not shown.
QRect ScreenRect(const QWidget* w)
{
    if (!w || !w->isVisible()) return {};
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

GridWatch::GridWatch(QTableView* grid, std::function<QString()> cornerText)
    : QObject(grid), grid_(grid), cornerText_(std::move(cornerText))
{
    setObjectName(QStringLiteral("GridWatch"));
    // The corner above the fixed column is the heading of column 0: it shows "№" and sorts
    // by record number like any other heading.
    corner_ = grid_->findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(this);
}

GridGeometry GridWatch::geometry() const
{
    GridGeometry g;
    g.grid = QRect(grid_->mapToGlobal(QPoint(0, 0)), grid_->size());
    g.corner = ScreenRect(corner_);
    const QHeaderView* top = grid_->horizontalHeader();
    g.headings = ScreenRect(top);
    const int x0 = top->viewport()->mapToGlobal(QPoint(0, 0)).x();
    for (int c = 0; c < top->count(); ++c)
        if (!top->isSectionHidden(c))
            g.columns.push_back({c, x0 + top->sectionViewportPosition(c), top->sectionSize(c)});
    const QHeaderView* left = grid_->verticalHeader();
    g.fixedColumn = ScreenRect(left);
    const int y0 = left->viewport()->mapToGlobal(QPoint(0, 0)).y();
    g.rowsBottom = y0 + (left->count() > 0 ? left->length() - left->offset() : 0);
    return g;
}

void GridWatch::updateCorner()
{
    if (corner_) corner_->update();
}

void GridWatch::paintCorner()
{
    QPainter painter(corner_);
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.rect = corner_->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = cornerText_ ? cornerText_() : QString();
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.state |= QStyle::State_Raised;
    corner_->style()->drawControl(QStyle::CE_Header, &option, &painter, corner_);
}

bool GridWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == corner_) {
        switch (event->type()) {
        case QEvent::Paint: paintCorner(); return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: return true; // no select-all: the corner is a heading
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}
