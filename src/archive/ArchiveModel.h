#pragma once
// The item model through which the main window's view shows ArchiveTable. It reads the
// table's cells on demand (no copy, no item per cell), so a view over 100,000+ rows opens
// at once, and it is the way every change of the table reaches the views.
#include "ArchiveTable.h"

#include <QAbstractTableModel>

#include <optional>
#include <span>

class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// `table` belongs to the caller and must outlive the model.
    explicit ArchiveModel(ArchiveTable* table, QObject* parent = nullptr);

    const ArchiveTable& table() const { return *table_; }

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
    ArchiveTable* table_;
};
