#include "ClipboardText.h"

#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

namespace {

const QString kTab = QStringLiteral("\t");
const QString kLineEnd = QStringLiteral("\r\n");

int HeaderExtraTabs(const QString& header, int lang)
{
    using namespace MainText;
    if (header == HeaderSensor[lang]) return 2;
    if (header == HeaderDate[lang] || header == HeaderTime[lang] || header == HeaderObject[lang] ||
        header == HeaderSeriesLength[lang])
        return 1;
    return 0;
}

int DataExtraTabs(const QString& header, const QString& cell)
{
    const qsizetype h = header.size();
    return h >= 8 && h > cell.size() ? int(h / 8) : 0;
}

// Each cell was followed by at least one tab; the last one of the row gives way to the line
// end, while any alignment tabs of the last cell stay. A row without cells added no tab, so
// nothing is taken back (taking a character would eat the previous line end).
void EndRow(QString& text, bool rowHasCells)
{
    if (rowHasCells) text.chop(1);
    text += kLineEnd;
}

} // namespace

QString TableClipboardText(const ArchiveTable& table, int lang)
{
    QString text;
    const int columns = table.columnCount();
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const QString& cell = table.cell(column, row);
            text += cell;
            text += kTab;
            const int extra =
                row == 0 ? HeaderExtraTabs(cell, lang) : DataExtraTabs(table.cell(column, 0), cell);
            text += kTab.repeated(extra);
        }
        EndRow(text, columns > 0);
    }
    return text;
}

QString BlockClipboardText(const ArchiveTable& table, const CellBlock& block)
{
    QString text;
    for (int row = block.top; row <= block.bottom; ++row) {
        for (int column = block.left; column <= block.right; ++column) {
            text += table.cell(column, row);
            text += kTab;
        }
        EndRow(text, block.left <= block.right);
    }
    return text;
}
