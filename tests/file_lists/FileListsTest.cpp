// The read history's files and limits, the recent project list and what a drop may carry.
#include "app/SessionMemory.h"
#include "archive/ArchiveModel.h"
#include "exchange/project/ProjectFile.h"
#include "support/FileSizeLimit.h"
#include "texts/Texts.h"
#include "ui/ReadHistory.h"
#include "ui/RecentProjects.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace {

QByteArray ReadFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// `records` rows of the objects named, one after the other.
ArchiveTable Survey(int records, const QStringList& objects = {QStringLiteral("Мост")})
{
    ArchiveTable t(kArchiveColumns, records + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= records; ++r) {
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, objects[(r - 1) % objects.size()]);
        t.setCell(4, r, QString::number(-10 * r));
    }
    return t;
}

QStringList Names(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*")}, QDir::Files, QDir::Name);
}

const QDateTime kMorning(QDate(2026, 12, 11), QTime(9, 42, 17));

TEST(HistoryNames, NamesAreMomentsAndOnlyOurNamesCount)
{
    EXPECT_EQ(HistoryFileName(kMorning), QStringLiteral("2026-12-11_09-42-17.ar"));
    EXPECT_EQ(HistoryFileTime(QStringLiteral("2026-12-11_09-42-17.ar")), kMorning);
    EXPECT_EQ(HistoryFileTime(QStringLiteral("2026-12-11_09-42-17_3.ar")), kMorning);
    for (const char* foreign :
         {"Arhive.ar", "2026-12-11_09-42-17.xlsx", "2026-12-11_09-42-17_x.ar", "2026-12-11_09-42-17-3.ar",
          "2026-13-11_09-42-17.ar", "2026-12-11_09-42-17_.ar"})
        EXPECT_FALSE(HistoryFileTime(QString::fromLatin1(foreign)).isValid()) << foreign;
}

class History : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.filePath(QStringLiteral("reads")); }
};

TEST_F(History, AKeptReadIsTheProjectFileOfTheTable)
{
    ReadHistory history(folder());
    const ArchiveTable table = Survey(7, {QStringLiteral("Мост"), QStringLiteral("Тоннель")});
    ASSERT_TRUE(history.keep(table, kMorning));
    const QString saved = dir.filePath(QStringLiteral("saved.ar"));
    ASSERT_EQ(saveProject(table, saved), ProjectStatus::Ok);
    EXPECT_EQ(Names(folder()), QStringList{QStringLiteral("2026-12-11_09-42-17.ar")});
    EXPECT_EQ(ReadFile(QDir(folder()).filePath(QStringLiteral("2026-12-11_09-42-17.ar"))), ReadFile(saved));

    // A second read within the same second is kept beside the first, not over it.
    ASSERT_TRUE(history.keep(Survey(2), kMorning));
    EXPECT_EQ(Names(folder()), (QStringList{QStringLiteral("2026-12-11_09-42-17.ar"),
                                            QStringLiteral("2026-12-11_09-42-17_2.ar")}));
    EXPECT_EQ(ReadFile(QDir(folder()).filePath(QStringLiteral("2026-12-11_09-42-17.ar"))), ReadFile(saved));
}

TEST_F(History, TheTwoHundredAndFirstReadRemovesTheOldest)
{
    ReadHistory history(folder()); // the limits the program runs with
    const ArchiveTable table = Survey(1);
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(history.keep(table, kMorning.addSecs(i)));
    ASSERT_EQ(Names(folder()).size(), 200);
    EXPECT_EQ(Names(folder()).constFirst(), HistoryFileName(kMorning));

    ASSERT_TRUE(history.keep(table, kMorning.addSecs(200)));
    const QStringList names = Names(folder());
    EXPECT_EQ(names.size(), 200);
    EXPECT_EQ(names.constFirst(), HistoryFileName(kMorning.addSecs(1)));
    EXPECT_EQ(names.constLast(), HistoryFileName(kMorning.addSecs(200)));
}

