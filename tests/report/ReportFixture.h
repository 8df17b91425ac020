#pragma once
// An archive table of `records` rows in the row format, every row told apart by its number
// and series, with the header in `lang`.
#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

inline ArchiveTable NumberedArchive(int records, int lang = 0)
{
    ArchiveTable table(kArchiveColumns, records + 1);
    for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, 0, HeaderText(c, lang));
    for (int k = 1; k <= records; ++k) {
        const QString n = QString::number(k);
        const QStringList row = {n,
                                 "Объект 1",
                                 "Потенциала, мВ    ",
                                 " -500  -  500",
                                 QString::number(-300 - k),
                                 n + "   |   1",
                                 "5",
                                 "10",
                                 "20",
                                 "05.03.2016",
                                 "09:07:02",
                                 "Ручной"};
        for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, k, row[c]);
    }
    return table;
}
