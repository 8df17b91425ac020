#include "MapView.h"

#include "ui/DesignScale.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

TMapView::TMapView(const ArchiveTable& table, QWidget* parent) : QWidget(parent), table_(table)
{
    setMouseTracking(true);
    setMinimumSize(DesignScale(*this, DesignScale::Sizes::Fixed).size(420, 360));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMapView::setMap(std::unique_ptr<SurveyMap> map)
{
    map_ = std::move(map);
    // The legend is drawn; a screen reader gets its texts here.
    QStringList legend;
    if (map_) {
        legend << map_->legendTitle();
        for (const LegendEntry& e : map_->legend()) legend << e.text;
    }
    setAccessibleName(legend.value(0));
    setAccessibleDescription(legend.join(QLatin1Char('\n')));
    update();
}

QString TMapView::hoverText(QPoint pos) const
{
    if (!map_) return QString();
    QStringList lines;
    for (int row : map_->rowsAt(mapArea(), QPointF(pos))) {
        if (!lines.isEmpty()) lines << QString();
        for (int c = 0; c < table_.columnCount(); ++c) {
            const QString text = table_.cell(c, row).trimmed();
            if (!text.isEmpty()) lines << table_.cell(c, 0).trimmed() + QStringLiteral(": ") + text;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QRectF TMapView::mapArea() const { return QRectF(rect()).adjusted(4, 4, -4, -4); }

void TMapView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (map_) map_->paint(p, mapArea());
}

void TMapView::mouseMoveEvent(QMouseEvent* event)
{
    const QString text = map_ ? hoverText(event->position().toPoint()) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}
