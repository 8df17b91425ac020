#pragma once
// libxlsxwriter stages every part of a workbook in temporary files and does not notice when
// writing one of them fails: a lasting failure (a full disk, a file size limit) leaves a
// cut-off part, a passing one (a write that fails once) a part with a piece missing from its
// middle, and either way it zips what it has and reports success. This check reads the
// finished package back so such a workbook is never put in place of the user's file.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

/// The cells a worksheet was given, in the order they were written (row by row, left to
/// right), each with the UTF-8 text handed to the writer.
class WrittenCells {
public:
    virtual ~WrittenCells() = default;
    /// The next cell given a text: zero-based row and column and the text, up to its first
    /// NUL as a C string ends there, valid until the next call. False after the last.
    virtual bool next(int& row, int& column, QByteArrayView& text) = 0;
};

/// What the worksheets of a package must hold: `count` sheets, sheet k (0-based, the part
/// xl/worksheets/sheet<k+1>.xml) exactly the cells `cells(k)` gives.
struct ExpectedSheets {
    int count = 0;
    std::function<std::unique_ptr<WrittenCells>(int sheet)> cells;
};

/// Each part of a package by name, with what the cells make taken out of the worksheets: their
/// sheetData element (emptied) and their dimension element. Two workbooks written alike but
/// for their cells have the same frames.
using PackageFrames = std::map<std::string, QByteArray>;

/// Whether every entry of the zip package at `path` inflates to its recorded size and
/// checksum and every XML part is well-formed, and, when `sheets` is given, whether the
/// worksheets hold exactly the cells written to them. With `frames`, fills in the package's
/// frames. `why` says what was wrong.
bool PackageComplete(const QString& path, QString* why = nullptr, const ExpectedSheets* sheets = nullptr,
                     PackageFrames* frames = nullptr);
