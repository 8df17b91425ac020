#include "ReadHistory.h"

#include "archive/ArchiveModel.h"
#include "exchange/project/ProjectFile.h"
#include "texts/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

// Our files by name, oldest first: the names are moments, and a second read within the same
// second gets "_2", "_3" ... after its moment, which sorts after the plain name.
QFileInfoList OwnFiles(const QString& folder)
{
    QFileInfoList files;
    for (const QFileInfo& info :
         QDir(folder).entryInfoList({QStringLiteral("*.ar")}, QDir::Files, QDir::Name))
        if (HistoryFileTime(info.fileName()).isValid()) files << info;
    return files;
}

void CountRecords(const ArchiveTable& table, HistoryEntry& entry)
{
    if (!HasArchiveRows(table)) return;
    entry.records = table.rowCount() - 1;
    if (table.columnCount() > 1)
        for (int r = 1; r < table.rowCount(); ++r) {
            const QString name = table.cell(1, r).trimmed();
            if (!name.isEmpty() && !entry.objects.contains(name)) entry.objects << name;
        }
}

HistoryEntry Summarise(const QFileInfo& info)
{
    HistoryEntry entry;
    entry.path = info.absoluteFilePath();
    entry.when = HistoryFileTime(info.fileName());
    if (!entry.when.isValid()) entry.when = info.lastModified();
    ArchiveTable table(1, 1);
    if (openProject(table, entry.path) == ProjectStatus::Ok)
        CountRecords(table, entry);
    else
        entry.damaged = true;
    return entry;
}

} // namespace

QString HistoryFileName(const QDateTime& when) { return when.toString(kStamp) + QStringLiteral(".ar"); }

QDateTime HistoryFileTime(const QString& fileName)
{
    if (!fileName.endsWith(QLatin1String(".ar"))) return {};
    QString stem = fileName.chopped(3);
    if (stem.size() > kStamp.size()) {
        // A later read of the same second: "_" and a number.
        bool number = false;
        if (stem.at(kStamp.size()) != QLatin1Char('_')) return {};
        stem.mid(kStamp.size() + 1).toUInt(&number);
        if (!number) return {};
        stem.truncate(kStamp.size());
    }
    return QDateTime::fromString(stem, kStamp);
}

QString HistoryEntryText(const HistoryEntry& entry, int lang)
{
    const QString when = entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (entry.damaged) return HistoryText::Damaged[lang].arg(when);
    // Up to three names; a menu line is no place for twenty.
    QStringList names = entry.objects.mid(0, 3);
    if (entry.objects.size() > 3) names << QStringLiteral("…");
    QString text =
        HistoryText::Entry[lang].arg(when).arg(entry.records).arg(names.join(QStringLiteral(", ")));
    if (names.isEmpty()) text = text.left(text.lastIndexOf(QStringLiteral(" — ")));
    return text;
}

QString ReadHistory::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/reads");
}

ReadHistory::ReadHistory(QString folder, HistoryLimits limits) : folder_(std::move(folder)), limits_(limits)
{
}

bool ReadHistory::keep(const ArchiveTable& table, const QDateTime& now, QString* why)
{
    const QDir dir(folder_);
    if (!dir.mkpath(QStringLiteral("."))) {
        if (why) *why = QDir::toNativeSeparators(folder_);
        return false;
    }
    QString name = HistoryFileName(now);
    for (int n = 2; dir.exists(name); ++n) name = now.toString(kStamp) + QStringLiteral("_%1.ar").arg(n);
    const QString path = dir.filePath(name);
    if (saveProject(table, path) != ProjectStatus::Ok) {
        if (why) *why = QDir::toNativeSeparators(path);
        return false;
    }
    // The next listing need not read back what was just written.
    const QFileInfo info(path);
    Cached cached{info.size(), info.lastModified(), {}};
    cached.entry.path = info.absoluteFilePath();
    cached.entry.when = HistoryFileTime(name);
    CountRecords(table, cached.entry);
    cache_.insert(cached.entry.path, std::move(cached));
    prune(path);
    return true;
}

void ReadHistory::prune(const QString& kept)
{
    QFileInfoList files = OwnFiles(folder_);
    qint64 total = 0;
    for (const QFileInfo& info : files) total += info.size();
    // Oldest first; the read just written stays even when it alone is over the limit.
    while (!files.isEmpty() && (files.size() > limits_.reads || total > limits_.bytes)) {
        const QFileInfo oldest = files.takeFirst();
        if (oldest.absoluteFilePath() == QFileInfo(kept).absoluteFilePath()) {
            files.append(oldest);
            if (files.size() == 1) break;
            continue;
        }
        if (QFile::remove(oldest.absoluteFilePath()))
            total -= oldest.size();
        else
            break; // a file we cannot remove stops the pruning rather than looping
    }
}

QList<HistoryEntry> ReadHistory::entries()
{
    QList<HistoryEntry> list;
    QHash<QString, Cached> seen;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("*.ar")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QFileInfo& info : files) {
        const QString path = info.absoluteFilePath();
        Cached cached = cache_.value(path);
        if (cached.size != info.size() || cached.modified != info.lastModified()) {
            cached.size = info.size();
            cached.modified = info.lastModified();
            cached.entry = Summarise(info);
        }
        list << cached.entry;
        seen.insert(path, std::move(cached));
    }
    cache_ = std::move(seen);
    // Newest first; the names already are in that order, a foreign name goes by its time.
    std::stable_sort(list.begin(), list.end(),
                     [](const HistoryEntry& a, const HistoryEntry& b) { return a.when > b.when; });
    return list;
}
