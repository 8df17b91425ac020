#pragma once
// An archive as a survey of a few structures leaves it: potential and resistivity grids of
// several objects, each listed from its latest measurement back, values that vary smoothly
// with a corroding patch here and there.
#include "DiagramFixture.h"

#include <QLocale>

#include <cmath>

struct SurveyObject {
    QString name;
    int sensor; // 0 potential, 1 resistance
    int series, length;
};

inline std::vector<DiagramRow> SurveyRows(const std::vector<SurveyObject>& objects, int lang = 0)
{
    const QLocale locale;
    std::vector<DiagramRow> rows;
    int n = 0;
    for (const SurveyObject& o : objects) {
        ++n;
        for (int s = o.series; s >= 1; --s)
            for (int p = o.length; p >= 1; --p) {
                const double hot =
                    std::exp(-(std::pow(p - o.length * 0.6, 2) + std::pow(s - o.series * 0.4, 2)) / 6.0);
                const double wave = std::sin(p * 0.7 + n) * std::cos(s * 0.5);
                QString value;
                if (o.sensor == 0)
                    value = QString::number(std::lround(-120 - 60 * n - 260 * hot + 40 * wave));
                else
                    value = QString::number(std::max(5.0, 40.0 + 45 * (n % 6) - 70 * hot + 25 * wave), 'f', 1)
                                .replace(QLatin1Char('.'),
                                         locale.decimalPoint()); // no grouping, as the fill writes it
                rows.push_back(
                    {o.name, DiagramText::SensorNames[std::size_t(o.sensor)][lang], value, s, p, o.length});
            }
    }
    return rows;
}

inline std::vector<SurveyObject> SurveyObjects()
{
    return {{"Мост 1", 0, 6, 10},
            {"Опора 2", 0, 5, 8},
            {"Плита 3", 1, 6, 12},
            {"Балка 4", 0, 4, 12},
            {"Стена 5", 1, 5, 6}};
}
