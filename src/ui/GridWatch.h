#pragma once
// The main window's grid as the pointer meets it: the corner above the record numbers, drawn
// as the heading of column 0, and what lies under a screen position with the hint it earns.
// The decisions themselves are GridHits'; this class reads where the grid's parts lie now.
#include "ui/GridHits.h"

#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QTableView;

class GridWatch : public QObject {
    Q_OBJECT
public:
    /// Watches `grid` (and becomes its child); `cornerText` is the heading the corner shows.
    GridWatch(QTableView* grid, std::function<QString()> cornerText);

    /// The corner button of the grid; null when the style gives it none.
    QAbstractButton* corner() const { return corner_; }
    /// Where the grid's parts lie on the screen now.
    GridGeometry geometry() const;
    GridHit hitTest(QPoint global) const { return HitAt(geometry(), global); }
    /// The status bar hint for `global` in language `lang`.
    QString hintAt(QPoint global, int lang) const { return GridHint(hitTest(global).part, lang); }
    /// Draws the corner's heading again (after a language switch or a new table).
    void updateCorner();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintCorner();

    QTableView* grid_;
    QAbstractButton* corner_ = nullptr;
    std::function<QString()> cornerText_;
};
