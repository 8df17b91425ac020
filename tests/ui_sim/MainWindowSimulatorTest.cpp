// The whole road of an archive read as a user takes it: the main window's button, the
// worker, the run-time loaded USB library (here the simulator) and the table on screen.
#include "app/SharedState.h"
#include "device/Unit2.h"
#include "exchange/project/ProjectFile.h"
#include "support/FileSizeLimit.h"
#include "support/SimulatorScenario.h"
#include "texts/Texts.h"
#include "ui/ReadHistory.h"
#include "ui/Unit1.h"
#include "worker/WorkerTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <optional>

namespace {

QString ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class MainWindowSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program loads its USB library once per run, from this name.
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 1);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        form = std::make_unique<TForm1>(shared);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        StopExchangeAtExit();
        form.reset();
        QLocale::setDefault(QLocale::c());
    }
    QPushButton* button(const char* name) const { return form->findChild<QPushButton*>(name); }

    // Clicks "Read from device"; returns when the progress window it shows modally closes.
    void clickRead()
    {
        ExchangeDeadline deadline(30000);
        button("Button1")->click();
    }
    // Clicks "Read from device" and waits, as the user does, until the exchange is over.
    void readArchive()
    {
        clickRead();
        ASSERT_TRUE(ExchangeEnds(20000));
        ASSERT_TRUE(WaitUntil([this] { return button("Button1")->isEnabled(); }, 2000))
            << "read button left off";
    }

    QTemporaryDir dir;
    SharedState shared;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindowSimulator, FirstReadShowsTheInstrumentsRecordsWithItsObjectNames)
{
    const QString transcript = dir.filePath("transcript.txt");
    ASSERT_TRUE(LoadScenario(QStringLiteral(R"(
        prepare all 0
        object 1 name="Мост" en="Bridge" series=3 step=20x30 potential=-500..500
        object 2 name="Тоннель" en="Tunnel" series=2 resistance=0..999
        start 2014-05-17 10:23:45
        series object=1 sensor=potential count=1 values=-235.5,-100.2,12.9
        series object=2 sensor=resistance count=1 values=12.25,7 mode=manual
        transcript "%1"
    )")
                                 .arg(transcript)
                                 .toUtf8()));

    readArchive();

    const ArchiveTable& t = form->table();
    ASSERT_EQ(t.rowCount(), 6);
    EXPECT_EQ(shared.RecordCount.load(), 5u);
    EXPECT_EQ(shared.VersionUnread.load(), 0);
    const QStringList first = {"1",
                               "Мост",
                               "Потенциала, мВ    ",
                               " -500  -  500",
                               "-235",
                               "1   |   1",
                               "3",
                               "20",
                               "30",
                               QLocale().toString(QDate(2014, 5, 17), QLocale::ShortFormat),
                               "10:23:45",
                               "Авто"};
    for (int c = 0; c < kArchiveColumns; ++c) EXPECT_EQ(t.cell(c, 1), first[c]) << "column " << c;
    EXPECT_EQ(t.cell(1, 4), QStringLiteral("Тоннель"));
    EXPECT_EQ(t.cell(2, 4), QStringLiteral("Сопротив., кОм*см "));
    EXPECT_EQ(t.cell(4, 4), QStringLiteral("12,3"));
    EXPECT_EQ(t.cell(11, 4), QStringLiteral("Ручной"));
    EXPECT_EQ(form->findChild<QTableView*>("StringGrid1")->model()->rowCount(), 5);

    // The first read of a run asks for the version, then the settings, then the archive.
    const QString wire = ReadAll(transcript);
    const qsizetype version = wire.indexOf(": 01 FE"), settings = wire.indexOf(": 04 FB"),
                    header = wire.indexOf(": 02 FD"), record = wire.indexOf(": 03 FC 04 00");
    EXPECT_TRUE(version >= 0 && version < settings && settings < header && header < record)
        << wire.toStdString();

    // A second read goes straight to the header and keeps the rows as they come.
    ASSERT_TRUE(LoadScenario(QStringLiteral("prepare all 0\ntranscript \"%1\"\n").arg(transcript).toUtf8()));
    readArchive();
    EXPECT_EQ(form->table().rowCount(), 2) << "an empty archive leaves the header and one empty row";
    EXPECT_EQ(shared.RecordCount.load(), 0u);
    const QString second = ReadAll(transcript);
    EXPECT_FALSE(second.contains(": 01 FE"));
    EXPECT_TRUE(second.contains(": 02 FD"));
}

