#pragma once
// Archive tables for the diagram tests, written as the archive fill writes them: one line
// of object, sensor, value, "series   |   point" and series length per data row.
#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QString>

#include <ostream>
#include <vector>

struct DiagramRow {
    QString object;
    QString sensor;
    QString value;
    int series = 1;
    int point = 1;
    int length = 10;
};

inline QString PotentialRu() { return DiagramText::SensorNames[0][0]; }
inline QString ResistanceRu() { return DiagramText::SensorNames[1][0]; }

inline ArchiveTable DiagramTable(const std::vector<DiagramRow>& rows)
{
    ArchiveTable t(kArchiveColumns, int(rows.size()) + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int i = 0; i < int(rows.size()); ++i) {
        const DiagramRow& d = rows[std::size_t(i)];
        const int r = i + 1;
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, d.object);
        t.setCell(2, r, d.sensor);
        t.setCell(3, r, QStringLiteral(" -999  -  999"));
        t.setCell(4, r, d.value);
        t.setCell(5, r, QStringLiteral("%1   |   %2").arg(d.series).arg(d.point));
        t.setCell(6, r, QString::number(d.length));
        t.setCell(7, r, QStringLiteral("10"));
        t.setCell(8, r, QStringLiteral("20"));
        t.setCell(9, r, QStringLiteral("05.03.2021"));
        t.setCell(10, r, QStringLiteral("14:07:09"));
        t.setCell(11, r, QStringLiteral("Ручной"));
    }
    return t;
}

/// An object's complete archive listed from its latest measurement back to its first, the
/// way the running total expects it: `series` series of `length` points, values from `base`.
inline std::vector<DiagramRow> LatestFirst(const QString& object, const QString& sensor, int series,
                                           int length, int base, int step = 7)
{
    std::vector<DiagramRow> rows;
    for (int s = series; s >= 1; --s)
        for (int p = length; p >= 1; --p)
            rows.push_back({object, sensor, QString::number(base + step * (s * 3 + p) % 200), s, p, length});
    return rows;
}

// gtest prints QStrings as bytes otherwise.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
