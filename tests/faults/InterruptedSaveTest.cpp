// Saves that fail half way: every call that writes, syncs or moves the file is made to fail
// in turn (the write-fault shim, preloaded), and a disk fills up for real (a small tmpfs).
// Whatever fails, the file the user had stays as it was, no half-written file or scratch
// file is left behind, and the save says it failed.
#include "app/SharedState.h"
#include "archive/ArchiveTable.h"
#include "exchange/project/ProjectFile.h"
#include "exchange/spreadsheet/SpreadsheetExport.h"
#include "screenshot/ScreenPicture.h"
#include "texts/Texts.h"
#include "ui/ModalAnswers.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/mount.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

namespace {

using Arm = void (*)(long, int, int);
using Count = long (*)();

struct Shim {
    Arm arm = reinterpret_cast<Arm>(dlsym(RTLD_DEFAULT, "lm11_shim_arm"));
    void (*disarm)() = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "lm11_shim_disarm"));
    Count calls = reinterpret_cast<Count>(dlsym(RTLD_DEFAULT, "lm11_shim_calls"));
    Count failures = reinterpret_cast<Count>(dlsym(RTLD_DEFAULT, "lm11_shim_failures"));
    Count lostSync = reinterpret_cast<Count>(dlsym(RTLD_DEFAULT, "lm11_shim_lost_sync"));
    bool loaded() const { return arm && disarm && calls && failures && lostSync; }
};

// The shim must be in place before the process starts; without it the test runs itself
// again with the shim preloaded and reports what that run reports.
void RunUnderShim()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", LM11_WRITE_FAULT_SHIM);
    // The sanitizers' runtimes want to be first in the list; the shim only adds calls.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + " verify_asan_link_order=0");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("/proc/self/exe"),
                {QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(child.waitForFinished(240000)) << "the run under the shim did not end";
    const QByteArray out = child.readAll();
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << "the run under the shim crashed";
    EXPECT_EQ(child.exitCode(), 0) << "the run under the shim failed";
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << "the run under the shim ran nothing";
}

ArchiveTable Table(int rows, const QString& word)
{
    ArchiveTable t(kArchiveColumns, rows + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < kArchiveColumns; ++c)
            t.setCell(c, r, QStringLiteral("%1 %2 Объект %3").arg(word).arg(r).arg(c));
    return t;
}

/// A display picture that differs with the table, so that an old and a new one differ.
QImage PictureOf(const ArchiveTable& t)
{
    std::array<uint8_t, kScreenBlockSize> block{};
    for (std::size_t k = 0; k < block.size(); ++k) block[k] = uint8_t(k * 7 + std::size_t(t.rowCount()) * 13);
    return PaintScreenMatrix(BuildScreenMatrix(block), Qt::black, Qt::white);
}

struct Writer {
    const char* name;
    const char* suffix;
    std::function<bool(const ArchiveTable&, const QString&)> save;
};