TEST_F(MainWindowSimulator, CancelWithNoInstrumentKeepsTheTable)
{
    ASSERT_TRUE(LoadScenario("devices none\n"));
    const ArchiveTable before = form->table();
    QTimer::singleShot(1200, [] {
        auto* progress = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(progress->findChild<QLabel*>("Label1")->text(), QStringLiteral("Проверьте подключение"));
        progress->findChild<QPushButton*>("Button1")->click();
    });
    readArchive();
    EXPECT_EQ(form->table().rowCount(), before.rowCount());
    EXPECT_EQ(form->table().cell(1, 0), before.cell(1, 0));
    EXPECT_EQ(shared.VersionUnread.load(), 1) << "a cancelled exchange does not count as the first one";
}

// The ways a user closes the progress window.
enum class CloseWay { Cancel, Escape, TitleBar };

void CloseProgress(TForm2* progress, CloseWay way)
{
    switch (way) {
    case CloseWay::Cancel: QTest::mouseClick(progress->Button1, Qt::LeftButton); break;
    case CloseWay::Escape: {
        // The key goes where the focus is and travels up to the window.
        QWidget* focus = progress->focusWidget();
        QTest::keyClick(focus ? focus : progress, Qt::Key_Escape);
        break;
    }
    case CloseWay::TitleBar: progress->windowHandle()->close(); break; // what the window manager sends
    }
}

// Acts once on the shown progress window of `owner` when `ready` holds for it.
class ProgressWatch {
public:
    ProgressWatch(QWidget* owner, std::function<bool(TForm2*)> ready, std::function<void(TForm2*)> act)
    {
        QObject::connect(&poll_, &QTimer::timeout, [=, this] {
            const auto forms = owner->findChildren<TForm2*>();
            TForm2* progress = forms.isEmpty() ? nullptr : forms.back();
            if (done || !progress || !progress->isVisible() ||
                QApplication::activeModalWidget() != progress || !ready(progress))
                return;
            done = true;
            act(progress);
        });
        poll_.start(5);
    }
    bool done = false;

private:
    QTimer poll_;
};

