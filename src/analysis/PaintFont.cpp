#include "PaintFont.h"

#include <algorithm>
#include <cmath>

QFont PaintFont(double unit, double pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, int(std::lround(pixels * unit))));
    f.setBold(bold);
    return f;
}
