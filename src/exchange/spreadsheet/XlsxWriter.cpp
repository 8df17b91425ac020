#include "XlsxWriter.h"

#include "PackageCheck.h"
#include "SheetLayout.h"
#include "archive/ArchiveTable.h"

#include <QFile>
#include <QStringEncoder>

#include <xlsxwriter.h>

#include <cstring>
#include <ctime>
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

// The cells of one sheet as WriteXlsx hands them to libxlsxwriter, for reading them back.
class SheetCells : public WrittenCells {
public:
    SheetCells(const ArchiveTable& table, const SheetBlock& block) : table_(table), block_(block) {}

    bool next(int& row, int& column, QByteArrayView& text) override
    {
        for (; j_ < block_.rowCount; ++j_, c_ = 0) {
            while (c_ < table_.columnCount()) {
                const int c = c_++;
                const QString& cell = table_.cell(c, block_.firstRow + j_);
                if (cell.isEmpty()) continue;
                const char* given = utf8_(cell);
                if (*given == '\0') continue; // libxlsxwriter leaves the cell blank
                row = j_;
                column = c;
                text = QByteArrayView(given, qsizetype(std::strlen(given)));
                return true;
            }
        }
        return false;
    }

private:
    const ArchiveTable& table_;
    const SheetBlock block_;
    Utf8Buffer utf8_;
    int j_ = 0, c_ = 0;
};

// Writes the table's workbook, or with `cells` false the same workbook with no cells: the
// same sheets, columns, styles and properties, to compare the rest of a written one with.
SpreadsheetResult WriteBook(const ArchiveTable& table, const std::vector<SheetBlock>& blocks,
                            const std::vector<std::vector<double>>& widths, std::time_t created,
                            const QString& path, bool cells)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray nativePath = QFile::encodeName(path);
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(nativePath.constData(), &options));
    if (!book) return {SpreadsheetStatus::WriteFailed, QStringLiteral("cannot create the workbook")};
    lxw_doc_properties properties{};
    properties.created = created;
    if (lxw_error e = workbook_set_properties(book.get(), &properties)) return Failed("properties", e);

    lxw_format* centred = workbook_add_format(book.get());
    format_set_align(centred, LXW_ALIGN_CENTER);

    const int columns = table.columnCount();
    Utf8Buffer utf8;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const SheetBlock& block = blocks[k];
        lxw_worksheet* sheet = workbook_add_worksheet(book.get(), utf8(block.name));
        if (!sheet) return {SpreadsheetStatus::WriteFailed, QStringLiteral("bad sheet name ") + block.name};

        // The written block spans one column more than the table; it is centred like the
        // rest. Widths go first: with rows streamed to disk nothing may come back to them.
        for (int c = 0; c <= columns && c < LXW_COL_MAX; ++c) {
            if (lxw_error e = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c),
                                                   widths[k][std::size_t(c)], centred))
                return Failed("column", e);
        }
        for (int j = 0; cells && j < block.rowCount; ++j) {
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
    return {};
}

std::vector<std::vector<double>> BlockWidths(const ArchiveTable& table, const std::vector<SheetBlock>& blocks)
{
    std::vector<std::vector<double>> widths;
    for (const SheetBlock& block : blocks) widths.push_back(WrittenBlockWidths(table, block));
    return widths;
}

// Checks the workbook at `path` against the table and against `framePath`, the same
// workbook written with no cells.
bool Holds(const ArchiveTable& table, const std::vector<SheetBlock>& blocks, const QString& path,
           const QString& framePath, QString* why)
{
    PackageFrames expectedFrames, frames;
    if (!PackageComplete(framePath, why, nullptr, &expectedFrames)) return false;
    const ExpectedSheets expected{int(blocks.size()), [&](int k) -> std::unique_ptr<WrittenCells> {
                                      return std::make_unique<SheetCells>(table, blocks[std::size_t(k)]);
                                  }};
    if (!PackageComplete(path, why, &expected, &frames)) return false;
    for (const auto& [name, frame] : frames) {
        const auto other = expectedFrames.find(name);
        if (other == expectedFrames.end() || other->second != frame) {
            if (why) *why = QStringLiteral("part differs: ") + QString::fromStdString(name);
            return false;
        }
    }
    if (frames.size() != expectedFrames.size()) {
        if (why) *why = QStringLiteral("a part is missing");
        return false;
    }
    return true;
}

// Reads the workbook at `path` back: its cells against the table, the rest against the same
// workbook written with no cells beside it for the purpose.
SpreadsheetResult ReadBack(const ArchiveTable& table, const std::vector<SheetBlock>& blocks,
                           const std::vector<std::vector<double>>& widths, std::time_t created,
                           const QString& path)
{
    const QString framePath = path + QStringLiteral(".frame");
    SpreadsheetResult result = WriteBook(table, blocks, widths, created, framePath, false);
    if (QString why; result.ok() && !Holds(table, blocks, path, framePath, &why))
        result = {SpreadsheetStatus::WriteFailed, why};
    QFile::remove(framePath);
    return result;
}

} // namespace

SpreadsheetResult WriteXlsx(const ArchiveTable& table, const QString& sheetTitle, const QString& path,
                            std::time_t created)
{
    if (created == 0) created = std::time(nullptr);
    const std::vector<SheetBlock> blocks = LayoutSheets(table.rowCount(), sheetTitle);
    const std::vector<std::vector<double>> widths = BlockWidths(table, blocks);
    if (SpreadsheetResult r = WriteBook(table, blocks, widths, created, path, true); !r.ok()) return r;
    // libxlsxwriter does not see its own failed writes.
    return ReadBack(table, blocks, widths, created, path);
}

bool XlsxHoldsTable(const ArchiveTable& table, const QString& sheetTitle, const QString& path,
                    std::time_t created, QString* why)
{
    const std::vector<SheetBlock> blocks = LayoutSheets(table.rowCount(), sheetTitle);
    const SpreadsheetResult result = ReadBack(table, blocks, BlockWidths(table, blocks), created, path);
    if (!result.ok() && why) *why = result.detail;
    return result.ok();
}
