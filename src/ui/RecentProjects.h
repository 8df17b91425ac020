#pragma once
// The projects the user opened or saved last in this run, and the one project a drop
// on the main window may carry. QtCore only.
#include <QString>
#include <QStringList>

class QMimeData;

inline constexpr int kRecentProjects = 10;

/// `list` with `path` in front, once, and at most `limit` names.
QStringList WithRecent(QStringList list, const QString& path, int limit = kRecentProjects);

/// The recent projects, newest first.
QStringList RecentProjects();
/// Puts `path` in front of the recent projects.
void AddRecentProject(const QString& path);
/// Leaves out the recent projects whose files no longer exist.
void RemoveMissingRecentProjects();

/// The project file a drop carries: one local file whose name ends in ".ar" (in any case).
/// Empty for anything else.
QString DroppedProject(const QMimeData& data);
