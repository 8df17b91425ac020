#include "SurveyGeometry.h"

#include <QStringList>

#include <cmath>

double FromCentimetres(double cm, LengthUnit unit)
{
    switch (unit) {
    case LengthUnit::Millimetre: return cm * 10;
    case LengthUnit::Metre: return cm / 100;
    case LengthUnit::Centimetre: break;
    }
    return cm;
}

QString UnitText(LengthUnit unit, int lang)
{
    static const char* const ru[] = {"мм", "см", "м"};
    static const char* const en[] = {"mm", "cm", "m"};
    return QString::fromUtf8((lang == 0 ? ru : en)[int(unit)]);
}

LengthUnit UnitOfKey(const QString& key)
{
    if (key == QLatin1String("mm")) return LengthUnit::Millimetre;
    if (key == QLatin1String("m")) return LengthUnit::Metre;
    return LengthUnit::Centimetre;
}

QString KeyOfUnit(LengthUnit unit) { return UnitText(unit, 1); }

PlanPoint MeasuredPosition(int point, int series, double stepX, double stepY)
{
    return {(point - 1) * stepX, (series - 1) * stepY};
}

PlanPoint Orient(PlanPoint p, double width, double height, const Orientation& o)
{
    if (o.flipX) p.x = width - p.x;
    if (o.flipY) p.y = height - p.y;
    // A quarter turn clockwise with Y pointing up takes (x, y) to (y, −x); shifting by the
    // width keeps the drawing in the positive quadrant.
    if (o.rotate) p = {p.y, width - p.x};
    return p;
}

QString OrientationText(const Orientation& o, int lang)
{
    QStringList parts;
    if (o.flipX) parts << (lang == 0 ? QStringLiteral("ось X отражена") : QStringLiteral("X axis mirrored"));
    if (o.flipY) parts << (lang == 0 ? QStringLiteral("ось Y отражена") : QStringLiteral("Y axis mirrored"));
    if (o.rotate)
        parts << (lang == 0 ? QStringLiteral("повёрнуто на 90° по часовой стрелке")
                            : QStringLiteral("turned 90° clockwise"));
    if (parts.isEmpty()) return lang == 0 ? QStringLiteral("как измерено") : QStringLiteral("as measured");
    return parts.join(QStringLiteral(", "));
}

double ScaleBarLength(double maximum)
{
    if (!(maximum > 0) || !std::isfinite(maximum)) return 0;
    const double decade = std::pow(10.0, std::floor(std::log10(maximum)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * decade <= maximum * (1 + 1e-12)) return m * decade;
    return decade;
}
