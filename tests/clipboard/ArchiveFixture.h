#pragma once
// A small archive table as an archive read leaves it: header in the given language and
// rows in the texts of the row format.
#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QStringList>

#include <vector>

inline ArchiveTable SmallArchive(int lang)
{
    const std::vector<QStringList> rows = {
        {"1", "Объект 1", "Потенциала, мВ    ", " -500  -  500", "-350", "1   |   2", "5", "10", "20",
         "05.03.2016", "09:07:02", "Ручной"},
        {"2", "Мост", "Сопротив., кОм*см ", " 0  -  1000", "12,3", "10   |   1", "125", "1", "2",
         "06.03.2016", "23:59:59", "Авто"},
    };
    ArchiveTable table(kArchiveColumns, int(rows.size()) + 1);
    for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, 0, HeaderText(c, lang));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, r + 1, rows[r][c]);
    return table;
}