TEST_F(History, TheByteLimitRemovesOldestButNeverTheNewReadNorForeignFiles)
{
    const ArchiveTable table = Survey(50);
    const qint64 size = projectBytes(table).size();
    ReadHistory history(folder(), HistoryLimits{200, size * 5 / 2});
    ASSERT_TRUE(QDir().mkpath(folder()));
    WriteFile(QDir(folder()).filePath(QStringLiteral("mine.ar")), QByteArray(size * 10, 'x'));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(history.keep(table, kMorning.addSecs(i)));
    EXPECT_EQ(Names(folder()),
              (QStringList{HistoryFileName(kMorning.addSecs(2)), HistoryFileName(kMorning.addSecs(3)),
                           QStringLiteral("mine.ar")}));

    // A read larger than the whole allowance is still kept; everything older goes.
    ASSERT_TRUE(history.keep(Survey(200), kMorning.addSecs(9)));
    EXPECT_EQ(Names(folder()),
              (QStringList{HistoryFileName(kMorning.addSecs(9)), QStringLiteral("mine.ar")}));
}

TEST_F(History, AFolderThatCannotTakeTheReadLeavesTheHistoryAsItWas)
{
    ReadHistory history(folder());
    ASSERT_TRUE(history.keep(Survey(3), kMorning));
    const QByteArray before = ReadFile(QDir(folder()).filePath(HistoryFileName(kMorning)));
    QString why;
    {
        FileSizeLimit full(64);
        EXPECT_FALSE(history.keep(Survey(300), kMorning.addSecs(1), &why));
    }
    EXPECT_TRUE(why.contains(HistoryFileName(kMorning.addSecs(1)))) << why.toStdString();
    EXPECT_EQ(Names(folder()), QStringList{HistoryFileName(kMorning)}) << "no partial file, no temporary";
    EXPECT_EQ(ReadFile(QDir(folder()).filePath(HistoryFileName(kMorning))), before);

    // A folder that cannot be made at all: a file stands where it would go.
    WriteFile(dir.filePath(QStringLiteral("plain")), "x");
    ReadHistory blocked(dir.filePath(QStringLiteral("plain/reads")));
    why.clear();
    EXPECT_FALSE(blocked.keep(Survey(3), kMorning, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("plain"))) << why.toStdString();
}

