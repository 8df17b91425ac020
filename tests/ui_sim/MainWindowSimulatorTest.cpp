// The whole road of an archive read as a user takes it: the main window's button, the
// worker, the run-time loaded USB library (here the simulator) and the table on screen.
#include "app/SharedState.h"
#include "device/Unit2.h"
#include "texts/Texts.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <dlfcn.h>

namespace {

// The simulator is the same library the program loads, so dlopen hands back its handle.
bool LoadScenario(const QByteArray& text)
{
    void* sim = dlopen(qgetenv("LM11_LIBUSB").constData(), RTLD_NOW);
    if (!sim) {
        ADD_FAILURE() << dlerror();
        return false;
    }
    using Load = int (*)(const char*);
    using LastError = const char* (*)();
    auto load = reinterpret_cast<Load>(dlsym(sim, "lm11sim_load_scenario_text"));
    auto lastError = reinterpret_cast<LastError>(dlsym(sim, "lm11sim_last_error"));
    if (load && load(text.constData()) == 0) return true;
    ADD_FAILURE() << "scenario refused: " << (lastError ? lastError() : "no loader");
    return false;
}

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
        ResetSharedState();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        form = std::make_unique<TForm1>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        form.reset();
        QLocale::setDefault(QLocale::c());
    }
    QPushButton* button(const char* name) const { return form->findChild<QPushButton*>(name); }

    // Clicks "Read from device" and waits, as the user does, until the exchange is over.
    void readArchive()
    {
        button("Button1")->click(); // shows the progress window modally until the worker closes it
        QTRY_VERIFY_WITH_TIMEOUT(!ExchangeActivity::instance().isRunning(), 20000);
        QTRY_VERIFY(button("Button1")->isEnabled());
    }

    QTemporaryDir dir;
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
    )").arg(transcript).toUtf8()));

    readArchive();

    const ArchiveTable& t = form->table();
    ASSERT_EQ(t.rowCount(), 6);
    EXPECT_EQ(RecordCount.load(), 5u);
    EXPECT_EQ(VersionUnread.load(), 0);
    const QStringList first = {"1", "Мост", "Потенциала, мВ    ", " -500  -  500", "-235", "1   |   1", "3",
                               "20", "30", QLocale().toString(QDate(2014, 5, 17), QLocale::ShortFormat),
                               "10:23:45", "Авто"};
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
    EXPECT_TRUE(version >= 0 && version < settings && settings < header && header < record) << wire.toStdString();

    // A second read goes straight to the header and keeps the rows as they come.
    ASSERT_TRUE(LoadScenario(QStringLiteral("prepare all 0\ntranscript \"%1\"\n").arg(transcript).toUtf8()));
    readArchive();
    EXPECT_EQ(form->table().rowCount(), 2) << "an empty archive leaves the header and one empty row";
    EXPECT_EQ(RecordCount.load(), 0u);
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
    EXPECT_EQ(VersionUnread.load(), 1) << "a cancelled exchange does not count as the first one";
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
