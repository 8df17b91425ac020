// The worker thread and its windows against a scripted instrument, in real time: what the
// user sees (gauge, label, caption, boxes, table) and what reached the instrument.
#include "WorkerTestSupport.h"
#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "device/Unit2.h"
#include "exchange_machine/FakeInstrument.h"
#include "texts/Texts.h"
#include "ui/ExchangeStarters.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {
using namespace fake;

// The worker owns its link; this one forwards to an instrument the test keeps.
class ForwardingLink final : public Link {
public:
    explicit ForwardingLink(FakeInstrument* target) : target_(target) {}
    int load() override { return target_->load(); }
    int open() override { return target_->open(); }
    bool write(const uint8_t* b, int n) override { return target_->write(b, n); }
    int read(uint8_t* b, int n) override { return target_->read(b, n); }
    void close() override { target_->close(); }

private:
    FakeInstrument* target_;
};

class WorkerWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLinkFactory([this] { return std::make_unique<ForwardingLink>(&instrument); });
    }
    void TearDown() override
    {
        StopExchangeAtExit();
        EXPECT_FALSE(shared.activity.isRunning());
        SetLinkFactory(nullptr);
    }

    FakeInstrument instrument;
    SharedState shared;
};

TEST_F(WorkerWindows, ArchiveReadShowsEveryStepAndFillsTheTable)
{
    instrument.setRecords(3);
    QWidget owner;
    ArchiveModel model;
    std::vector<int> gauge;
    QStringList captions;
    QSignalSpy running(&shared.activity, &ExchangeActivity::runningChanged);
    // The form exists only once the command runs; watch it from its first event.
    QTimer::singleShot(0, [&] {
        auto* form = owner.findChild<TForm2*>();
        ASSERT_TRUE(form);
        EXPECT_EQ(form->Button1->text(), "Отмена");
        EXPECT_EQ(form->size(), QSize(415, 49));
        EXPECT_TRUE(form->isModal());
        QObject::connect(form->CGauge1, &QProgressBar::valueChanged, [&](int v) { gauge.push_back(v); });
        QObject::connect(form, &QWidget::windowTitleChanged, [&](const QString& t) {
            if (captions.isEmpty() || captions.back() != t) captions << t;
        });
    });
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(5000));

    auto* form = owner.findChild<TForm2*>();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(gauge, (std::vector<int>{10, 12, 14, 16, 20, 46, 73, 100}));
    EXPECT_EQ(form->CGauge1->text(), "100%");
    EXPECT_TRUE(form->CGauge1->isHidden());
    EXPECT_EQ(form->Label1->text(), "Готово");
    EXPECT_EQ(captions, (QStringList{"Подключение", "Чтение версии", "Чтение данных", "Чтение параметров",
                                     "Чтение данных"}));
    EXPECT_EQ(model.table().rowCount(), 4);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_FALSE(model.table().cell(1, 3).isEmpty());
    EXPECT_EQ(running.count(), 2);
    EXPECT_EQ(shared.VersionUnread.load(), 0);
    EXPECT_EQ(shared.timeFormat(), "hh:mm:ss") << "the archive shown sets the program's time texts";
}

TEST_F(WorkerWindows, CancelWhileNoInstrumentClosesTheWindowAndKeepsTheTable)
{
    instrument.openFailures = 1000000;
    QWidget owner;
    ArchiveModel model;
    std::vector<ArchiveRecord> previous{DecodeRecord(Record(7))};
    model.fillFromRecords(previous, 0);
    const ArchiveTable before = model.table();
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = owner.findChild<TForm2*>();
        if (!form || !seen.isEmpty() || form->Label1->text() != "Проверьте подключение") return;
        seen = form->Label1->text();
        EXPECT_EQ(form->windowTitle(), "Подключение");
        QTest::mouseClick(form->Button1, Qt::LeftButton);
    });
    poll.start(10);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    EXPECT_EQ(seen, "Проверьте подключение");
    ASSERT_TRUE(ExchangeEnds(3000));
    for (int r = 0; r < before.rowCount(); ++r)
        for (int c = 0; c < before.columnCount(); ++c) EXPECT_EQ(model.table().cell(c, r), before.cell(c, r));
    EXPECT_EQ(model.table().rowCount(), before.rowCount());
    EXPECT_EQ(shared.VersionUnread.load(), 1);
    EXPECT_EQ(shared.CancelRequest.load(), 0);
}

