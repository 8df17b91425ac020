// The exchange state machine against a scripted instrument, a fake clock and a host that
// records every hand-off. No thread, no window.
#include "FakeInstrument.h"
#include "app/SharedState.h"
#include "device/Exchange.h"
#include "texts/Texts.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>
#include <string>

namespace {
using namespace fake;

struct Shown {
    int progress;
    uint8_t status;
    uint8_t state;
    QString label;
};

class RecordingHost : public ExchangeHost {
public:
    const SharedState* state = nullptr; // what the hand-offs show the values of
    std::vector<Shown> shown;
    std::vector<QString> boxes;
    std::optional<std::vector<ArchiveRecord>> archive;
    std::optional<SettingsRows> settingsTable;
    std::optional<SettingsRows> rowsToWrite;
    std::vector<WorkerPriority> priorities;
    int windowCloses = 0;
    bool stop = false;
    std::function<void()> onHandOff, onBox;

    void syncUpdate(const SyncView& view) override
    {
        shown.push_back({view.gaugeValue, state->LinkStatus.load(), state->WorkerState.load(),
                         view.label.value_or("<kept>")});
        if (onHandOff) onHandOff();
    }
    void messageBox(const TextPair& text) override
    {
        boxes.push_back(state->tr(text));
        if (onBox) onBox();
    }
    void fillArchive(std::vector<ArchiveRecord> records) override { archive = std::move(records); }
    void fillSettingsTable(SettingsRows rows) override { settingsTable = std::move(rows); }
    std::optional<SettingsRows> readSettingsRows() override { return rowsToWrite; }
    void closeProgressWindow() override { ++windowCloses; }
    void setPriority(WorkerPriority p) override
    {
        if (priorities.empty() || priorities.back() != p) priorities.push_back(p);
    }
    bool stopRequested() override { return stop; }
    void exitProgram(int) override { ADD_FAILURE() << "no exit expected"; }

    std::vector<int> progressValues() const
    {
        std::vector<int> v;
        for (const auto& s : shown)
            if (v.empty() || v.back() != s.progress) v.push_back(s.progress);
        return v;
    }
};

class ExchangeMachine : public ::testing::Test {
protected:
    /// A new case: the program's state as at start-up, and an instrument as described.
    void fresh()
    {
        shared = std::make_unique<SharedState>();
        instrument = FakeInstrument{};
    }

    /// Runs one exchange of `operation` as a starter does; gives up after `maxPasses` (a test
    /// that loops).
    void runExchange(Operation operation, int maxPasses = 500)
    {
        shared->WorkerState = 0;
        shared->Operation = operation;
        host = RecordingHost{};
        host.state = shared.get();
        host.onHandOff = onHandOff;
        host.onBox = onBox;
        host.rowsToWrite = rowsToWrite;
        Exchange exchange(instrument, instrument, host, *shared);
        int passes = 0;
        while (exchange.pass()) ASSERT_LT(++passes, maxPasses) << "exchange does not end";
    }

