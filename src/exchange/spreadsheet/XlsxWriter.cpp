#include "XlsxWriter.h"

#include "PackageCheck.h"
#include "SheetLayout.h"
#include "archive/ArchiveTable.h"

#include <QFile>
#include <QStringEncoder>

#include <xlsxwriter.h>

#include <memory>
#include <string>

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

SpreadsheetResult Failed(const char* what, lxw_error error)
{
    return {SpreadsheetStatus::WriteFailed,
            QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromUtf8(lxw_strerror(error))};
}

// Converts texts to NUL-terminated UTF-8 in one reused buffer: the export converts every
// cell, and a fresh allocation per cell is most of that cost.
class Utf8Buffer {
public:
    const char* operator()(const QString& text)
    {
        buffer_.resize(std::size_t(encoder_.requiredSpace(text.size())) + 1);
        char* end = encoder_.appendToBuffer(buffer_.data(), text);
        *end = '\0';
        return buffer_.data();
    }

private:
    QStringEncoder encoder_{QStringEncoder::Utf8};
    std::string buffer_;
};

} // namespace

SpreadsheetResult WriteXlsx(const ArchiveTable& table, const QString& sheetTitle, const QString& path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray nativePath = QFile::encodeName(path);
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(nativePath.constData(), &options));
    if (!book) return {SpreadsheetStatus::WriteFailed, QStringLiteral("cannot create the workbook")};

    lxw_format* centred = workbook_add_format(book.get());
    format_set_align(centred, LXW_ALIGN_CENTER);

    const int columns = table.columnCount();
    Utf8Buffer utf8;
    for (const SheetBlock& block : LayoutSheets(table.rowCount(), sheetTitle)) {
        lxw_worksheet* sheet = workbook_add_worksheet(book.get(), utf8(block.name));
        if (!sheet) return {SpreadsheetStatus::WriteFailed, QStringLiteral("bad sheet name ") + block.name};

        // The written block spans one column more than the table; it is centred like the
        // rest. Widths go first: with rows streamed to disk nothing may come back to them.
        const std::vector<double> widths = WrittenBlockWidths(table, block);
        for (int c = 0; c <= columns && c < LXW_COL_MAX; ++c) {
            if (lxw_error e =
                    worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[std::size_t(c)], centred))
                return Failed("column", e);
        }
        for (int j = 0; j < block.rowCount; ++j) {
            const int row = block.firstRow + j;
            for (int c = 0; c < columns; ++c) {
                const QString& text = table.cell(c, row);
                if (text.isEmpty()) continue; // an empty text leaves the cell blank
                if (lxw_error e =
                        worksheet_write_string(sheet, lxw_row_t(j), lxw_col_t(c), utf8(text), centred))
                    return Failed("cell", e);
            }
        }
    }
    lxw_error e = workbook_close(book.release());
    if (e != LXW_NO_ERROR) return Failed("save", e);
    if (QString why; !PackageComplete(path, &why)) return {SpreadsheetStatus::WriteFailed, why};
    return {};
}