const std::vector<Writer>& Writers()
{
    static const std::vector<Writer> writers{
        {"project file", ".ar",
         [](const ArchiveTable& t, const QString& path) {
             return saveProject(t, path) == ProjectStatus::Ok;
         }},
        {"Excel 2007 workbook", ".xlsx",
         [](const ArchiveTable& t, const QString& path) {
             return exportToSpreadsheet(t, QStringLiteral("Архив измерений "), path).ok();
         }},
        {"Excel 2003 workbook", ".xls",
         [](const ArchiveTable& t, const QString& path) {
             return exportToSpreadsheet(t, QStringLiteral("Архив измерений "), path).ok();
         }},
        {"screenshot bitmap", ".bmp",
         [](const ArchiveTable& t, const QString& path) { return SaveScreenPicture(PictureOf(t), path); }},
    };
    return writers;
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The parts of a zip package with their checksums, from its central directory; the
// package's creation time (docProps/core.xml) is left out, as two saves of one table
// differ only there.
std::map<std::string, uint32_t> ZipParts(const QByteArray& zip)
{
    std::map<std::string, uint32_t> parts;
    const auto u16 = [&zip](qsizetype at) {
        return uint32_t(uint8_t(zip[at])) | uint32_t(uint8_t(zip[at + 1])) << 8;
    };
    const auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    const qsizetype end = zip.size() - 22;
    if (end < 0 || u32(end) != 0x06054b50) return parts;
    qsizetype at = u32(end + 16);
    for (uint32_t i = 0, n = u16(end + 10); i < n && at + 46 <= zip.size() && u32(at) == 0x02014b50; ++i) {
        const uint32_t nameLength = u16(at + 28);
        const std::string name = zip.mid(at + 46, nameLength).toStdString();
        if (name != "docProps/core.xml") parts[name] = u32(at + 16);
        at += 46 + nameLength + u16(at + 30) + u16(at + 32);
    }
    return parts;
}

/// The parts of two zip packages that differ, for the failure message.
std::string DifferingParts(const QByteArray& a, const QByteArray& b)
{
    std::string names;
    auto pa = ZipParts(a), pb = ZipParts(b);
    for (const auto& [name, crc] : pa)
        if (!pb.count(name) || pb[name] != crc) names += " " + name;
    for (const auto& [name, crc] : pb)
        if (!pa.count(name)) names += " " + name;
    return names;
}

/// Whether two files hold the same workbook or project.
bool SameContent(const QByteArray& a, const QByteArray& b)
{
    if (a.startsWith("PK") && b.startsWith("PK")) {
        const auto pa = ZipParts(a);
        return !pa.empty() && pa == ZipParts(b);
    }
    return a == b;
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

/// A folder of its own for the writers' scratch files, so that anything left there shows.
class ScratchFolder {
public:
    ScratchFolder() : old_(qgetenv("TMPDIR")) { qputenv("TMPDIR", dir_.path().toUtf8()); }
    ~ScratchFolder()
    {
        if (old_.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_);
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray old_;
};

TEST(InterruptedSave, EveryFailingCallKeepsThePreviousFileAndIsReported)
{
    const Shim shim;
    if (!shim.loaded()) return RunUnderShim();

    struct Mode {
        const char* name;
        int error;
        bool stays;
    };
    const Mode once{"one call fails (EIO)", EIO, false};
    const Mode full{"the disk is full from that call on (ENOSPC)", ENOSPC, true};
    const ArchiveTable previous = Table(40, "старый");
    const ArchiveTable next = Table(60, "новый");
    long totalRuns = 0, totalFailed = 0, totalIntact = 0, totalLost = 0;
    for (const Writer& w : Writers()) {
        for (const Mode& m : {once, full}) {
            SCOPED_TRACE(std::string(w.name) + ", " + m.name);
            QTemporaryDir dir;
            ScratchFolder scratch;
            const QString target = dir.filePath(QStringLiteral("Arhive") + w.suffix);
            ASSERT_TRUE(w.save(previous, target));
            ASSERT_FALSE(Bytes(target).isEmpty());

            // How many calls a whole save makes.
            const QString counted = dir.filePath(QStringLiteral("counted") + w.suffix);
            shim.arm(0, 0, 0);
            const bool countedOk = w.save(next, counted);
            const long calls = shim.calls();
            shim.disarm();
            ASSERT_TRUE(countedOk);
            ASSERT_GT(calls, 0);
            const QByteArray complete = Bytes(counted);
            QFile::remove(counted);

            QByteArray before = Bytes(target);
            long failed = 0, intact = 0, lost = 0;
            for (long n = 1; n <= calls; ++n) {
                SCOPED_TRACE("failing call " + std::to_string(n) + " of " + std::to_string(calls));
                shim.arm(n, m.error, m.stays);
                const bool ok = w.save(next, target);
                const long failures = shim.failures();
                const bool syncFailed = shim.lostSync() != 0;
                shim.disarm();
                const QByteArray now = Bytes(target);
                // Data whose sync failed may never reach the disk: nothing gets round that.
                EXPECT_FALSE(ok && syncFailed) << "a failed sync was not reported";
                lost += ok && syncFailed;
                // A failed call the writer got round (another way to the same file) is fine, if
                // the file it reports is the whole new one; a failure leaves the old one.
                if (ok) {
                    const bool whole = SameContent(now, complete);
                    lost += !whole;
                    EXPECT_TRUE(whole)
                        << "a save whose call " << n << " failed says it succeeded, but the file is not "
                        << "the whole new one; parts that differ:" << DifferingParts(now, complete);
                } else {
                    ++failed;
                    intact += now == before;
                    lost += now != before;
                    EXPECT_EQ(now, before) << "the previous file was changed by a failed save";
                }
                EXPECT_GT(failures, 0) << "the save never reached call " << n;
                EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("Arhive") + w.suffix})
                    << "left behind";
                EXPECT_TRUE(Entries(scratch.path()).isEmpty())
                    << "scratch files left behind: " << Entries(scratch.path()).join(", ").toStdString();
                if (ok) {
                    // Put an old file back for the next call.
                    ASSERT_TRUE(w.save(previous, target));
                    before = Bytes(target);
                }
            }
            std::printf(
                "interrupted save, %s, %s: %ld failing calls, %ld saves reported failure with the previous "
                "file intact %ld, %ld got round the failure, lost or wrong files %ld\n",
                w.name, m.name, calls, failed, intact, calls - failed, lost);
            totalRuns += calls;
            totalFailed += failed;
            totalIntact += intact;
            totalLost += lost;
        }
    }
    std::printf("interrupted saves: %ld runs, %ld reported failure, previous file intact %ld, lost or wrong "
                "files %ld\n",
                totalRuns, totalFailed, totalIntact, totalLost);
}

/// A small tmpfs mounted for one test and taken down again.
class SmallDisk {
public:
    explicit SmallDisk(int kib)
    {
        if (!dir_.isValid()) return;
        const QByteArray path = dir_.path().toUtf8();
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        mounted_ = mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) == 0;
        if (!mounted_) why_ = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted_) umount2(dir_.path().toUtf8().constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    /// Fills the disk up, leaving `bytes` free.
    bool fillLeaving(qint64 bytes)
    {
        QFile filler(file(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        const qint64 full = QFileInfo(filler).size();
        return QFile::resize(filler.fileName(), std::max<qint64>(0, full - bytes));
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    std::string why_;
};

TEST(InterruptedSave, FullDiskKeepsThePreviousFile)
{
    const ArchiveTable previous = Table(20, "старый");
    const ArchiveTable next = Table(400, "новый");
    int runs = 0, failed = 0, intact = 0;
    for (const Writer& w : Writers()) {
        // The scratch file on the full disk too, or elsewhere with only the result there.
        for (bool scratchOnDisk : {false, true}) {
            for (qint64 free : {0, 4096, 16384}) {
                SCOPED_TRACE(std::string(w.name) + (scratchOnDisk ? ", scratch on the full disk" : "") +
                             ", " + std::to_string(free) + " bytes free");
                SmallDisk disk(512);
                if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here: " << disk.why();
                ScratchFolder scratch;
                if (scratchOnDisk) qputenv("TMPDIR", disk.path().toUtf8());
                const QString target = disk.file(QStringLiteral("Arhive") + w.suffix);
                ASSERT_TRUE(w.save(previous, target));
                const QByteArray before = Bytes(target);
                ASSERT_TRUE(disk.fillLeaving(free));
                const bool ok = w.save(next, target);
                ++runs;
                failed += !ok;
                intact += Bytes(target) == before;
                EXPECT_FALSE(ok) << "the new file cannot fit, yet the save says it succeeded";
                EXPECT_EQ(Bytes(target), before) << "the previous file was changed by a failed save";
                QStringList left = Entries(disk.path());
                left.removeAll(QStringLiteral("filler"));
                EXPECT_EQ(left, QStringList{QStringLiteral("Arhive") + w.suffix}) << "left behind";
                EXPECT_TRUE(Entries(scratch.path()).isEmpty()) << "scratch files left behind";
            }
        }
    }
    std::printf("full disk: %d saves, %d failed, previous file intact %d\n", runs, failed, intact);
}

} // namespace

namespace {

// The user's side of a failed save: the main window's commands report it in one error box
// and the file the user had stays.
TEST(InterruptedSave, MainWindowReportsAFailedSaveOnce)
{
    const Shim shim;
    if (!shim.loaded()) return RunUnderShim();
    SharedState shared;
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("read.ar"));
    ASSERT_EQ(saveProject(Table(30, "новый"), project), ProjectStatus::Ok);
    TForm1 form(shared);
    form.OpenFromCommandLine({project});
    ASSERT_EQ(form.table().rowCount(), 31);

    struct Case {
        const char* name;
        const char* file;
        void (TForm1::*command)();
        const char* caption;
    };
    const Case cases[] = {{"project", "Arhive.ar", &TForm1::N1Click, "Ошибка"},
                          {"Excel 2007", "Arhive.xlsx", &TForm1::Save1Click, "Внимание"},
                          {"Excel 2003", "Arhive.xls", &TForm1::Save1Click, "Внимание"}};
    for (const Case& c : cases) {
        // The first call that writes, and the disk stays full.
        for (long n : {1L, 2L}) {
            SCOPED_TRACE(std::string(c.name) + ", the disk full from call " + std::to_string(n));
            const QString target = dir.filePath(QString::fromLatin1(c.file));
            QFile::remove(target);
            ASSERT_TRUE(
                Writers()[c.file == std::string("Arhive.ar") ? 0 : 1].save(Table(5, "старый"), target));
            const QByteArray before = Bytes(target);
            ModalAnswers answers;
            ModalAnswers::Box box;
            answers.chooseFile(target);
            answers.acknowledge(&box);
            shim.arm(n, ENOSPC, 1);
            (form.*c.command)();
            const long failures = shim.failures();
            shim.disarm();
            EXPECT_GT(failures, 0);
            EXPECT_TRUE(answers.allAnswered()) << "no error box";
            EXPECT_TRUE(answers.unexpected().isEmpty())
                << "more than one window: " << answers.unexpected().join(", ").toStdString();
            EXPECT_EQ(box.icon, QMessageBox::Critical);
            EXPECT_EQ(box.caption, QString::fromUtf8(c.caption));
            EXPECT_EQ(Bytes(target), before) << "the previous file was changed by a failed save";
        }
    }
}

} // namespace
