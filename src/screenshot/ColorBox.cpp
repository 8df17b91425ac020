#include "ColorBox.h"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace {

struct NamedColor {
    const char* name;
    QRgb rgb;
};

// The sixteen standard colours and four softer ones, under the names drawing programs use.
constexpr std::array<NamedColor, 20> kColors = {{
    {"Black", 0x000000},       {"Maroon", 0x800000},   {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},        {"Purple", 0x800080},   {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},      {"Red", 0xFF0000},      {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},        {"Fuchsia", 0xFF00FF},  {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
    {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xA6CAF0}, {"Cream", 0xFFFBF0}, {"Medium Gray", 0xA0A0A4},
}};

QIcon Swatch(QColor color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

} // namespace

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent)
{
    setIconSize(QSize(16, 12));
    for (const NamedColor& c : kColors)
        addItem(Swatch(QColor(c.rgb)), QString::fromLatin1(c.name), QColor(c.rgb));
}

QColor ColorBox::selected() const { return currentData().value<QColor>(); }

void ColorBox::setSelected(const QColor& color)
{
    const QColor opaque = QColor(color.rgb());
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).value<QColor>() == opaque) {
            setCurrentIndex(i);
            return;
        }
    }
    addItem(Swatch(opaque), opaque.name(), opaque);
    setCurrentIndex(count() - 1);
}
