#include "MenuIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QIcon DrawnIcon(void (*draw)(QPainter&))
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return QIcon(pixmap);
}

void DrawSheet(QPainter& p)
{
    p.setPen(QColor(0x1D, 0x6F, 0x42));
    p.setBrush(QColor(0xE8, 0xF5, 0xEC));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    for (int y : {5, 9}) p.drawLine(QPointF(1.5, y + 0.5), QPointF(14.5, y + 0.5));
    p.drawLine(QPointF(6.5, 1.5), QPointF(6.5, 14.5));
    p.fillRect(QRectF(2, 2, 12, 3), QColor(0x1D, 0x6F, 0x42));
}

void DrawPrinter(QPainter& p)
{
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0x90, 0x98, 0xA8));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

void DrawTable(QPainter& p, bool block)
{
    p.setPen(QColor(0x30, 0x50, 0x80));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    for (int y : {6, 9}) p.drawLine(QPointF(1.5, y + 0.5), QPointF(14.5, y + 0.5));
    p.drawLine(QPointF(6.5, 2.5), QPointF(6.5, 13.5));
    p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 13.5));
    p.fillRect(block ? QRectF(7, 7, 4, 6) : QRectF(2, 3, 12, 3), QColor(0x33, 0x66, 0xCC, 170));
}

void DrawWholeTable(QPainter& p) { DrawTable(p, false); }
void DrawBlock(QPainter& p) { DrawTable(p, true); }

void DrawDevice(QPainter& p)
{
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(QColor(0xF0, 0xC0, 0x40));
    p.drawRoundedRect(QRectF(3.5, 0.5, 9, 15), 1.5, 1.5);
    p.setBrush(QColor(0x9C, 0xC8, 0x9C));
    p.drawRect(QRectF(5.5, 2.5, 5, 5));
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawEllipse(QRectF(6.5, 10, 3, 3));
}

void DrawDisk(QPainter& p)
{
    p.setPen(QColor(0x20, 0x3A, 0x70));
    p.setBrush(QColor(0x3A, 0x6E, 0xC8));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xD8, 0xDC, 0xE4));
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
}

void DrawFolder(QPainter& p)
{
    p.setPen(QColor(0x8A, 0x62, 0x10));
    p.setBrush(QColor(0xE8, 0xB8, 0x40));
    p.drawRect(QRectF(1.5, 3.5, 6, 3));
    p.setBrush(QColor(0xF6, 0xD0, 0x60));
    p.drawRect(QRectF(1.5, 5.5, 13, 9));
}

void DrawExit(QPainter& p)
{
    p.setPen(QPen(QColor(0xB0, 0x20, 0x20), 2.0));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

// A white sign on a blue disc, drawn with lines only: drawing it as text would load a
// second font at start-up.
void DrawDisc(QPainter& p)
{
    p.setPen(QColor(0x20, 0x4A, 0x90));
    p.setBrush(QColor(0x3A, 0x78, 0xD8));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
}

void DrawHelp(QPainter& p)
{
    DrawDisc(p);
    QPainterPath question;
    question.moveTo(5.5, 6.0);
    question.cubicTo(5.5, 2.5, 10.5, 2.5, 10.5, 6.0);
    question.cubicTo(10.5, 8.0, 8.0, 8.0, 8.0, 10.0);
    p.drawPath(question);
    p.drawPoint(QPointF(8.0, 12.8));
}

void DrawInfo(QPainter& p)
{
    DrawDisc(p);
    p.drawPoint(QPointF(8.0, 4.5));
    p.drawLine(QPointF(8.0, 7.5), QPointF(8.0, 12.0));
}

} // namespace

namespace MenuIcons {
QIcon Sheet() { return DrawnIcon(DrawSheet); }
QIcon Disk() { return DrawnIcon(DrawDisk); }
QIcon Folder() { return DrawnIcon(DrawFolder); }
QIcon Printer() { return DrawnIcon(DrawPrinter); }
QIcon Exit() { return DrawnIcon(DrawExit); }
QIcon WholeTable() { return DrawnIcon(DrawWholeTable); }
QIcon Block() { return DrawnIcon(DrawBlock); }
QIcon Device() { return DrawnIcon(DrawDevice); }
QIcon Help() { return DrawnIcon(DrawHelp); }
QIcon Info() { return DrawnIcon(DrawInfo); }
} // namespace MenuIcons