TEST_F(MainWindowSimulator, ClosingTheProgressWindowNeverLeavesTheReadOutOfReach)
{
    const auto label = [](const char* text) {
        return [text](TForm2* p) { return p->Label1->text() == QString::fromUtf8(text); };
    };
    struct Situation {
        const char* name;
        const char* scenario;
        std::function<bool(TForm2*)> underWay;
        bool retries; // the worker keeps trying until cancelled
    };
    const std::vector<Situation> situations{
        {"instrument absent", "devices none\n", label("Проверьте подключение"), true},
        {"firmware outdated", "firmware_date 11.09.2012\nseries object=1 sensor=potential count=1 points=2\n",
         label("Версия прошивки устарела"), true},
        // Twenty records a fifth of a second apart: a few seconds of reading.
        {"reading records", "prepare record 150\nseries object=1 sensor=potential count=2 points=10\n",
         [](TForm2* p) { return p->Label1->text() == "Чтение архива" && p->CGauge1->value() < 40; }, false},
    };
    const std::pair<CloseWay, const char*> ways[] = {
        {CloseWay::Cancel, "Cancel"}, {CloseWay::Escape, "Escape"}, {CloseWay::TitleBar, "title-bar close"}};

    for (const Situation& situation : situations) {
        for (const auto& [way, wayName] : ways) {
            SCOPED_TRACE(std::string(situation.name) + ", " + wayName);
            form.reset(); // the state outlives the window over it
            shared.reset();
            form = std::make_unique<TForm1>(shared);
            form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
            ASSERT_TRUE(LoadScenario(situation.scenario));
            const ArchiveTable before = form->table();
            QSignalSpy running(&shared.activity, &ExchangeActivity::runningChanged);

            {
                ProgressWatch close(form.get(), situation.underWay,
                                    [way](TForm2* p) { CloseProgress(p, way); });
                clickRead();
                ASSERT_TRUE(close.done);
            }
            const auto forms = form->findChildren<TForm2*>();
            ASSERT_EQ(forms.size(), 1);
            TForm2* progress = forms.front();
            EXPECT_FALSE(progress->isVisible());

            if (way != CloseWay::Cancel) {
                // The exchange goes on; "Read from device" leads back to it, the other button
                // that starts an exchange waits.
                ASSERT_TRUE(shared.activity.isRunning()) << "closing is not cancelling";
                ASSERT_TRUE(WaitUntil([this] { return button("Button1")->isEnabled(); }, 2000))
                    << "no way back to the running read's Cancel";
                EXPECT_FALSE(button("Button2")->isEnabled());
                // Shown again, the window offers its Cancel; a read in progress is left to
                // finish and is closed once more the same way.
                bool shownAgain = false;
                ProgressWatch again(
                    form.get(), situation.retries ? situation.underWay : label("Чтение архива"),
                    [&](TForm2* p) {
                        shownAgain = p == progress && p->Button1->isVisible() && p->Button1->isEnabled();
                        CloseProgress(p, situation.retries ? CloseWay::Cancel : way);
                    });
                clickRead();
                EXPECT_TRUE(again.done);
                EXPECT_TRUE(shownAgain);
                EXPECT_EQ(form->findChildren<TForm2*>().size(), 1) << "no second progress window";
            }
            ASSERT_TRUE(ExchangeEnds(15000));
            EXPECT_EQ(running.count(), 2) << "one exchange started and ended, no second one";
            ASSERT_TRUE(WaitUntil([this] { return button("Button1")->isEnabled(); }, 2000))
                << "read button left off";
            // The buttons hear of the end through a queued signal, which may still be on its
            // way when the exchange already counts as over.
            EXPECT_TRUE(WaitUntil([this] { return button("Button2")->isEnabled(); }, 2000));

            if (!situation.retries && way != CloseWay::Cancel) {
                // Closing ends the modal display only: the read still fills the table.
                EXPECT_EQ(form->table().rowCount(), 21);
                EXPECT_EQ(shared.RecordCount.load(), 20u);
                EXPECT_EQ(shared.VersionUnread.load(), 0);
            } else {
                EXPECT_EQ(form->table().rowCount(), before.rowCount());
                EXPECT_EQ(form->table().cell(1, 1), before.cell(1, 1));
                EXPECT_EQ(shared.VersionUnread.load(), 1) << "a cancelled read does not count";
            }
            form.reset();
        }
    }
}

} // namespace

namespace {

// Plugged in but not the user's to open: the progress window names the permission, in the
// language in force, instead of sending the user to check the cable.
TEST_F(MainWindowSimulator, InstrumentTheUserMayNotOpenIsReportedAsSuch)
{
    struct Case {
        const char* scenario;
        bool english;
        const char* label;
    };
    for (const Case& c : {Case{"deny open\n", false, "Нет прав доступа к прибору"},
                          Case{"deny claim\n", true, "No permission to open the device"}}) {
        SCOPED_TRACE(c.scenario);
        if (c.english) form->Lang1Click();
        ASSERT_TRUE(LoadScenario(c.scenario));
        QString seen;
        QTimer::singleShot(1200, [&] {
            auto* progress = qobject_cast<TForm2*>(QApplication::activeModalWidget());
            ASSERT_NE(progress, nullptr);
            seen = progress->findChild<QLabel*>("Label1")->text();
            progress->findChild<QPushButton*>("Button1")->click();
        });
        readArchive();
        EXPECT_EQ(seen, QString::fromUtf8(c.label));
    }
}

} // namespace

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Files(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

const char* const kTwoObjects = R"(
    prepare all 0
    object 1 name="Мост" series=3 potential=-500..500
    object 2 name="Тоннель" series=2 resistance=0..999
    series object=1 sensor=potential count=1 values=-235.5,-100.2,12.9
    series object=2 sensor=resistance count=1 values=12.25,7 mode=manual
)";

