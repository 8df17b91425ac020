#include "SurveyCsv.h"

#include <QStringList>

#include <algorithm>

QString SurveyKey(const SurveyObject& survey)
{
    static const char* const sensors[] = {"potential", "resistance", "other"};
    const QString day =
        survey.first.isValid() ? survey.first.date().toString(Qt::ISODate) : QStringLiteral("-");
    return survey.name.trimmed() + QLatin1Char('|') + QLatin1String(sensors[int(survey.sensor)]) +
           QLatin1Char('|') + day;
}

std::vector<PlanPoint> DrawnPositions(const SurveyObject& survey, LengthUnit unit, const Orientation& o)
{
    std::vector<PlanPoint> at;
    at.reserve(survey.points.size());
    double width = 0, height = 0;
    for (const SurveyPoint& p : survey.points) {
        const PlanPoint cm = MeasuredPosition(p.point, p.series, survey.stepX, survey.stepY);
        at.push_back({FromCentimetres(cm.x, unit), FromCentimetres(cm.y, unit)});
        width = std::max(width, at.back().x);
        height = std::max(height, at.back().y);
    }
    for (PlanPoint& p : at) p = Orient(p, width, height, o);
    return at;
}

namespace {

QString Field(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString Number(double v) { return QString::number(v, 'g', 12); }

} // namespace

QString SurveyCsv(const SurveyObject& survey, LengthUnit unit, const Orientation& o,
                  const std::function<QString(double)>& classOf, int lang)
{
    const QString u = UnitText(unit, lang);
    const bool potential = survey.sensor == SensorKind::Potential;
    const QString valueUnit = potential ? (lang == 0 ? QStringLiteral("мВ") : QStringLiteral("mV"))
                                        : (lang == 0 ? QStringLiteral("кОм·см") : QStringLiteral("kOhm·cm"));
    QStringList header{
        QStringLiteral("x (%1)").arg(u), QStringLiteral("y (%1)").arg(u),
        (lang == 0 ? QStringLiteral("значение (%1)") : QStringLiteral("value (%1)")).arg(valueUnit),
        lang == 0 ? QStringLiteral("класс") : QStringLiteral("class"),
        lang == 0 ? QStringLiteral("строка") : QStringLiteral("row")};
    QString out = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    const std::vector<PlanPoint> at = DrawnPositions(survey, unit, o);
    for (std::size_t k = 0; k < survey.points.size(); ++k) {
        const SurveyPoint& p = survey.points[k];
        out += Number(at[k].x) + QLatin1Char(',') + Number(at[k].y) + QLatin1Char(',') + Number(p.value) +
               QLatin1Char(',') + Field(classOf ? classOf(p.value) : QString()) + QLatin1Char(',') +
               QString::number(p.row) + QStringLiteral("\r\n");
    }
    return out;
}
