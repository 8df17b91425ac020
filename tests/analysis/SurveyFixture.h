#pragma once
// Small archive tables in the row format, built row by row.
#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QString>

#include <vector>

struct FixtureRow {
    QString name = QStringLiteral("Мост");
    int sensor = 0; // 0 potential, 1 resistance
    QString value;
    int series = 1;
    int point = 1;
    int length = 5;
    int stepX = 20;
    int stepY = 30;
    QString date = QStringLiteral("17.05.2014");
    QString time = QStringLiteral("09:12:05");
    int lang = 0; // language the sensor text was filled in
};

inline ArchiveTable FixtureTable(const std::vector<FixtureRow>& rows)
{
    ArchiveTable table(kArchiveColumns, int(rows.size()) + 1);
    for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, 0, HeaderText(c, 0));
    for (int k = 0; k < int(rows.size()); ++k) {
        const FixtureRow& r = rows[std::size_t(k)];
        const int row = k + 1;
        table.setCell(0, row, QString::number(row));
        table.setCell(1, row, r.name);
        table.setCell(2, row, ExchangeText::SensorNames[std::size_t(r.sensor)][r.lang]);
        table.setCell(3, row, r.sensor == 0 ? QStringLiteral(" -500  -  500") : QStringLiteral(" 0  -  999"));
        table.setCell(4, row, r.value);
        table.setCell(5, row, QStringLiteral("%1   |   %2").arg(r.series).arg(r.point));
        table.setCell(6, row, QString::number(r.length));
        table.setCell(7, row, QString::number(r.stepX));
        table.setCell(8, row, QString::number(r.stepY));
        table.setCell(9, row, r.date);
        table.setCell(10, row, r.time);
        table.setCell(11, row, QStringLiteral("Авто"));
    }
    return table;
}

/// Rows of one object and sensor over `series` × `points`, the latest measurement first, as
/// the diagram expects an object's run; value(series, point) gives each reading.
template <typename Value>
std::vector<FixtureRow> LatestFirst(const QString& name, int sensor, int series, int points, Value value)
{
    std::vector<FixtureRow> rows;
    for (int s = series; s >= 1; --s)
        for (int p = points; p >= 1; --p) {
            FixtureRow r;
            r.name = name;
            r.sensor = sensor;
            r.series = s;
            r.point = p;
            r.length = points;
            r.value = value(s, p);
            rows.push_back(r);
        }
    return rows;
}
