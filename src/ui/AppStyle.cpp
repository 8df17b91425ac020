#include "AppStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace {

// The menu bar's "more items" button, a double chevron in the text colour. Every menu bar
// makes this button when it is created; the style's own picture is read from an image
// file, and the image reader first loads every image format plug-in to ask whether it
// wants the file.
QIcon ExtensionIcon(bool horizontal, const QColor& colour)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        if (!horizontal) {
            // Pointing down: the same chevrons turned a quarter.
            p.translate(16, 0);
            p.rotate(90);
        }
        p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (double x : {4.5, 8.5}) {
            const QPointF points[] = {{x, 4.5}, {x + 3, 8}, {x, 11.5}};
            p.drawPolyline(points, 3);
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

AppStyle::AppStyle() = default;

QIcon AppStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                             const QWidget* widget) const
{
    if (standardIcon == SP_ToolBarHorizontalExtensionButton ||
        standardIcon == SP_ToolBarVerticalExtensionButton) {
        const QPalette palette = widget ? widget->palette() : QApplication::palette();
        return ExtensionIcon(standardIcon == SP_ToolBarHorizontalExtensionButton,
                             palette.color(QPalette::ButtonText));
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

void InstallAppStyle()
{
    // Asking the application for its style would build the default one first.
    static bool installed = false;
    if (installed) return;
    installed = true;
    QApplication::setStyle(new AppStyle);
}
