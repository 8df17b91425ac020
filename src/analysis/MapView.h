#pragma once
// The analysis window's map: the selected survey's map drawn to fit the widget; hovering a
// measured point shows the texts of its rows in the table.
#include "MapPainter.h"
#include "archive/ArchiveTable.h"

#include <QWidget>

#include <memory>

/// The map of the selected object; hovering a measured point shows its row's texts.
class TMapView : public QWidget {
    Q_OBJECT
public:
    TMapView(const ArchiveTable& table, QWidget* parent = nullptr);
    void setMap(std::unique_ptr<SurveyMap> map);
    const SurveyMap* map() const { return map_.get(); }
    /// What hovering `pos` shows: the texts of the rows measured there, empty elsewhere.
    QString hoverText(QPoint pos) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    /// Where the map is painted; hovering looks up the same area.
    QRectF mapArea() const;

    const ArchiveTable& table_;
    std::unique_ptr<SurveyMap> map_;
};
