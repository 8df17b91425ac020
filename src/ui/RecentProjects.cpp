#include "RecentProjects.h"

#include "app/SessionMemory.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

const QString kKey = QStringLiteral("RecentProjects");

void Store(const QStringList& list) { SessionMemory::setValue(kKey, list); }

} // namespace

QStringList WithRecent(QStringList list, const QString& path, int limit)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    list.removeAll(absolute);
    list.prepend(absolute);
    if (list.size() > limit) list.resize(limit);
    return list;
}

QStringList RecentProjects()
{
    QStringList list = SessionMemory::value(kKey).toStringList();
    list.removeAll(QString());
    list.removeDuplicates();
    if (list.size() > kRecentProjects) list.resize(kRecentProjects);
    return list;
}

void AddRecentProject(const QString& path) { Store(WithRecent(RecentProjects(), path)); }

void RemoveMissingRecentProjects()
{
    QStringList list = RecentProjects();
    list.removeIf([](const QString& path) { return !QFileInfo::exists(path); });
    Store(list);
}

QString DroppedProject(const QMimeData& data)
{
    if (!data.hasUrls()) return {};
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    if (!path.endsWith(QLatin1String(".ar"), Qt::CaseInsensitive)) return {};
    if (QFileInfo(path).isDir()) return {};
    return path;
}