TEST_F(History, AReadOnlyFolderRefusesTheReadAndKeepsItsFiles)
{
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    ReadHistory history(folder());
    ASSERT_TRUE(history.keep(Survey(3), kMorning));
    ASSERT_TRUE(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
    QString why;
    EXPECT_FALSE(history.keep(Survey(3), kMorning.addSecs(1), &why));
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(Names(folder()), QStringList{HistoryFileName(kMorning)});
}

TEST_F(History, EntriesAreNewestFirstWithCountsNamesAndDamage)
{
    ReadHistory history(folder());
    ASSERT_TRUE(history.keep(Survey(4, {QStringLiteral("Мост"), QStringLiteral("Тоннель")}), kMorning));
    ASSERT_TRUE(history.keep(Survey(2, {QStringLiteral("Плита")}), kMorning.addSecs(60)));
    // Damaged files of every kind the reader refuses, one a real read cut short.
    QByteArray cut = ReadFile(QDir(folder()).filePath(HistoryFileName(kMorning)));
    cut.chop(5);
    QByteArray huge(8, '\0');
    huge[0] = char(0xFF), huge[1] = char(0xFF), huge[2] = char(0xFF), huge[3] = char(0x7F), huge[4] = 1;
    QByteArray negative = QByteArray::fromHex("01000000010000"
                                              "00ffffffff");
    const std::pair<const char*, QByteArray> damaged[] = {{"2026-12-10_08-00-00.ar", {}},
                                                          {"2026-12-10_08-00-01.ar", "abc"},
                                                          {"2026-12-10_08-00-02.ar", huge},
                                                          {"2026-12-10_08-00-03.ar", negative},
                                                          {"2026-12-10_08-00-04.ar", cut}};
    for (const auto& [name, bytes] : damaged) WriteFile(QDir(folder()).filePath(QLatin1String(name)), bytes);

    const QList<HistoryEntry> entries = history.entries();
    ASSERT_EQ(entries.size(), 7);
    EXPECT_EQ(entries[0].when, kMorning.addSecs(60));
    EXPECT_FALSE(entries[0].damaged);
    EXPECT_EQ(entries[0].records, 2);
    EXPECT_EQ(entries[0].objects, QStringList{QStringLiteral("Плита")});
    EXPECT_EQ(entries[1].records, 4);
    EXPECT_EQ(entries[1].objects, (QStringList{QStringLiteral("Мост"), QStringLiteral("Тоннель")}));
    for (int i = 2; i < 7; ++i) {
        EXPECT_TRUE(entries[i].damaged) << damaged[6 - i].first;
        EXPECT_EQ(entries[i].when.time(), QTime(8, 0, 6 - i));
    }

    // A file that changes is read again.
    WriteFile(QDir(folder()).filePath(HistoryFileName(kMorning.addSecs(60))), "bad");
    EXPECT_TRUE(history.entries()[0].damaged);
}

TEST(HistoryTexts, AMenuLineNamesTheMomentTheCountAndTheObjects)
{
    HistoryEntry entry;
    entry.when = kMorning;
    entry.records = 1760;
    entry.objects = {QStringLiteral("Мост"), QStringLiteral("Тоннель")};
    EXPECT_EQ(HistoryEntryText(entry, 0),
              QStringLiteral("2026-12-11 09:42:17 — записей: 1760 — Мост, Тоннель"));
    EXPECT_EQ(HistoryEntryText(entry, 1),
              QStringLiteral("2026-12-11 09:42:17 — records: 1760 — Мост, Тоннель"));
    entry.objects << QStringLiteral("Плита") << QStringLiteral("Стена");
    EXPECT_EQ(HistoryEntryText(entry, 1),
              QStringLiteral("2026-12-11 09:42:17 — records: 1760 — Мост, Тоннель, Плита, …"));
    entry.objects.clear();
    EXPECT_EQ(HistoryEntryText(entry, 1), QStringLiteral("2026-12-11 09:42:17 — records: 1760"));
    entry.damaged = true;
    EXPECT_EQ(HistoryEntryText(entry, 0), QStringLiteral("2026-12-11 09:42:17 — файл повреждён"));
}

TEST(RecentList, NewestFirstOnceAndAtMostTen)
{
    QStringList list;
    for (int i = 0; i < 12; ++i) list = WithRecent(list, QStringLiteral("/p/%1.ar").arg(i));
    ASSERT_EQ(list.size(), 10);
    EXPECT_EQ(list.constFirst(), QStringLiteral("/p/11.ar"));
    EXPECT_EQ(list.constLast(), QStringLiteral("/p/2.ar"));
    list = WithRecent(list, QStringLiteral("/p/../p/5.ar"));
    EXPECT_EQ(list.size(), 10);
    EXPECT_EQ(list.constFirst(), QStringLiteral("/p/5.ar"));
    EXPECT_EQ(list.count(QStringLiteral("/p/5.ar")), 1);
}

TEST(RecentList, KeptForTheRunOnlyAndMissingFilesCanBeRemoved)
{
    SessionMemory::clear();
    QTemporaryDir dir;
    const QString present = dir.filePath(QStringLiteral("present.ar"));
    const QString gone = dir.filePath(QStringLiteral("gone.ar"));
    WriteFile(present, "x");
    AddRecentProject(gone);
    AddRecentProject(present);
    EXPECT_EQ(RecentProjects(), (QStringList{present, gone}));
    RemoveMissingRecentProjects();
    EXPECT_EQ(RecentProjects(), QStringList{present});
    // Every start begins from the same defaults: the list is written nowhere (the test main
    // points the configuration folder at a scratch folder of this run).
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_FALSE(config.startsWith(QDir::homePath() + QStringLiteral("/.config"))) << config.toStdString();
    EXPECT_TRUE(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty())
        << QDir(config).entryList().join(QLatin1Char(' ')).toStdString();
    SessionMemory::clear();
    EXPECT_TRUE(RecentProjects().isEmpty());
}

TEST(ProjectDrop, OnlyOneLocalProjectFileIsTaken)
{
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("Survey.AR"));
    struct Case {
        const char* what;
        QList<QUrl> urls;
        QString text;
        QString taken;
    };
    const Case cases[] = {
        {"one project", {QUrl::fromLocalFile(project)}, {}, project},
        {"another extension", {QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.xlsx")))}, {}, {}},
        {"two projects", {QUrl::fromLocalFile(project), QUrl::fromLocalFile(project)}, {}, {}},
        {"a web address", {QUrl(QStringLiteral("https://example.com/a.ar"))}, {}, {}},
        {"a folder named .ar", {QUrl::fromLocalFile(dir.path() + QStringLiteral(".ar"))}, {}, {}},
        {"plain text", {}, project, {}},
    };
    ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral(".ar")));
    for (const Case& c : cases) {
        QMimeData data;
        if (!c.urls.isEmpty()) data.setUrls(c.urls);
        if (!c.text.isEmpty()) data.setText(c.text);
        EXPECT_EQ(DroppedProject(data), c.taken) << c.what;
    }
    QDir(dir.path() + QStringLiteral(".ar")).removeRecursively();
}

} // namespace
