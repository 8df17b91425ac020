#include "FileMenus.h"

#include "ReadHistory.h"
#include "RecentProjects.h"
#include "texts/Texts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

namespace {

// A file name or object name in a menu item shows its '&' instead of taking it as a mnemonic.
QString Literal(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

} // namespace

void FillRecentMenu(QMenu& menu, int lang, const OpenFile& open)
{
    menu.clear();
    const QStringList recent = RecentProjects();
    bool missing = false;
    for (const QString& path : recent) {
        QAction* item = menu.addAction(Literal(QDir::toNativeSeparators(path)));
        item->setEnabled(QFileInfo::exists(path));
        missing |= !item->isEnabled();
        QObject::connect(item, &QAction::triggered, &menu, [open, path] { open(path); });
    }
    if (recent.isEmpty()) menu.addAction(HistoryText::Empty[lang])->setEnabled(false);
    if (missing) {
        menu.addSeparator();
        QAction* remove = menu.addAction(HistoryText::RemoveMissing[lang]);
        remove->setObjectName(QStringLiteral("RemoveMissing"));
        QObject::connect(remove, &QAction::triggered, &menu, [] { RemoveMissingRecentProjects(); });
    }
}

void FillHistoryMenu(QMenu& menu, ReadHistory& history, int lang, const OpenFile& open,
                     const std::function<void(const QUrl&)>& showFolder)
{
    menu.clear();
    const QList<HistoryEntry> entries = history.entries();
    for (const HistoryEntry& entry : entries) {
        QAction* item = menu.addAction(Literal(HistoryEntryText(entry, lang)));
        item->setEnabled(!entry.damaged);
        item->setToolTip(QDir::toNativeSeparators(entry.path));
        const QString path = entry.path;
        QObject::connect(item, &QAction::triggered, &menu, [open, path] { open(path); });
    }
    if (entries.isEmpty()) menu.addAction(HistoryText::Empty[lang])->setEnabled(false);
    menu.addSeparator();
    QAction* folder = menu.addAction(HistoryText::OpenFolder[lang]);
    folder->setObjectName(QStringLiteral("OpenHistoryFolder"));
    const QString where = history.folder();
    QObject::connect(folder, &QAction::triggered, &menu, [showFolder, where] {
        QDir().mkpath(where); // a folder the file manager can show even before the first read
        showFolder(QUrl::fromLocalFile(where));
    });
}
