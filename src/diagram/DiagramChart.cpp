#include "DiagramChart.h"
#include "app/SharedState.h"
#include "exchange/print/PrintModule.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

double Wrapped(double degrees)
{
    degrees = std::fmod(degrees, 360);
    return degrees <= 0 ? degrees + 360 : degrees;
}

} // namespace

DiagramChart::DiagramChart(QWidget* parent) : QWidget(parent), animation_(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    animation_->setDuration(250);
    animation_->setEasingCurve(QEasingCurve::OutCubic);
}

void DiagramChart::setSurfaces(std::vector<DiagramSurface> surfaces)
{
    surfaces_ = std::move(surfaces);
    update();
}

void DiagramChart::setTitles(const ChartTitles& titles)
{
    titles_ = titles;
    update();
}

void DiagramChart::setView(const ChartView& view)
{
    view_ = view;
    view_.zoom = std::clamp(view_.zoom, kMinZoom, kMaxZoom);
    if (dragButton_ == Qt::NoButton && !animating()) startView_ = view_;
    update();
    emit viewChanged();
}

void DiagramChart::zoomBy(int steps)
{
    // One step at a time, as the wheel gives them: up raises and caps, down lowers and floors.
    view_.zoom = std::clamp(view_.zoom + steps, kMinZoom, kMaxZoom);
    update();
    emit viewChanged();
}

bool DiagramChart::animating() const { return animation_->state() == QAbstractAnimation::Running; }

QImage DiagramChart::image() const
{
    QImage picture(size(), QImage::Format_RGB32);
    QPainter p(&picture);
    ChartPainter::paint(p, picture.rect(), surfaces_, view_, titles_);
    return picture;
}

void DiagramChart::copyToClipboard() const { QGuiApplication::clipboard()->setImage(image()); }

void DiagramChart::printPreview(int lang)
{
    PreviewRequest request;
    request.parent = this;
    request.objectName = QStringLiteral("ChartPreview");
    request.landscape = true;
    const QImage picture = image();
    request.paint = [picture](QPagedPaintDevice& device, const PrintRun& run) {
        // Margins in percent of the page: 15 left and right, 9 top and bottom.
        const QRectF page = device.pageLayout().fullRectPixels(run.resolution);
        const QRectF area(page.width() * 0.15, page.height() * 0.09, page.width() * 0.70,
                          page.height() * 0.82);
        QSizeF size = QSizeF(picture.size()).scaled(area.size(), Qt::KeepAspectRatio);
        const QRectF target(area.topLeft() + QPointF((area.width() - size.width()) / 2, 0), size);
        QPainter p(&device);
        // The painter starts at the printable area; the margins count from the paper's edge.
        const QRectF paintable = device.pageLayout().paintRectPixels(run.resolution);
        p.translate(-paintable.topLeft());
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, picture);
    };
    ShowPrintPreview(request, lang);
}

void DiagramChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // While the view moves, a very large archive is drawn on a coarser grid so that the
    // drawing keeps up with the mouse; the full grid returns when the button is let go.
    const bool moving = dragButton_ != Qt::NoButton || animating();
    const int step = moving ? ChartPainter::coarseStep(surfaces_, kDragCells) : 1;
    ChartPainter::paint(p, rect(), surfaces_, view_, titles_, step);
    if (!band_.isNull()) {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(band_.normalized());
    }
}

void DiagramChart::mousePressEvent(QMouseEvent* event)
{
    if (dragButton_ != Qt::NoButton ||
        (event->button() != Qt::LeftButton && event->button() != Qt::RightButton))
        return;
    animation_->stop();
    dragButton_ = event->button();
    dragStart_ = dragLast_ = event->position().toPoint();
    band_ = QRect();
}

void DiagramChart::mouseMoveEvent(QMouseEvent* event)
{
    if (dragButton_ == Qt::NoButton) return;
    const QPoint pos = event->position().toPoint();
    const QPoint delta = pos - dragLast_;
    dragLast_ = pos;
    if (mode_ == MouseMode::Rotate) {
        if (dragButton_ == Qt::LeftButton) {
            view_.rotation = Wrapped(view_.rotation - delta.x() * 0.5);
            view_.elevation = Wrapped(view_.elevation - delta.y() * 0.5);
        } else {
            view_.move += delta;
        }
    } else if (dragButton_ == Qt::LeftButton) {
        band_ = QRect(dragStart_, pos);
    } else {
        // Scrolling moves the data under the axes by as much as the mouse moved over the box.
        const QRectF plot = ChartPainter::plotRect(rect());
        const double scale = view_.zoom / 100;
        view_.scrollX -= delta.x() / std::max(1.0, plot.width() * scale);
        view_.scrollY += delta.y() / std::max(1.0, plot.height() * scale);
    }
    update();
    emit viewChanged();
}

void DiagramChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != dragButton_) return;
    dragButton_ = Qt::NoButton;
    const QRect band = band_;
    band_ = QRect();
    if (mode_ == MouseMode::Normal && event->button() == Qt::LeftButton && !band.isNull()) {
        // Dragged right and down: zoom into the rectangle; dragged back up or left: undo.
        if (band.width() > 3 && band.height() > 3)
            zoomIntoRect(band);
        else if (band.width() < -3 || band.height() < -3)
            setView(startView_);
    }
    update();
}

void DiagramChart::zoomIntoRect(const QRect& rect)
{
    const QRectF plot = ChartPainter::plotRect(this->rect());
    const double factor = std::min(plot.width() / rect.width(), plot.height() / rect.height());
    ChartView end = view_;
    end.zoom = std::clamp(view_.zoom * factor, kMinZoom, kMaxZoom);
    const double k = end.zoom / view_.zoom;
    // The rectangle's centre comes to the plot's centre.
    end.move = -(QPointF(rect.center()) - plot.center() - view_.move) * k;
    const ChartView from = view_;
    animation_->stop();
    animation_->disconnect(this);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this, from, end](const QVariant& value) {
        const double t = value.toDouble();
        view_.zoom = from.zoom + (end.zoom - from.zoom) * t;
        view_.move = from.move + (end.move - from.move) * t;
        update();
        emit viewChanged();
    });
    connect(animation_, &QVariantAnimation::finished, this, [this] { update(); });
    animation_->start();
}
