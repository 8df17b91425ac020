// Exchanges run for real against the simulated instrument (the libusb-0.1 library named by
// LM11_LIBUSB), in real time: what the instrument received and when, and what the user saw.
#include "WorkerTestSupport.h"
#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "device/Unit2.h"
#include "texts/Texts.h"
#include "ui/ExchangeStarters.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct Line {
    double at;
    std::string call;
    std::string text;
    /// The bytes after " : ", as the transcript prints them.
    std::string bytes() const
    {
        const auto colon = text.find(" : ");
        return colon == std::string::npos ? std::string() : text.substr(colon + 3);
    }
    int size() const
    {
        const auto p = text.find("size=");
        return p == std::string::npos ? -1 : std::stoi(text.substr(p + 5));
    }
};

class WorkerAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The simulator built with these tests, unless the environment names another.
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 0);
        SetLinkFactory(nullptr);
    }
    void TearDown() override
    {
        StopExchangeAtExit();
        // The transcript of a failed test stays for a look.
        if (!transcriptPath.empty() && !HasFailure()) std::remove(transcriptPath.c_str());
    }

    /// Puts the instrument of tests/data/worker/`name` in place, writing a fresh transcript.
    void load(const std::string& name)
    {
        const char* library = std::getenv("LM11_LIBUSB");
        ASSERT_TRUE(library);
        // The program loads the library once per run; this only reaches the same instance.
        void* handle = dlopen(library, RTLD_NOW);
        ASSERT_TRUE(handle) << dlerror();
        auto loadText = reinterpret_cast<int (*)(const char*)>(dlsym(handle, "lm11sim_load_scenario_text"));
        auto lastError = reinterpret_cast<const char* (*)()>(dlsym(handle, "lm11sim_last_error"));
        ASSERT_TRUE(loadText && lastError);
        std::ifstream file(std::string(LM11_TEST_DATA) + "/worker/" + name);
        ASSERT_TRUE(file) << name;
        std::stringstream text;
        text << file.rdbuf();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // One file per process, so that runs of the same test side by side keep apart.
        transcriptPath = std::string(LM11_BINARY_DIR) + "/tests/worker/transcript-" + info->name() + "-" +
                         std::to_string(getpid()) + ".txt";
        std::remove(transcriptPath.c_str());
        text << "\ntranscript " << transcriptPath << "\n";
        ASSERT_EQ(loadText(text.str().c_str()), 0) << lastError();
    }

    std::vector<Line> transcript() const
    {
        std::vector<Line> lines;
        std::ifstream file(transcriptPath);
        std::string raw;
        while (std::getline(file, raw)) {
            std::istringstream in(raw);
            Line line;
            if (!(in >> line.at >> line.call)) continue;
            std::getline(in >> std::ws, line.text);
            lines.push_back(line);
        }
        return lines;
    }
    /// The bytes of every write, in order, from line `from` of the transcript on.
    std::vector<std::string> writes(std::size_t from = 0) const
    {
        std::vector<std::string> out;
        const auto lines = transcript();
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lines[i].call == "usb_bulk_write") out.push_back(lines[i].bytes());
        return out;
    }
    /// For every write that starts with `command`, the time until the next read.
    std::vector<double> pausesAfter(const std::string& command) const
    {
        std::vector<double> out;
        const auto lines = transcript();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].call != "usb_bulk_write" || lines[i].bytes().rfind(command, 0) != 0) continue;
            for (std::size_t j = i + 1; j < lines.size(); ++j)
                if (lines[j].call == "usb_bulk_read") {
                    out.push_back(lines[j].at - lines[i].at);
                    break;
                }
        }
        return out;
    }

    std::string transcriptPath;
    SharedState shared;
};

/// Records what a progress window showed while the command runs.
struct FormWatch {
    explicit FormWatch(QWidget* owner)
    {
        QTimer::singleShot(0, [this, owner] {
            // Each read makes a new window; earlier ones stay, hidden.
            const auto forms = owner->findChildren<TForm2*>();
            form = forms.isEmpty() ? nullptr : forms.back();
            if (!form) return;
            // These run inside the hand-off, while the worker waits for it.
            QObject::connect(form->CGauge1, &QProgressBar::valueChanged, [this](int v) {
                gauge.push_back(v);
                if (onChange) onChange(*this);
            });
            QObject::connect(form, &QWidget::windowTitleChanged, [this](const QString& t) {
                captions << t;
                if (onChange) onChange(*this);
            });
        });
        poll.setInterval(1);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (!form) return;
            // A new window's label is empty until the worker's first update reaches it.
            const QString text = form->Label1->text();
            if (!text.isEmpty() && (labels.isEmpty() || labels.back() != text)) labels << text;
            if (onPoll) onPoll(*this);
        });
        poll.start();
    }
    TForm2* form = nullptr;
    std::vector<int> gauge;
    QStringList captions, labels;
    std::function<void(FormWatch&)> onPoll, onChange;
    QTimer poll;
};