    std::unique_ptr<SharedState> shared = std::make_unique<SharedState>();
    FakeInstrument instrument;
    RecordingHost host;
    std::function<void()> onHandOff, onBox;
    std::optional<SettingsRows> rowsToWrite;
};

using Lines = std::vector<std::string>;

TEST_F(ExchangeMachine, FirstArchiveReadAsksVersionSettingsHeaderThenRecordsLaterReadsGoToHeader)
{
    instrument.setRecords(3);
    runExchange(Operation::ReadArchive);

    EXPECT_EQ(instrument.log, (Lines{"load",          "P 300", "open",  "P 300",  //
                                     "W 01 FE",       "P 80",  "R 4",   "R 22",   //
                                     "W 04 FB",       "R 4",   "R 760",           //
                                     "W 02 FD",       "P 50",  "R 4",   "R 7268", //
                                     "W 03 FC 00 00", "P 50",  "R 4",   "R 32",   //
                                     "W 03 FC 01 00", "P 50",  "R 4",   "R 32",   //
                                     "W 03 FC 02 00", "P 50",  "R 4",   "R 32",   "close"}));
    EXPECT_EQ(host.progressValues(), (std::vector<int>{0, 10, 12, 14, 16, 20, 46, 73, 100}));
    EXPECT_EQ(host.shown.back().label, "Готово");
    EXPECT_EQ(host.shown.back().state, uint8_t(WorkerStep::Finish));
    EXPECT_EQ(host.priorities,
              (std::vector{WorkerPriority::Idle, WorkerPriority::Normal, WorkerPriority::Idle}));
    ASSERT_TRUE(host.archive);
    ASSERT_EQ(host.archive->size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ((*host.archive)[i], DecodeRecord(instrument.records[i]));
    EXPECT_EQ(host.windowCloses, 1);
    EXPECT_EQ(shared->RecordCount.load(), 3u);
    EXPECT_EQ(shared->VersionUnread.load(), 0);
    EXPECT_EQ(shared->ObjectNames.at(4), (TextPair{"Мост 5", "Bridge 5"}));

    instrument.log.clear();
    instrument.setRecords(1);
    runExchange(Operation::ReadArchive);
    EXPECT_EQ(instrument.log, (Lines{"load", "P 300", "open", "P 300", "W 02 FD", "P 50", "R 4", "R 7268",
                                     "W 03 FC 00 00", "P 50", "R 4", "R 32", "close"}));
    EXPECT_EQ(host.priorities, (std::vector{WorkerPriority::Idle}));
}

TEST_F(ExchangeMachine, SettingsReadFillsTableAndBadEntriesEachGiveOneBoxButAreUsed)
{
    shared->VersionUnread = 0;
    instrument.settings[EntryOffset(3) + 36] ^= 1;    // bad CRC
    instrument.settings[EntryOffset(17) + 34] = 0xAB; // bad marker
    SealSettingsEntry(instrument.settings, 17);
    runExchange(Operation::ReadSettings);

    EXPECT_EQ(instrument.writesOnly(), (Lines{"W 04 FB"}));
    EXPECT_EQ(host.progressValues(), (std::vector<int>{0, 40, 60, 80, 100}));
    EXPECT_EQ(host.boxes, (std::vector<QString>{"Ошибка контрольной суммы", "Ошибка контрольной суммы"}));
    EXPECT_EQ(shared->ObjectNames.at(3).ru, "Мост 4");
    ASSERT_TRUE(host.settingsTable);
    ASSERT_EQ(host.settingsTable->size(), 20u);
    EXPECT_EQ((*host.settingsTable)[3],
              (SettingsRow{"4", "Мост 4", "-500", "500", "0", "999", "8", "20", "30"}));
    EXPECT_EQ((*host.settingsTable)[19][0], "20");
    EXPECT_FALSE(host.archive);
    EXPECT_EQ(host.windowCloses, 0);
}

TEST_F(ExchangeMachine, EmptyArchiveEndsWithNoDataAndTheNextExchangeStartsShowingIt)
{
    shared->VersionUnread = 0;
    instrument.setRecords(0);
    runExchange(Operation::ReadArchive);
    EXPECT_EQ(instrument.writesOnly(), (Lines{"W 02 FD"}));
    ASSERT_TRUE(host.archive);
    EXPECT_TRUE(host.archive->empty());
    EXPECT_EQ(host.shown.back().label, "Данных нет");
    EXPECT_EQ(shared->LinkStatus.load(), StatusNoData);
    // The worker, not the window, keeps the status readable for 300 ms after showing it.
    EXPECT_EQ(instrument.log, (Lines{"load", "P 300", "open", "P 300", "W 02 FD", "P 50", "R 4", "R 7268",
                                     "P 300", "close"}));

    instrument.log.clear();
    runExchange(Operation::ReadArchive);
    EXPECT_EQ(host.shown.front().label, "Данных нет");
    EXPECT_EQ(host.shown[1].label, "") << "Connect clears the status";
    EXPECT_EQ(instrument.log.front(), "P 300") << "the first hand-off shows the last status, with its pause";
    EXPECT_EQ(instrument.log[1], "load");
}

TEST_F(ExchangeMachine, ConnectRetriesUntilCancelledAndHandsNothingOver)
{
    struct Case {
        const char* name;
        int loadFailures, openFailures, openFailure;
        const char* label;
        int pausePerRetry;
        const char* lastLabel; // a status without a step text stays; the end's text replaces the rest
    };
    for (const Case& c :
         {Case{"driver missing", 5, 0, 1, "Драйвер не установлен", 0, "Готово"},
          Case{"no instrument", 0, 5, 1, "Проверьте подключение", 300, "Проверьте подключение"},
          Case{"no permission", 0, 5, 2, "Нет прав доступа к прибору", 300, "Нет прав доступа к прибору"}}) {
        SCOPED_TRACE(c.name);
        fresh();
        instrument.loadResults = c.loadFailures;
        instrument.openFailures = c.openFailures;
        instrument.openFailure = c.openFailure;
        int handOffs = 0;
        onHandOff = [&] {
            if (++handOffs == 4) shared->CancelRequest = 1;
        };
        runExchange(Operation::ReadArchive);
        EXPECT_EQ(host.shown[2].label, c.label);
        EXPECT_EQ(instrument.totalPause, 3 * c.pausePerRetry);
        EXPECT_EQ(host.shown.back().label, c.lastLabel);
        EXPECT_FALSE(host.archive);
        EXPECT_EQ(host.windowCloses, 1);
        EXPECT_EQ(shared->CancelRequest.load(), 0);
        EXPECT_EQ(shared->VersionUnread.load(), 1);
        EXPECT_EQ(instrument.log.back(), "close");
    }
}

TEST_F(ExchangeMachine, OutdatedOrUnreadableFirmwareIsAskedAgainUntilCancelled)
{
    for (const char* date : {"11.09.2012", "1x.09.2012"}) {
        SCOPED_TRACE(date);
        fresh();
        instrument.date = date;
        int handOffs = 0;
        onHandOff = [&] {
            if (++handOffs == 5) shared->CancelRequest = 1;
        };
        runExchange(Operation::ReadScreen);
        EXPECT_EQ(host.shown[2].label, "Версия прошивки устарела");
        EXPECT_EQ(host.shown[2].state, uint8_t(WorkerStep::ReadVersion));
        const Lines writes = instrument.writesOnly();
        EXPECT_GE(writes.size(), 3u);
        for (const auto& w : writes) EXPECT_EQ(w, "W 01 FE");
        EXPECT_EQ(shared->VersionUnread.load(), 1);
    }
}

TEST_F(ExchangeMachine, BadHeaderMarkerGivesOneBoxAndTheHeaderIsAskedAgain)
{
    shared->VersionUnread = 0;
    instrument.setRecords(1);
    instrument.header[kHeaderMarkerOffset] = 0;
    onBox = [&] { WriteU16(&instrument.header[kHeaderMarkerOffset], kMarker); };
    runExchange(Operation::ReadArchive);
    EXPECT_EQ(host.boxes, (std::vector<QString>{"Ошибка контрольной суммы"}));
    EXPECT_EQ(instrument.writesOnly(), (Lines{"W 02 FD", "W 02 FD", "W 03 FC 00 00"}));
    ASSERT_TRUE(host.archive);
    EXPECT_EQ(host.archive->size(), 1u);
}

TEST_F(ExchangeMachine, RecordTroubleEndsTheReadWithTheRecordsReceivedSoFar)
{
    struct Case {
        const char* name;
        std::function<void(FakeInstrument&)> fault;
        std::size_t rowsKept;
        int boxes;
    };
    const std::vector<Case> cases{
        {"bad CRC of record 2", [](FakeInstrument& f) { f.records[2][30] ^= 0xFF; }, 2, 1},
        {"bad marker of record 1", [](FakeInstrument& f) { f.records[1][28] = 0; }, 1, 1},
        // reads: header length, header body, then two per record
        {"record 1 length read fails", [](FakeInstrument& f) { f.failingReads = {4}; }, 1, 0},
        {"record 0 command fails", [](FakeInstrument& f) { f.failingWrites = {1}; }, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        shared->VersionUnread = 0;
        instrument = FakeInstrument{};
        instrument.setRecords(4);
        c.fault(instrument);
        runExchange(Operation::ReadArchive);
        EXPECT_EQ(int(host.boxes.size()), c.boxes);
        ASSERT_TRUE(host.archive);
        ASSERT_EQ(host.archive->size(), c.rowsKept);
        for (std::size_t i = 0; i < c.rowsKept; ++i)
            EXPECT_EQ((*host.archive)[i], DecodeRecord(instrument.records[i]));
        EXPECT_EQ(shared->RecordCount.load(), 4u) << "the count stays the one announced";
        EXPECT_EQ(shared->LinkStatus.load(), StatusLinkError);
        EXPECT_EQ(host.shown.back().label, "Ошибка связи");
        EXPECT_EQ(instrument.log.back(), "close");
    }
}

TEST_F(ExchangeMachine, LinkErrorOutsideTheRecordsRepeatsTheState)
{
    shared->VersionUnread = 0;
    instrument.setRecords(1);
    instrument.failingWrites = {0}; // the first header command
    runExchange(Operation::ReadArchive);
    EXPECT_EQ(instrument.writesOnly(), (Lines{"W 02 FD", "W 02 FD", "W 03 FC 00 00"}));
    EXPECT_EQ(host.shown[2].label, "Ошибка связи");
    EXPECT_EQ(host.shown[2].state, uint8_t(WorkerStep::ReadHeader));
    ASSERT_TRUE(host.archive);
    EXPECT_EQ(host.archive->size(), 1u);
}

TEST_F(ExchangeMachine, CancelBeforeOrDuringTheRecordsKeepsTheTableAndVersionFlag)
{
    for (int cancelAt : {2, 5}) { // hand-off 2: the header pass; 5: after the second record
        SCOPED_TRACE(cancelAt);
        fresh();
        shared->VersionUnread = 0;
        instrument.setRecords(6);
        int handOffs = 0;
        onHandOff = [&] {
            if (++handOffs == cancelAt) shared->CancelRequest = 1;
        };
        runExchange(Operation::ReadArchive);
        EXPECT_FALSE(host.archive);
        EXPECT_EQ(host.windowCloses, 1);
        EXPECT_EQ(shared->CancelRequest.load(), 0);
        EXPECT_EQ(shared->VersionUnread.load(), 0);
        EXPECT_LT(instrument.writesOnly().size(), 4u);
    }
    // A cancelled first exchange leaves the version to be checked by the next one.
    onHandOff = nullptr;
    fresh();
    shared->CancelRequest = 1;
    runExchange(Operation::ReadArchive);
    EXPECT_EQ(shared->VersionUnread.load(), 1);
}

TEST_F(ExchangeMachine, AnnouncedLengthsAreCutToTheBuffers)
{
    instrument.setRecords(1);
    instrument.announce = 100000;
    runExchange(Operation::ReadArchive);
    for (const char* read : {"R 32", "R 760", "R 7268"})
        EXPECT_NE(std::find(instrument.log.begin(), instrument.log.end(), read), instrument.log.end())
            << read;
    for (const auto& line : instrument.log)
        if (line[0] == 'R') {
            EXPECT_LE(std::stoi(line.substr(2)), 7268) << line;
        }
    ASSERT_TRUE(host.archive);
    EXPECT_EQ(host.archive->size(), 1u);
}

SettingsRows EditedRows()
{
    SettingsRows rows(20);
    for (int k = 0; k < 20; ++k)
        rows[std::size_t(k)] = {QString::number(k + 1),
                                QString("Новое имя %1").arg(k + 1),
                                "-1000",
                                "70000",
                                " 12 ",
                                "999",
                                "300",
                                "20",
                                "30"};
    return rows;
}

TEST_F(ExchangeMachine, SettingsWriteSendsTheRebuiltBlockInPieces)
{
    shared->settingsBlock = ValidSettings();
    const SettingsBlock before = shared->settingsBlock;
    const auto namesBefore = shared->ObjectNames.get();
    rowsToWrite = EditedRows();
    runExchange(Operation::WriteSettings);

    Lines expected{"load", "P 300", "open", "P 300", "W 05 FA", "P 300", "W F8 02 00 00"};
    for (int i = 0; i < 11; ++i) {
        expected.push_back("W[64]");
        expected.push_back("P 15");
    }
    expected.push_back("W[56]");
    expected.push_back("P 15");
    expected.push_back("close");
    EXPECT_EQ(instrument.log, expected);
    ASSERT_EQ(instrument.written.size(), kSettingsBlockSize);
    EXPECT_EQ(0, std::memcmp(instrument.written.data(), shared->settingsBlock.data(), kSettingsBlockSize));

    for (std::size_t k = 0; k < kSettingsEntries; ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(IsSettingsEntryValid(shared->settingsBlock, k));
        const ObjectSettings s = DecodeSettingsEntry(shared->settingsBlock, k);
        EXPECT_EQ(s.nameRu, QString("Новое имя %1").arg(k + 1).left(10));
        EXPECT_EQ(s.nameEn, namesBefore[k].en) << "the other language is sent as last read";
        EXPECT_EQ(s.potentialMin, -1000);
        EXPECT_EQ(s.potentialMax, int16_t(70000 & 0xFFFF));
        EXPECT_EQ(s.resistanceMin, 12);
        EXPECT_EQ(s.seriesLength, uint8_t(300 & 0xFF));
        EXPECT_EQ(shared->settingsBlock[EntryOffset(k) + 3], before[EntryOffset(k) + 3]);
        EXPECT_EQ(ReadU16(&shared->settingsBlock[EntryOffset(k) + 34]), kMarker);
    }
    EXPECT_EQ(shared->ObjectNames.get(), namesBefore);
    std::vector<int> progress = host.progressValues();
    // Rebuilding climbs to 25, the pieces from 27 (64 of 760 bytes) to 50.
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress[1], 1);
    EXPECT_NE(std::find(progress.begin(), progress.end(), 25), progress.end());
    EXPECT_NE(std::find(progress.begin(), progress.end(), 27), progress.end());
    EXPECT_EQ(progress.back(), 50);
    EXPECT_EQ(host.shown.back().label, "Готово");
    int32_t p = host.shown.back().progress;
    EXPECT_TRUE(ComputeSyncView(p, *shared).hideGauge);
    EXPECT_EQ(shared->VersionUnread.load(), 0);
}

TEST_F(ExchangeMachine, SettingsWriteFaults)
{
    // A cell that is not a number: nothing reaches the instrument and the text names it.
    SettingsRows rows = EditedRows();
    rows[6][4] = "";
    rowsToWrite = rows;
    runExchange(Operation::WriteSettings);
    EXPECT_TRUE(instrument.writesOnly().empty());
    EXPECT_EQ(host.shown.back().label, "Неверное значение: строка 7, столбец 4");
    shared->Lang = 1;
    int32_t p = 0;
    EXPECT_EQ(ComputeSyncView(p, *shared).label, "Invalid value: row 7, column 4");
    shared->Lang = 0;

    // The table is gone with its window: nothing is sent either.
    instrument = FakeInstrument{};
    rowsToWrite.reset();
    runExchange(Operation::WriteSettings);
    EXPECT_TRUE(instrument.writesOnly().empty());
    EXPECT_EQ(instrument.log.back(), "close");

    // The command fails once: the whole state runs again, rebuilding included.
    instrument = FakeInstrument{};
    instrument.failingWrites = {0};
    rowsToWrite = EditedRows();
    runExchange(Operation::WriteSettings);
    EXPECT_EQ(instrument.writesOnly().front(), "W 05 FA");
    EXPECT_EQ(instrument.writesOnly()[1], "W 05 FA");
    EXPECT_EQ(instrument.written.size(), kSettingsBlockSize);

    // A failed piece is reported and the rest is still sent.
    instrument = FakeInstrument{};
    instrument.failingWrites = {4};
    runExchange(Operation::WriteSettings);
    EXPECT_EQ(instrument.writesOnly().size(), 14u);
    EXPECT_EQ(shared->LinkStatus.load(), StatusLinkError);
    EXPECT_EQ(host.shown.back().label, "Ошибка связи");
}

TEST_F(ExchangeMachine, ScreenReadFillsTheSharedBuffer)
{
    shared->VersionUnread = 0;
    for (std::size_t i = 0; i < kScreenSize; ++i) instrument.screen[i] = uint8_t(i * 7);
    runExchange(Operation::ReadScreen);
    EXPECT_EQ(instrument.writesOnly(), (Lines{"W 06 F9"}));
    EXPECT_EQ(host.progressValues(), (std::vector<int>{0, 80, 100}));
    for (std::size_t i = 0; i < kScreenSize; ++i)
        ASSERT_EQ(shared->ScreenBuffer[i].load(), uint8_t(i * 7)) << i;
}

TEST_F(ExchangeMachine, StopEndsEveryOperationAtItsNextPassWithoutHandingOver)
{
    struct Case {
        const char* name;
        Operation operation;
        bool instrumentThere;
        std::function<bool(const Shown&)> stopAt; // the hand-off during which the stop comes
        std::size_t writesAfterStop;              // what may still reach the instrument
    };
    const auto connecting = [](const Shown& s) {
        return s.state == uint8_t(WorkerStep::Connect) && s.status == StatusCheckConnection;
    };
    const std::vector<Case> cases{
        {"archive read while looking for the instrument", Operation::ReadArchive, false, connecting, 0},
        {"settings read while looking for the instrument", Operation::ReadSettings, false, connecting, 0},
        {"settings write while looking for the instrument", Operation::WriteSettings, false, connecting, 0},
        {"screen read while looking for the instrument", Operation::ReadScreen, false, connecting, 0},
        // The program ends during a long read: the next record is not asked for.
        {"archive read between records", Operation::ReadArchive, true,
         [](const Shown& s) { return s.progress == 33; }, 0},
        // The program ends while the block is rebuilt: nothing is written to the instrument.
        {"settings write while rebuilding", Operation::WriteSettings, true,
         [](const Shown& s) { return s.state == uint8_t(WorkerStep::WriteSettings) && s.progress == 5; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        instrument.setRecords(6);
        if (!c.instrumentThere) instrument.openFailures = 1000;
        std::size_t writesAtStop = 0;
        onHandOff = [&] {
            if (!host.stop && c.stopAt(host.shown.back())) {
                host.stop = true;
                writesAtStop = instrument.writesOnly().size();
            }
        };
        rowsToWrite = EditedRows();
        runExchange(c.operation);
        ASSERT_TRUE(host.stop) << "the moment to stop never came";
        EXPECT_EQ(instrument.writesOnly().size() - writesAtStop, c.writesAfterStop);
        EXPECT_TRUE(instrument.written.empty());
        EXPECT_FALSE(host.archive);
        EXPECT_FALSE(host.settingsTable);
        EXPECT_EQ(host.windowCloses, 0);
        EXPECT_EQ(shared->VersionUnread.load(), 1) << "a stopped exchange does not count as completed";
        EXPECT_EQ(instrument.log.back(), "close");
    }
}

TEST(SyncViewTest, TextsByStatusAndState)
{
    struct Case {
        int lang, progress;
        uint8_t status, state;
        int gauge;
        std::optional<QString> label, caption;
        bool hide;
    };
    const std::vector<Case> cases{
        {0, 120, 0, 3, 100, "Чтение архива", "Чтение данных", false},
        {1, 46, 0, 3, 46, "Data Archive", "Data Read", false},
        {1, 0, 3, 0, 0, "Check Connection", std::nullopt, false},
        {0, 0, 7, 0, 0, "Нет прав доступа к прибору", std::nullopt, false},
        {1, 0, 7, 3, 0, "No permission to open the device", std::nullopt, false},
        {0, 0, 1, 0, 0, "Драйвер не установлен", "Подключение", false},
        {0, 0, 2, 1, 0, "Версия прошивки устарела", "Чтение версии", false},
        {0, 20, 4, 3, 20, "Ошибка связи", std::nullopt, false},
        {0, 14, 0, 4, 14, "Чтение Материалов", "Чтение данных", false},
        {1, 25, 0, 5, 25, "Materials Write", std::nullopt, false},
        {0, 80, 0, 6, 80, "Чтение данных", std::nullopt, false},
        {1, 100, 0, 7, 100, "Ready", std::nullopt, true},
        {1, 0, 2, 2, 0, "Firmware version is outdated", "Parameters Read", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "status " << int(c.status) << " state " << int(c.state));
        SharedState shared;
        shared.Lang = uint8_t(c.lang);
        shared.LinkStatus = c.status;
        shared.WorkerState = c.state;
        int32_t progress = c.progress;
        const SyncView view = ComputeSyncView(progress, shared);
        EXPECT_EQ(progress, c.gauge);
        EXPECT_EQ(view.gaugeValue, c.gauge);
        EXPECT_EQ(view.label, c.label);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_EQ(view.hideGauge, c.hide);
        EXPECT_EQ(view.pauseMs, 0);
    }
}

} // namespace
