#include "ArchiveModel.h"

#include <utility>

ArchiveModel::ArchiveModel(QObject* parent) : QAbstractTableModel(parent) {}

ArchiveModel::ArchiveModel(ArchiveTable table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table))
{
}

int ArchiveModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return std::max(table_.rowCount() - 1, 0);
}

int ArchiveModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return table_.columnCount();
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !checkIndex(index)) return {};
    return table_.cell(index.column(), index.row() + 1);
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Horizontal) {
        if (section >= table_.columnCount()) return {};
        return table_.cell(section, 0);
    }
    if (section >= rowCount()) return {};
    return table_.cell(0, section + 1);
}

Qt::ItemFlags ArchiveModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index)) return Qt::NoItemFlags;
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ArchiveModel::fillFromRecords(std::span<const ArchiveRecord> records, int lang,
                                   const ObjectNameList& names)
{
    beginResetModel();
    table_.fillFromRecords(records, lang, names);
    endResetModel();
}

void ArchiveModel::setHeader(int lang)
{
    table_.setHeader(lang);
    if (table_.columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, table_.columnCount() - 1);
}

std::optional<SortError> ArchiveModel::sortByColumn(int column, int direction)
{
    auto error = table_.sortByColumn(column, direction);
    const int rows = rowCount();
    const int columns = columnCount();
    if (!error && rows > 0 && columns > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1), {Qt::DisplayRole});
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    }
    return error;
}

void ArchiveModel::replaceTable(ArchiveTable table)
{
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

bool HasArchiveRows(const ArchiveTable& table) { return !table.cell(0, 1).isEmpty(); }