void ClickCancel(TForm2* form) { QTest::mouseClick(form->Button1, Qt::LeftButton); }

ArchiveTable TableWithOneRow()
{
    ArchiveModel model;
    const ArchiveTable& table = model.table();
    ArchiveRecord r;
    r.day = 1;
    r.month = 2;
    r.yearSince2000 = 13;
    r.value = 12.5;
    std::vector<ArchiveRecord> records{r};
    model.fillFromRecords(records, 0);
    return table;
}

void ExpectSameTable(const ArchiveTable& a, const ArchiveTable& b)
{
    ASSERT_EQ(a.rowCount(), b.rowCount());
    ASSERT_EQ(a.columnCount(), b.columnCount());
    for (int r = 0; r < a.rowCount(); ++r)
        for (int c = 0; c < a.columnCount(); ++c) EXPECT_EQ(a.cell(c, r), b.cell(c, r)) << c << "," << r;
}

TEST_F(WorkerAgainstSimulator, FirstArchiveReadAsksVersionAndSettingsLaterReadsGoStraightToTheHeader)
{
    ASSERT_NO_FATAL_FAILURE(load("three.txt"));
    QWidget owner;
    ArchiveModel model;
    FormWatch watch(&owner);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));

    EXPECT_EQ(writes(), (std::vector<std::string>{"01 FE", "04 FB", "02 FD", "03 FC 00 00", "03 FC 01 00",
                                                  "03 FC 02 00"}));
    EXPECT_EQ(watch.gauge, (std::vector<int>{10, 12, 14, 16, 20, 46, 73, 100}));
    EXPECT_EQ(watch.form->Label1->text(), "Готово");
    EXPECT_TRUE(watch.form->CGauge1->isHidden());
    EXPECT_FALSE(watch.form->isVisible());
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.table().cell(1, 1), shared.ObjectNames.at(1).ru);

    // The instrument's reply times are met by the program's pauses (the simulator notes a
    // read that had to wait), and the pauses stay near their nominal length.
    const auto version = pausesAfter("01 FE");
    ASSERT_EQ(version.size(), 1u);
    EXPECT_GE(version[0], 79);
    EXPECT_LT(version[0], 1000);
    for (const std::string command : {"02 FD", "03 FC"})
        for (double pause : pausesAfter(command)) {
            EXPECT_GE(pause, 49) << command;
            EXPECT_LT(pause, 1000) << command;
        }
    const auto lines = transcript();
    double opened = -1, firstWrite = -1;
    for (const auto& l : lines) {
        if (l.call == "usb_claim_interface" && firstWrite < 0) opened = l.at;
        if (l.call == "usb_bulk_write" && firstWrite < 0) firstWrite = l.at;
    }
    ASSERT_GE(opened, 0);
    EXPECT_GE(firstWrite - opened, 299) << "pause after opening the instrument";

    const std::size_t before = transcript().size();
    FormWatch second(&owner);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));
    EXPECT_EQ(writes(before),
              (std::vector<std::string>{"02 FD", "03 FC 00 00", "03 FC 01 00", "03 FC 02 00"}));
    EXPECT_EQ(second.gauge, (std::vector<int>{20, 46, 73, 100}));
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(WorkerAgainstSimulator, EmptyArchiveShowsNoDataAndTheNextExchangeStartsWithIt)
{
    ASSERT_NO_FATAL_FAILURE(load("empty.txt"));
    shared.VersionUnread = 0;
    QWidget owner;
    ArchiveModel model;
    FormWatch watch(&owner);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));
    EXPECT_EQ(writes(), (std::vector<std::string>{"02 FD"}));
    EXPECT_EQ(watch.form->Label1->text(), "Данных нет");
    EXPECT_FALSE(watch.form->CGauge1->isHidden());
    ASSERT_EQ(model.table().rowCount(), 2) << "header and one empty row";
    for (int c = 0; c < model.table().columnCount(); ++c) EXPECT_TRUE(model.table().cell(c, 1).isEmpty());
    EXPECT_EQ(model.table().cell(0, 0), HeaderText(0, 0));
    EXPECT_TRUE(shared.timeFormat().isEmpty()) << "an empty archive leaves the program's time format";

    ASSERT_NO_FATAL_FAILURE(load("three.txt"));
    FormWatch next(&owner);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));
    ASSERT_GE(next.labels.size(), 2);
    EXPECT_EQ(next.labels[0], "Данных нет");
    EXPECT_EQ(next.labels.back(), "Готово");
}

