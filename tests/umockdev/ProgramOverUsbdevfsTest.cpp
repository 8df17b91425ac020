// The program's own exchanges through the USB library every user's machine loads (the
// default libusb-0.1, LM11_LIBUSB unset), with the instrument model served at the usbdevfs
// level by umockdev. Runs under umockdev-wrapper, in real time.
#include "UsbdevfsInstrument.h"

#include "../worker/WorkerTestSupport.h"
#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "device/Formats.h"
#include "device/Unit2.h"
#include "model/Archive.h"
#include "model/Instrument.h"
#include "ui/ExchangeStarters.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using lm11::usbdevfs::UsbdevfsInstrument;
using Clock = std::chrono::steady_clock;

// Two objects, five records: three potentials of object 1, two resistivities of object 2.
lm11sim::Scenario SmallArchive()
{
    lm11sim::Scenario s;
    s.objects[0].nameRu = "Мост";
    s.objects[0].nameEn = "Bridge";
    s.objects[1].nameRu = "Стена";
    s.objects[1].nameEn = "Wall";
    lm11sim::SeriesSpec potentials;
    potentials.objectFirst = potentials.objectLast = 1;
    potentials.sensor = 0;
    potentials.points = 3;
    potentials.values = {-235.5, -120, -47};
    lm11sim::SeriesSpec resistances;
    resistances.objectFirst = resistances.objectLast = 2;
    resistances.sensor = 1;
    resistances.points = 2;
    resistances.values = {12.5, 30};
    s.series = {potentials, resistances};
    return s;
}

// The OUT transfers of the testbed's trace, as hex, in order: what the instrument got.
std::vector<std::string> SentFrames(const std::vector<std::string>& trace)
{
    std::vector<std::string> frames;
    for (const std::string& line : trace)
        if (line.rfind("SUBMITURB ep=01 ", 0) == 0) frames.push_back(line.substr(line.rfind(' ') + 1));
    return frames;
}

// The progress window of an archive read is modal: should the read never end, the test
// presses Cancel after a generous time and fails instead of hanging.
class Watchdog {
public:
    Watchdog(QWidget& owner, int ms)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [&owner, this] {
            auto* form = owner.findChild<TForm2*>();
            if (!form || !form->isVisible()) return;
            fired = true;
            QTest::mouseClick(form->Button1, Qt::LeftButton);
        });
        timer_.start(ms);
    }
    bool fired = false;

private:
    QTimer timer_;
};

class ProgramOverUsbdevfs : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload && std::string(preload).find("umockdev") != std::string::npos)
            << "run under umockdev-wrapper";
        // The program's own choice of library, not the simulator's.
        unsetenv("LM11_LIBUSB");
        SetLinkFactory(nullptr);
    }
    void TearDown() override
    {
        StopExchangeAtExit();
        EXPECT_FALSE(shared.activity.isRunning());
        usb.reset();
        instrument.reset();
    }

    // The library picks its device folder once, at its first load; the testbed must hold a
    // device file by then, so every test builds its testbed before the first exchange.
    void Serve(lm11sim::Scenario scenario)
    {
        std::string error;
        auto built = lm11sim::BuildArchive(scenario, error);
        ASSERT_TRUE(built) << error;
        archive = *built;
        instrument = std::make_unique<lm11sim::Instrument>(std::move(scenario), *built);
        usb = std::make_unique<UsbdevfsInstrument>(*instrument);
    }

    std::vector<std::string> Frames() { return SentFrames(usb->testbed().trace()); }

    lm11sim::Archive archive;
    std::unique_ptr<lm11sim::Instrument> instrument;
    std::unique_ptr<UsbdevfsInstrument> usb;
    SharedState shared;
};

