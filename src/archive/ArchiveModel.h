#pragma once
// The item model through which the main window's view shows ArchiveTable. It owns the
// table and reads its cells on demand (no copy, no item per cell), so a view over 100,000+
// rows opens at once, and it is the way every change of the table reaches the views.
#include "ArchiveTable.h"

#include <QAbstractTableModel>

#include <optional>
#include <span>

class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Starts with the start-up table (header and empty rows).
    explicit ArchiveModel(QObject* parent = nullptr);
    explicit ArchiveModel(ArchiveTable table, QObject* parent = nullptr);

    const ArchiveTable& table() const { return table_; }

    // Model rows are the table's data rows 1..R-1; the horizontal header is row 0 and the
    // vertical header column 0.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// Column 0 (the record numbers) is shown but cannot be selected; nothing is editable.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void fillFromRecords(std::span<const ArchiveRecord> records, int lang,
                         const ObjectNameList& names = DefaultObjectNames());
    void setHeader(int lang);
    /// Cells change in place: a selection stays on the same positions, as in a grid.
    std::optional<SortError> sortByColumn(int column, int direction);
    /// Puts an opened project's table in place of the current one.
    void replaceTable(ArchiveTable table);

private:
    ArchiveTable table_;
};

/// Whether the table holds archive rows: its first data cell, the number of the first record,
/// is filled. The start-up table and a read that stopped at its first record have none. Every
/// command that needs data asks this, the copy commands included: RecordCount is no guide,
/// as it keeps the count the instrument announced when a read stops short.
bool HasArchiveRows(const ArchiveTable& table);