TEST_F(WorkerWindows, NoDataStaysReadableWhileTheWindowKeepsRunning)
{
    shared.VersionUnread = 0;
    instrument.setRecords(0);
    QWidget owner;
    ArchiveModel model;
    QElapsedTimer shown;
    qint64 shownFor = -1;
    int ticksMeanwhile = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = owner.findChild<TForm2*>();
        if (!form || shownFor >= 0) return;
        const bool noData = form->isVisible() && form->Label1->text() == "Данных нет";
        if (noData && !shown.isValid()) shown.start();
        if (noData) ++ticksMeanwhile;
        if (shown.isValid() && !form->isVisible()) shownFor = shown.elapsed();
    });
    poll.start(1);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(5000));
    ASSERT_TRUE(WaitUntil([&] { return shownFor >= 0; }, 1000)) << "\"Данных нет\" was never seen";
    EXPECT_GE(shownFor, 290) << "the status stays long enough to be read";
    // The pause is the worker's: the window thread goes on handling events meanwhile.
    EXPECT_GE(ticksMeanwhile, 3);
    EXPECT_EQ(model.table().rowCount(), 2);
}

TEST_F(WorkerWindows, SettingsCallbacksRunOnTheWindowThreadOnlyWhileTheirTargetLives)
{
    PlainWindow w;
    auto target = std::make_unique<QObject>();
    std::optional<SettingsRows> received;
    bool onWindowThread = false;
    ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, target.get(), [&](const SettingsRows& rows) {
        received = rows;
        onWindowThread = QThread::currentThread() == qApp->thread();
    }));
    ASSERT_TRUE(ExchangeEnds(5000));
    ASSERT_TRUE(received);
    EXPECT_TRUE(onWindowThread);
    ASSERT_EQ(received->size(), 20u);
    EXPECT_EQ((*received)[3], (SettingsRow{"4", "Мост 4", "-500", "500", "0", "999", "8", "20", "30"}));

    // The source is gone before the write asks for its rows: nothing reaches the instrument.
    instrument.openFailures = 3;
    const std::size_t writesBefore = instrument.writesOnly().size();
    bool asked = false;
    ASSERT_TRUE(StartSettingsWrite(shared, w.gauge, w.label, target.get(), [&] {
        asked = true;
        return *received;
    }));
    target.reset();
    ASSERT_TRUE(ExchangeEnds(5000));
    EXPECT_FALSE(asked);
    EXPECT_EQ(instrument.writesOnly().size(), writesBefore);
}

TEST_F(WorkerWindows, BadRecordShowsOneWarningBoxAndKeepsTheRowsReceived)
{
    shared.VersionUnread = 0;
    instrument.setRecords(3);
    instrument.records[2][5] ^= 1;
    QWidget owner;
    ArchiveModel model;
    MessageBoxWatch boxes;
    bool gaugeWhileBox = false;
    boxes.onBox = [&] { gaugeWhileBox = owner.findChild<TForm2*>()->CGauge1->value() == 73; };
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(5000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const SeenBox& box = boxes.boxes[0];
    EXPECT_EQ(box.caption, "Внимание");
    EXPECT_EQ(box.text, "Ошибка контрольной суммы");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, 1);
    EXPECT_FALSE(box.hasOwner);
    EXPECT_TRUE(gaugeWhileBox) << "the worker waits in the box";
    EXPECT_EQ(model.table().rowCount(), 3) << "two records arrived intact";
    EXPECT_EQ(shared.RecordCount.load(), 3u);
    EXPECT_EQ(owner.findChild<TForm2*>()->Label1->text(), "Ошибка связи");
}