TEST_F(ProgramOverUsbdevfs, FirstArchiveReadEndsWithTheInstrumentsTable)
{
    Serve(SmallArchive());
    QWidget owner;
    ArchiveModel model;
    const auto start = Clock::now();
    Watchdog watchdog(owner, 60000);
    ASSERT_TRUE(StartArchiveRead(shared, &owner, &model));
    ASSERT_FALSE(watchdog.fired) << "the read never ended";
    ASSERT_TRUE(WaitUntil([this] { return !shared.activity.isRunning(); }, 30000));
    const auto took = Clock::now() - start;

    // Version, settings (the first read of a run learns the names), header, five records.
    EXPECT_EQ(Frames(), (std::vector<std::string>{"01FE", "04FB", "02FD", "03FC0000", "03FC0100", "03FC0200",
                                                  "03FC0300", "03FC0400"}));
    auto* form = owner.findChild<TForm2*>();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Label1->text(), "Готово");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(shared.VersionUnread.load(), 0);
    EXPECT_EQ(shared.RecordCount.load(), 5u);

    const ArchiveTable& shown = model.table();
    ASSERT_EQ(shown.rowCount(), 6);
    EXPECT_EQ(shown.cell(1, 1), "Мост");
    EXPECT_EQ(shown.cell(1, 4), "Стена");
    EXPECT_EQ(shown.cell(4, 1), "-235");
    EXPECT_EQ(shown.cell(4, 3), "-47");
    // Every cell as the instrument's own records make it.
    std::vector<ArchiveRecord> expected;
    for (const lm11sim::Record& r : archive.records) {
        RecordBytes bytes;
        std::copy(r.begin(), r.end(), bytes.begin());
        expected.push_back(DecodeRecord(bytes));
    }
    ArchiveTable reference;
    reference.fillFromRecords(expected, 0, shared.ObjectNames.get()); // the names the read brought
    for (int row = 0; row < reference.rowCount(); ++row)
        for (int c = 0; c < reference.columnCount(); ++c)
            EXPECT_EQ(shown.cell(c, row), reference.cell(c, row)) << "column " << c << " row " << row;

    // The worker's own pauses alone (2 x 300 ms connecting, 80 ms, 6 x 50 ms) take 980 ms.
    EXPECT_GE(took, std::chrono::milliseconds(980));
    EXPECT_LT(took, std::chrono::seconds(30));
}

TEST_F(ProgramOverUsbdevfs, SettingsWriteReachesTheInstrumentWhole)
{
    Serve(SmallArchive());
    shared.Lang = 1;
    PlainWindow w;
    ASSERT_TRUE(StartSettingsRead(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(WaitUntil([this] { return !shared.activity.isRunning(); }, 30000));
    ASSERT_EQ(w.table->rowCount(), 21);
    ASSERT_EQ(w.table->item(1, 1)->text(), "Bridge");

    w.table->item(2, 1)->setText("Tunnel");
    w.table->item(2, 3)->setText("700");
    ASSERT_TRUE(StartSettingsWrite(shared, w.gauge, w.label, w.table));
    ASSERT_TRUE(WaitUntil([this] { return !shared.activity.isRunning(); }, 30000));
    EXPECT_EQ(w.label->text(), "Ready");

    const auto frames = Frames();
    ASSERT_GE(frames.size(), 14u);
    const std::vector<std::string> tail(frames.end() - 14, frames.end());
    EXPECT_EQ(tail[0], "05FA");
    EXPECT_EQ(tail[1], "F8020000");
    for (int piece = 0; piece < 12; ++piece)
        EXPECT_EQ(tail[std::size_t(2 + piece)].size(), std::size_t(piece < 11 ? 128 : 112))
            << "piece " << piece;

    // The model stores a block only when every entry's checksum and marker hold.
    lm11sim::SettingsBlock stored{};
    usb->withInstrument([&](lm11sim::Instrument& i) { stored = i.settings(); });
    EXPECT_NE(stored, archive.settings) << "the instrument kept its old block";
    SettingsBlock block;
    std::copy(stored.begin(), stored.end(), block.begin());
    for (int k = 0; k < 20; ++k) EXPECT_TRUE(IsSettingsEntryValid(block, k)) << "entry " << k;
    const ObjectSettings second = DecodeSettingsEntry(block, 1);
    EXPECT_EQ(second.nameEn, "Tunnel");
    EXPECT_EQ(second.nameRu, "Стена");
    EXPECT_EQ(second.potentialMax, 700);
    EXPECT_EQ(DecodeSettingsEntry(block, 0).nameEn, "Bridge");
}

TEST_F(ProgramOverUsbdevfs, AbsentInstrumentAsksToCheckTheConnection)
{
    // Another product of the same maker is plugged in; the instrument is not. On a bus of
    // its own: libusb-0.1 keeps the descriptors of a device file it already knows, so a
    // different device under the instrument's earlier file name would pass for it.
    lm11sim::Scenario s = SmallArchive();
    s.devices = {lm11sim::DeviceSpec{.vendor = 0x03EB, .product = 0x0203, .bus = 2}};
    Serve(std::move(s));
    QWidget owner;
    ArchiveModel model;
    const ArchiveTable before = model.table();
    QString seen;
    Clock::time_point shownAt{};
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = owner.findChild<TForm2*>();
        if (!form) return;
        if (seen.isEmpty() && form->Label1->text() == "Проверьте подключение") {
            seen = form->Label1->text();
            shownAt = Clock::now();
        }
        // Let it look a few more times before the user gives up.
        if (!seen.isEmpty() && Clock::now() - shownAt > std::chrono::milliseconds(1000) && form->isVisible())
            QTest::mouseClick(form->Button1, Qt::LeftButton);
    });
    poll.start(10);
    Watchdog watchdog(owner, 60000);
    ASSERT_TRUE(StartArchiveRead(shared, &owner, &model));
    ASSERT_FALSE(watchdog.fired) << "the read never ended";
    poll.stop();
    EXPECT_EQ(seen, "Проверьте подключение");
    ASSERT_TRUE(WaitUntil([this] { return !shared.activity.isRunning(); }, 5000));
    EXPECT_TRUE(Frames().empty()) << "nothing is sent to a device that is not the instrument";
    EXPECT_EQ(model.table().rowCount(), before.rowCount());
    EXPECT_EQ(model.table().cell(1, 1), before.cell(1, 1));
    EXPECT_EQ(shared.VersionUnread.load(), 1);
}

