#pragma once
// Putting a finished QSaveFile in place only once its data is on the disk. QSaveFile syncs
// before it renames, but ignores a failing sync: the user's old file would then be replaced
// by one whose data may never reach the disk. Header only, so that every writer of a user's
// file (project, workbooks, pictures) can use it whatever it is linked into.
#include <QSaveFile>
#include <QString>

#include <unistd.h>

#include <cerrno>
#include <cstring>

/// Flushes, syncs and commits `file`. On any failure the writing is cancelled, the old file
/// stays as it was, `why` (when given) says what failed, and the result is false.
inline bool CommitSynced(QSaveFile& file, QString* why = nullptr)
{
    if (!file.flush()) {
        if (why) *why = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (::fsync(file.handle()) != 0) {
        if (why) *why = QStringLiteral("sync: ") + QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (why) *why = file.errorString();
        return false;
    }
    return true;
}
