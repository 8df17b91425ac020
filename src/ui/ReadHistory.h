#pragma once
// The read history: every archive read that brought records is kept as a project file in the
// program's data folder, so that a read the user never saved survives the program's end.
// The files are named after the moment of the read and the oldest go once the history
// holds more reads or more bytes than its limits allow. QtCore only.
#include "archive/ArchiveTable.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct HistoryLimits {
    int reads = 200;
    qint64 bytes = qint64(200) * 1024 * 1024;
};

/// One file of the history folder as the menu lists it.
struct HistoryEntry {
    QString path;
    QDateTime when;       ///< the moment in the file's name, else its modification time
    bool damaged = false; ///< not a project the program can open
    int records = 0;      ///< the table's data rows
    QStringList objects;  ///< the objects' names, in the order they first appear
};

/// "yyyy-MM-dd_HH-mm-ss.ar" for the read at `when`.
QString HistoryFileName(const QDateTime& when);
/// The moment a history file name stands for; invalid for any other name.
QDateTime HistoryFileTime(const QString& fileName);
/// The menu line of `entry` in language `lang`.
QString HistoryEntryText(const HistoryEntry& entry, int lang);

class ReadHistory {
public:
    /// `reads` under the program's data folder.
    static QString DefaultFolder();

    explicit ReadHistory(QString folder = DefaultFolder(), HistoryLimits limits = {});

    const QString& folder() const { return folder_; }
    void setFolder(const QString& folder) { folder_ = folder; }
    void setLimits(HistoryLimits limits) { limits_ = limits; }

    /// Writes `table` as the read at `now`, then removes the oldest reads beyond the limits
    /// (never the one just written). On failure nothing of the history changes and `why`
    /// says what failed.
    bool keep(const ArchiveTable& table, const QDateTime& now, QString* why = nullptr);

    /// The files of the folder ending in ".ar", newest first. A file is read only when it
    /// is new or has changed since the last listing.
    QList<HistoryEntry> entries();

private:
    void prune(const QString& kept);

    struct Cached {
        qint64 size = -1;
        QDateTime modified;
        HistoryEntry entry;
    };
    QString folder_;
    HistoryLimits limits_;
    QHash<QString, Cached> cache_;
};