TEST_F(WorkerAgainstSimulator, NoInstrumentIsLookedForEvery300msUntilCancelled)
{
    ASSERT_NO_FATAL_FAILURE(load("absent.txt"));
    QWidget owner;
    ArchiveModel model(TableWithOneRow());
    const ArchiveTable& table = model.table();
    const ArchiveTable before = table;
    FormWatch watch(&owner);
    watch.onPoll = [this](FormWatch& w) {
        int looks = 0;
        for (const auto& l : transcript()) looks += l.call == "usb_find_busses";
        if (looks >= 4 && w.form->isVisible()) ClickCancel(w.form);
    };
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(5000));
    EXPECT_TRUE(watch.labels.contains("Проверьте подключение"));
    EXPECT_EQ(watch.form->windowTitle(), "Подключение");
    std::vector<double> looks;
    for (const auto& l : transcript())
        if (l.call == "usb_find_busses") looks.push_back(l.at);
    ASSERT_GE(looks.size(), 4u);
    for (std::size_t i = 1; i < looks.size(); ++i) {
        EXPECT_GE(looks[i] - looks[i - 1], 299);
        EXPECT_LT(looks[i] - looks[i - 1], 2000);
    }
    EXPECT_TRUE(writes().empty());
    ExpectSameTable(model.table(), before);
    EXPECT_EQ(shared.VersionUnread.load(), 1);
}

TEST_F(WorkerAgainstSimulator, OutdatedFirmwareIsAskedAgainUntilCancelled)
{
    ASSERT_NO_FATAL_FAILURE(load("outdated.txt"));
    QWidget owner;
    ArchiveModel model;
    FormWatch watch(&owner);
    watch.onPoll = [this](FormWatch& w) {
        if (writes().size() >= 3 && w.form->isVisible()) ClickCancel(w.form);
    };
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(5000));
    EXPECT_TRUE(watch.labels.contains("Версия прошивки устарела"));
    EXPECT_TRUE(watch.captions.contains("Чтение версии"));
    const auto sent = writes();
    ASSERT_GE(sent.size(), 3u);
    for (const auto& w : sent) EXPECT_EQ(w, "01 FE");
    EXPECT_EQ(shared.VersionUnread.load(), 1);
}