TEST_F(WorkerWindows, SettingsReadThenWriteThroughThePlainTable)
{
    shared.Lang = 1;
    PlainWindow w;
    ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(ExchangeEnds(5000));
    ASSERT_EQ(w.table->rowCount(), 21);
    EXPECT_EQ(w.table->item(4, 1)->text(), "Bridge 4");
    EXPECT_EQ(w.table->item(4, 0)->text(), "4");
    EXPECT_EQ(w.table->item(4, 2)->text(), "-500");
    EXPECT_EQ(w.table->item(4, 6)->text(), "8");
    EXPECT_EQ(w.gauge->value(), 100);
    EXPECT_TRUE(w.gauge->isHidden());
    EXPECT_EQ(w.label->text(), "Ready");

    w.table->item(4, 1)->setText("Store");
    w.table->item(4, 3)->setText("700");
    w.gauge->hide();
    ASSERT_TRUE(StartSettingsWrite(shared, w.gauge, w.label, w.table));
    EXPECT_TRUE(w.gauge->isVisible());
    ASSERT_TRUE(ExchangeEnds(5000));
    ASSERT_EQ(instrument.written.size(), kSettingsBlockSize);
    SettingsBlock sent;
    std::copy(instrument.written.begin(), instrument.written.end(), sent.begin());
    const ObjectSettings entry = DecodeSettingsEntry(sent, 3);
    EXPECT_TRUE(IsSettingsEntryValid(sent, 3));
    EXPECT_EQ(entry.nameEn, "Store");
    EXPECT_EQ(entry.nameRu, "Мост 4");
    EXPECT_EQ(entry.potentialMax, 700);
    EXPECT_EQ(shared.ObjectNames.at(3).en, "Bridge 4") << "the write does not rename the object here";
    EXPECT_EQ(w.gauge->value(), 50);
    EXPECT_TRUE(w.gauge->isHidden());
    EXPECT_EQ(w.label->text(), "Ready");
}

TEST_F(WorkerWindows, UnconvertibleCellSendsNothingAndSaysWhere)
{
    PlainWindow w;
    w.table->setRowCount(21);
    for (int r = 1; r <= 20; ++r)
        for (int c = 0; c < 9; ++c) w.table->setItem(r, c, new QTableWidgetItem(c == 1 ? "Мост" : "5"));
    w.table->item(7, 4)->setText("12a");
    ASSERT_TRUE(StartSettingsWrite(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(ExchangeEnds(5000));
    EXPECT_TRUE(instrument.writesOnly().empty());
    EXPECT_EQ(w.label->text(), "Неверное значение: строка 7, столбец 4");
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_TRUE(w.window->isEnabled());
}

TEST_F(WorkerWindows, ClosingOrDestroyingTheWindowStopsTheRetries)
{
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "closed");
        instrument.openFailures = 1000000;
        PlainWindow w;
        QSignalSpy running(&shared.activity, &ExchangeActivity::runningChanged);
        ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, w.table));
        ASSERT_TRUE(WaitUntil([&] { return w.label->text() == "Проверьте подключение"; }, 3000));
        EXPECT_EQ(StartScreenRead(shared, w.gauge, w.label), nullptr) << "one exchange at a time";
        if (destroy)
            w.window.reset();
        else
            w.window->close();
        EXPECT_TRUE(ExchangeEnds(2000));
        EXPECT_EQ(running.count(), 2);
        EXPECT_EQ(instrument.log.back(), "close");
    }
}

TEST_F(WorkerWindows, ProgramExitStopsAWorkerThatRetriesForever)
{
    instrument.loadResults = 1 << 30; // retries without pause
    PlainWindow w;
    w.window->hide();
    ASSERT_TRUE(StartScreenRead(shared, w.gauge, w.label));
    ASSERT_TRUE(WaitUntil([&] { return w.label->text() == "Драйвер не установлен"; }, 3000));
    StopExchangeAtExit(3000);
    EXPECT_FALSE(shared.activity.isRunning());
    EXPECT_EQ(RunningExchange(), nullptr);
}

} // namespace