TEST_F(ProgramOverUsbdevfs, TransferTimingOutMidArchiveEndsTheRead)
{
    lm11sim::Scenario s = SmallArchive();
    // Transfers 1-3 version, 4-6 settings, 7-9 header, then three per record: the length
    // of record 2 (transfer 17) never comes.
    s.transferFaults[17] = lm11sim::TransferFault{lm11sim::kTimedOut};
    Serve(std::move(s));
    QWidget owner;
    ArchiveModel model;
    Watchdog watchdog(owner, 60000);
    ASSERT_TRUE(StartArchiveRead(shared, &owner, &model));
    ASSERT_FALSE(watchdog.fired) << "the read never ended";
    ASSERT_TRUE(WaitUntil([this] { return !shared.activity.isRunning(); }, 30000));

    // The library gave up on its own clock, after its 500 ms: the IN transfer it submitted
    // last was discarded, and nothing more was asked.
    const auto trace = usb->testbed().timedTrace();
    const auto discard = std::find_if(
        trace.begin(), trace.end(), [](const auto& t) { return t.second.rfind("DISCARDURB ep=82", 0) == 0; });
    ASSERT_NE(discard, trace.end());
    const auto submit = std::find_if(std::make_reverse_iterator(discard), trace.rend(),
                                     [](const auto& t) { return t.second.rfind("SUBMITURB ep=82", 0) == 0; });
    ASSERT_NE(submit, trace.rend());
    EXPECT_GE(discard->first - submit->first, 490.0);
    EXPECT_LT(discard->first - submit->first, 10000.0);
    const auto frames = Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), "03FC0200") << "no request after the time-out";

    auto* form = owner.findChild<TForm2*>();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Label1->text(), "Ошибка связи");
    EXPECT_FALSE(form->isVisible());
    // The header announced five; the table shows the two records that arrived.
    EXPECT_EQ(shared.RecordCount.load(), 5u);
    ASSERT_EQ(model.table().rowCount(), 3);
    EXPECT_EQ(model.table().cell(1, 1), "Мост");
    EXPECT_EQ(model.table().cell(4, 2), "-120");
}

TEST_F(ProgramOverUsbdevfs, VersionLengthTimingOutIsAskedAgain)
{
    lm11sim::Scenario s = SmallArchive();
    s.transferFaults[2] = lm11sim::TransferFault{lm11sim::kTimedOut}; // the version's length
    Serve(std::move(s));
    QWidget owner;
    ArchiveModel model;
    bool linkErrorShown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* form = owner.findChild<TForm2*>(); form && form->Label1->text() == "Ошибка связи")
            linkErrorShown = true;
    });
    poll.start(5);
    Watchdog watchdog(owner, 60000);
    ASSERT_TRUE(StartArchiveRead(shared, &owner, &model));
    ASSERT_FALSE(watchdog.fired) << "the read never ended";
    poll.stop();
    ASSERT_TRUE(WaitUntil([this] { return !shared.activity.isRunning(); }, 30000));
    EXPECT_TRUE(linkErrorShown);
    // The abandoned transfer swallows nothing: the version is asked again and the read
    // then runs to its end.
    const auto frames = Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], "01FE");
    EXPECT_EQ(frames[1], "01FE");
    EXPECT_EQ(frames.back(), "03FC0400");
    EXPECT_EQ(model.table().rowCount(), 6);
    EXPECT_EQ(owner.findChild<TForm2*>()->Label1->text(), "Готово");
}

} // namespace