TEST_F(WorkerAgainstSimulator, BadHeaderMarkerGivesOneBoxAndTheHeaderIsAskedAgain)
{
    ASSERT_NO_FATAL_FAILURE(load("bad_header.txt"));
    shared.VersionUnread = 0;
    QWidget owner;
    ArchiveModel model;
    MessageBoxWatch boxes;
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Ошибка контрольной суммы");
    EXPECT_EQ(boxes.boxes[0].caption, "Внимание");
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(writes(), (std::vector<std::string>{"02 FD", "02 FD", "03 FC 00 00", "03 FC 01 00"}));
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(WorkerAgainstSimulator, BadRecordEndsTheReadWithTheRowsReceived)
{
    ASSERT_NO_FATAL_FAILURE(load("bad_record.txt"));
    shared.VersionUnread = 0;
    QWidget owner;
    ArchiveModel model;
    MessageBoxWatch boxes;
    FormWatch watch(&owner);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Ошибка контрольной суммы");
    EXPECT_EQ(writes(), (std::vector<std::string>{"02 FD", "03 FC 00 00", "03 FC 01 00"}));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(model.table().cell(4, 1).isEmpty());
    EXPECT_EQ(shared.RecordCount.load(), 3u);
    EXPECT_EQ(watch.form->Label1->text(), "Ошибка связи");
}

TEST_F(WorkerAgainstSimulator, AnnouncedLengthsAreReadAsTheBufferSizes)
{
    ASSERT_NO_FATAL_FAILURE(load("announce_large.txt"));
    QWidget owner;
    ArchiveModel model;
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(10000));
    std::vector<int> bodies;
    for (const auto& l : transcript())
        if (l.call == "usb_bulk_read" && l.size() != 4) bodies.push_back(l.size());
    EXPECT_EQ(bodies, (std::vector<int>{32, 760, 7268, 32, 32}));
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(WorkerAgainstSimulator, CancelBeforeOrDuringTheRecordsKeepsTheTable)
{
    struct Case {
        const char* name;
        std::function<bool(FormWatch&)> cancelNow;
        std::size_t recordRequests;
    };
    const std::vector<Case> cases{
        {"before the records", [](FormWatch& w) { return w.captions.contains("Чтение параметров"); }, 0},
        {"during the records", [](FormWatch& w) { return !w.gauge.empty() && w.gauge.back() == 33; }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(load("six.txt"));
        QWidget owner;
        ArchiveModel model(TableWithOneRow());
        const ArchiveTable& table = model.table();
        const ArchiveTable before = table;
        FormWatch watch(&owner);
        // Clicked while the worker waits in the hand-off that showed the moment, so the
        // worker's next cancel check sees it.
        bool clicked = false;
        watch.onChange = [&c, &clicked](FormWatch& w) {
            if (!clicked && w.form->isVisible() && c.cancelNow(w)) {
                clicked = true;
                ClickCancel(w.form);
            }
        };
        ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
        ASSERT_TRUE(ExchangeEnds(10000));
        std::size_t records = 0;
        for (const auto& w : writes()) records += w.rfind("03 FC", 0) == 0;
        EXPECT_EQ(records, c.recordRequests);
        ExpectSameTable(model.table(), before);
        EXPECT_EQ(shared.VersionUnread.load(), 1)
            << "a cancelled first exchange still owes the version check";
        EXPECT_EQ(shared.CancelRequest.load(), 0);
    }
}

TEST_F(WorkerAgainstSimulator, SettingsReadEditAndWriteBack)
{
    ASSERT_NO_FATAL_FAILURE(load("settings.txt"));
    shared.VersionUnread = 0;
    PlainWindow w;
    ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(ExchangeEnds(10000));
    EXPECT_EQ(w.values, (std::vector<int>{0, 40, 60, 80, 100}));
    ASSERT_EQ(w.table->rowCount(), 21);
    EXPECT_EQ(w.table->item(1, 1)->text(), "Склад");
    EXPECT_EQ(w.table->item(1, 7)->text(), "20");
    EXPECT_EQ(w.label->text(), "Готово");

    w.table->item(1, 1)->setText("Новый склад");
    w.values.clear();
    const std::size_t before = transcript().size();
    ASSERT_TRUE(StartSettingsWrite(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(ExchangeEnds(10000));
    const auto lines = transcript();
    std::vector<const Line*> sent;
    for (std::size_t i = before; i < lines.size(); ++i)
        if (lines[i].call == "usb_bulk_write") sent.push_back(&lines[i]);
    ASSERT_EQ(sent.size(), 14u);
    EXPECT_EQ(sent[0]->bytes(), "05 FA");
    EXPECT_EQ(sent[1]->bytes(), "F8 02 00 00");
    EXPECT_GE(sent[1]->at - sent[0]->at, 299);
    for (std::size_t i = 2; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i]->size(), i < 13 ? 64 : 56);
        if (i > 2) {
            EXPECT_GE(sent[i]->at - sent[i - 1]->at, 14);
        }
    }
    EXPECT_EQ(w.values.back(), 50);
    EXPECT_TRUE(w.gauge->isHidden());
    EXPECT_EQ(w.label->text(), "Готово");
    EXPECT_EQ(shared.ObjectNames.at(0).ru, "Склад") << "names change only when the settings are read";

    // The instrument kept the new name: it comes back with the next read (cut to ten).
    ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(ExchangeEnds(10000));
    EXPECT_EQ(w.table->item(1, 1)->text(), "Новый скла");
    EXPECT_EQ(shared.ObjectNames.at(0).en, "Store");
}

TEST_F(WorkerAgainstSimulator, SettingsEntriesWithBadChecksumsEachGiveABoxAndAreStillUsed)
{
    ASSERT_NO_FATAL_FAILURE(load("bad_settings.txt"));
    shared.VersionUnread = 0;
    PlainWindow w;
    MessageBoxWatch boxes;
    ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(ExchangeEnds(10000));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const auto& box : boxes.boxes) EXPECT_EQ(box.text, "Ошибка контрольной суммы");
    ASSERT_EQ(w.table->rowCount(), 21);
    EXPECT_EQ(w.table->item(3, 1)->text(), "Мост");
}

} // namespace