TEST_F(MainWindowSimulator, EveryReadWithRecordsIsKeptAsTheProjectOfItsTable)
{
    const QString folder = dir.filePath("reads");
    form->readHistory().setFolder(folder);
    // Two reads of earlier days, and room for two reads only: the new one pushes out the oldest.
    const ArchiveTable earlier = form->table();
    ASSERT_TRUE(form->readHistory().keep(earlier, QDateTime(QDate(2026, 1, 1), QTime(8, 0))));
    ASSERT_TRUE(form->readHistory().keep(earlier, QDateTime(QDate(2026, 1, 2), QTime(8, 0))));
    form->readHistory().setLimits(HistoryLimits{2, qint64(1) << 30});
    // A project open before the read: the read's table is no longer that project's, so the
    // analysis keeps its survey records apart from the project's.
    const QString before = dir.filePath("before.ar");
    ASSERT_EQ(saveProject(earlier, before), ProjectStatus::Ok);
    form->OpenFromCommandLine({before});
    ASSERT_EQ(form->projectPath(), before);

    ASSERT_TRUE(LoadScenario(kTwoObjects));
    readArchive();
    ASSERT_EQ(form->table().rowCount(), 6);
    EXPECT_TRUE(form->projectPath().isEmpty()) << form->projectPath().toStdString();
    const QStringList files = Files(folder);
    ASSERT_EQ(files.size(), 2) << files.join(", ").toStdString();
    EXPECT_EQ(files.constFirst(), QStringLiteral("2026-01-02_08-00-00.ar"));
    const QString kept = QDir(folder).filePath(files.constLast());
    EXPECT_TRUE(HistoryFileTime(files.constLast()).secsTo(QDateTime::currentDateTime()) < 120);
    const QString saved = dir.filePath("saved.ar");
    ASSERT_EQ(saveProject(form->table(), saved), ProjectStatus::Ok);
    EXPECT_EQ(Bytes(kept), Bytes(saved));
    EXPECT_TRUE(form->statusBar()->currentMessage().isEmpty());

    // A read that brought nothing leaves nothing behind.
    ASSERT_TRUE(LoadScenario("prepare all 0\n"));
    readArchive();
    EXPECT_EQ(Files(folder), files);
}

TEST_F(MainWindowSimulator, AHistoryThatCannotTakeTheReadLeavesTheReadAndSaysSoOnce)
{
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Case {
        const char* what;
        QString folder;
        bool full;
    };
    for (const Case& c : {Case{"a folder that cannot be made", dir.filePath("plain/reads"), false},
                          Case{"a full disk", dir.filePath("full"), true}}) {
        SCOPED_TRACE(c.what);
        form->readHistory().setFolder(c.folder);
        QSignalSpy messages(form->statusBar(), &QStatusBar::messageChanged);
        QStringList boxes;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->close();
            }
        });
        watch.start(10);
        ASSERT_TRUE(LoadScenario(kTwoObjects));
        {
            std::optional<FileSizeLimit> full;
            if (c.full) full.emplace(200);
            readArchive();
        }
        EXPECT_TRUE(boxes.isEmpty()) << boxes.join(", ").toStdString();
        EXPECT_EQ(form->table().rowCount(), 6) << "the read is on screen";
        EXPECT_EQ(form->table().cell(1, 1), QStringLiteral("Мост"));
        QStringList shown;
        for (const QList<QVariant>& m : messages)
            if (!m.value(0).toString().isEmpty()) shown << m.value(0).toString();
        ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
        EXPECT_TRUE(shown.front().startsWith(QStringLiteral("Чтение не сохранено в журнал чтений: ")))
            << shown.front().toStdString();
        EXPECT_TRUE(shown.front().contains(QDir::toNativeSeparators(c.folder)))
            << shown.front().toStdString();
        EXPECT_TRUE(Files(c.folder).isEmpty()) << "no part of the read is left behind";
    }
}

} // namespace
