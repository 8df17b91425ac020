#pragma once
// The project file: the archive table as a plain dump of its texts.
//   int32 columnCount, int32 rowCount, then columnCount x rowCount cells column by column,
//   each an int32 byte length followed by that many Windows-1251 bytes.
// All integers little-endian. No signature, so a reader has to distrust every count.
#include "archive/ArchiveTable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

enum class ProjectStatus {
    Ok,
    CannotOpen,  ///< the file could not be opened for reading
    CannotWrite, ///< the file could not be created, written or put in place
    Truncated,   ///< the file ends inside the counts or inside a cell
    BadCounts,   ///< a count is below 1 or more than the file's size can hold
    BadLength,   ///< a cell length is negative
};

/// The file's bytes for `table`.
QByteArray projectBytes(const ArchiveTable& table);

/// Writes `table` to `fileName`. The new contents go to a temporary file that replaces the
/// old one only once completely written, so a failed save leaves the previous file intact.
ProjectStatus saveProject(const ArchiveTable& table, const QString& fileName);

/// Reads a project from `bytes` into `table`. Everything is checked before anything is
/// allocated; on failure `table` is left exactly as it was. Bytes after the last cell are
/// ignored.
ProjectStatus parseProject(QByteArrayView bytes, ArchiveTable& table);

/// Reads the project file `fileName` into `table`; on failure `table` is unchanged.
ProjectStatus openProject(ArchiveTable& table, const QString& fileName);
