// Every transfer of every exchange, made to fail in each way the wire can fail: an error, a
// time-out, the instrument pulled out. The real windows and worker run against the simulated
// instrument; each run has its own deadline, so a hang is reported with its case instead of
// stopping the whole matrix.
#include "SimRun.h"

#include "app/SharedState.h"
#include "archive/ArchiveTable.h"
#include "device/Unit2.h"
#include "exchange/project/ProjectFile.h"
#include "texts/Texts.h"
#include "ui/ExchangeStarters.h"
#include "ui/Unit1.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

namespace {

using faults::LabelHistory;
using faults::Transcript;
using faults::WaitUntil;

constexpr int kDeadlineMs = 30000;
/// Failed transfers after the fault that show the worker is retrying rather than stuck: more
/// than a settings write's remaining pieces, which all fail once the instrument is gone.
constexpr int kRetriesSeen = 20;

// A small archive: three records of one series, plus the instrument's defaults.
const std::string kInstrument = "object 2 name=Мост en=Bridge series=3\n"
                                "series object=2 sensor=potential count=1 points=3\n"
                                "prepare all 0\n";

enum class Fault { Error, Timeout, Unplug };
constexpr Fault kFaults[] = {Fault::Error, Fault::Timeout, Fault::Unplug};

const char* Name(Fault f)
{
    switch (f) {
    case Fault::Error: return "error";
    case Fault::Timeout: return "time-out";
    case Fault::Unplug: return "unplugged";
    }
    return "?";
}

std::string FaultLine(Fault f, std::size_t k)
{
    switch (f) {
    case Fault::Error: return "fail_transfer " + std::to_string(k) + " error\n";
    case Fault::Timeout: return "fail_transfer " + std::to_string(k) + " timeout\n";
    case Fault::Unplug: return "unplug_after " + std::to_string(k - 1) + "\n";
    }
    return {};
}

/// Whether the simulator really failed transfer `k` as asked.
bool Injected(const Transcript& t, Fault f, std::size_t k)
{
    if (t.transfers.size() < k) return false;
    const int result = t.transfers[k - 1].result;
    switch (f) {
    case Fault::Error: return result == -5 && t.remarked("transfer " + std::to_string(k) + " fails");
    case Fault::Timeout: return result == -110 && t.remarked("transfer " + std::to_string(k) + " fails");
    case Fault::Unplug: return result == -19 && t.remarked("instrument unplugged");
    }
    return false;
}

struct Figures {
    int runs = 0;
    int injected = 0;
    int hangs = 0;
    int lostRows = 0;
    int falseRows = 0;
    int halfSent = 0;
    void add(const Figures& o)
    {
        runs += o.runs;
        injected += o.injected;
        hangs += o.hangs;
        lostRows += o.lostRows;
        falseRows += o.falseRows;
        halfSent += o.halfSent;
    }
    void print(const char* what) const
    {
        std::printf("fault matrix, %s: %d runs, %d faults injected, hangs %d, lost rows %d, false rows %d, "
                    "half-sent settings blocks %d\n",
                    what, runs, injected, hangs, lostRows, falseRows, halfSent);
        std::fflush(stdout);
    }
};

Figures& Total()
{
    static Figures total;
    return total;
}

// The figures of the whole matrix once every test of the process has run; a crash would have
// ended the process before this line.
class PrintTotal : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (Total().runs == 0) return;
        Total().print("all operations");
        std::printf("fault matrix: no crash in %d runs\n", Total().runs);
    }
};
[[maybe_unused]] const auto* const kPrintTotal = ::testing::AddGlobalTestEnvironment(new PrintTotal);

bool Running() { return RunningExchange() != nullptr; }

/// How one run went.
struct Outcome {
    bool hung = false;          ///< missed its deadline
    bool retrying = false;      ///< kept failing transfers after the fault until stopped
    bool stoppedByUser = false; ///< Cancel or the window's close ended it
    Transcript transcript;
    QStringList labels;
    std::string describe(Fault f, std::size_t k, const Transcript& reference) const
    {
        return std::string(Name(f)) + " at " + reference.describe(k);
    }
};

/// The texts of one settings table row, columns 0..8.
QStringList RowTexts(const QTableWidget& table, int row)
{
    QStringList out;
    for (int c = 0; c < 9; ++c) {
        const QTableWidgetItem* item = table.item(row, c);
        out << (item ? item->text() : QString());
    }
    return out;
}

/// A settings or screenshot window: the controls its starter attaches, closed by the user.
struct Panel {
    Panel()
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(gauge = new QProgressBar);
        layout->addWidget(label = new QLabel);
        layout->addWidget(table = new QTableWidget(21, 9));
        gauge->setRange(0, 100);
        label->setObjectName("Label1");
        window->show();
    }
    void fillOld()
    {
        for (int r = 1; r <= 20; ++r)
            for (int c = 0; c < 9; ++c)
                table->setItem(r, c, new QTableWidgetItem(QString("old %1.%2").arg(r).arg(c)));
    }
    std::unique_ptr<QWidget> window;
    QProgressBar* gauge;
    QLabel* label;
    QTableWidget* table;
};

class FaultMatrix : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 0);
        SetLinkFactory(nullptr);
        ASSERT_TRUE(dir.isValid());
        transcriptPath = dir.filePath("transcript.txt").toStdString();
    }
    void TearDown() override
    {
        StopExchangeAtExit();
        figures.print(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Total().add(figures);
    }

    bool load(const std::string& extra)
    {
        std::remove(transcriptPath.c_str());
        return faults::LoadScenario(kInstrument + extra + "transcript \"" + transcriptPath + "\"\n");
    }
    Transcript transcript() const { return Transcript::Read(transcriptPath); }

    /// Runs one exchange started by `start` (which returns once it has begun, or once a
    /// modal progress window has closed). `stop` is the user's way to end it: Cancel or
    /// closing the window. A run that keeps failing transfers after the fault at `k` is
    /// stopped that way once it has shown that it retries.
    Outcome run(std::size_t k, const std::function<void()>& start, const std::function<void()>& stop)
    {
        Outcome r;
        LabelHistory history;
        QElapsedTimer clock;
        clock.start();
        bool forced = false;
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            // Also once the worker has ended: a window it left open is a hang too.
            if (!r.hung && clock.elapsed() > kDeadlineMs) {
                r.hung = true;
                stop();
            }
            if (r.hung && !forced && clock.elapsed() > kDeadlineMs + 5000) {
                // Deaf to the user too: take it down so the next case can run.
                forced = true;
                if (BMTreadUSB* worker = RunningExchange()) worker->requestStop();
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            }
            if (!Running()) return;
            if (!r.stoppedByUser && transcript().failuresAfter(k) >= kRetriesSeen) {
                r.retrying = true;
                r.stoppedByUser = true;
                stop();
            }
        });
        watch.start();
        start();
        if (!WaitUntil([] { return !Running(); },
                       int(std::max<qint64>(1000, kDeadlineMs + 5000 - clock.elapsed())))) {
            r.hung = true;
            StopExchangeAtExit();
        }
        watch.stop();
        r.transcript = transcript();
        r.labels = history.texts();
        return r;
    }

    /// The checks every run gets: the fault happened, the run ended in time, the user saw it.
    void expectCommon(const Outcome& r, Fault f, std::size_t k, const Transcript& reference)
    {
        ++figures.runs;
        const bool injected = Injected(r.transcript, f, k);
        figures.injected += injected;
        EXPECT_TRUE(injected) << "the simulator did not fail it\n" << r.transcript.raw;
        if (r.hung) {
            ++figures.hangs;
            ADD_FAILURE() << "hang: " << r.describe(f, k, reference) << " still ran after " << kDeadlineMs
                          << " ms; labels seen: " << r.labels.join(" | ").toStdString() << "\n"
                          << r.transcript.raw;
        }
        EXPECT_TRUE(r.labels.contains("Ошибка связи"))
            << "labels seen: " << r.labels.join(" | ").toStdString();
    }

    QTemporaryDir dir;
    std::string transcriptPath;
    Figures figures;
    SharedState shared;
};

// Data rows of the main table (rows 1.. with any text) compared with the first `expected`
// data rows of `reference`; counts rows missing and rows that were never received.
void CountRows(const ArchiveTable& shown, const ArchiveTable& reference, int expected, Figures& figures,
               const std::string& what)
{
    int dataRows = 0;
    for (int r = 1; r < shown.rowCount(); ++r) {
        bool any = false;
        for (int c = 0; c < shown.columnCount(); ++c) any = any || !shown.cell(c, r).isEmpty();
        if (any) dataRows = r;
    }
    int lost = 0, wrong = 0;
    for (int r = 1; r <= std::max(dataRows, expected); ++r) {
        if (r > dataRows) {
            ++lost;
            continue;
        }
        if (r > expected || r >= reference.rowCount()) {
            ++wrong;
            continue;
        }
        for (int c = 0; c < reference.columnCount(); ++c)
            if (shown.cell(c, r) != reference.cell(c, r)) {
                ++wrong;
                break;
            }
    }
    figures.lostRows += lost;
    figures.falseRows += wrong;
    EXPECT_EQ(lost, 0) << what << ": rows received but not shown";
    EXPECT_EQ(wrong, 0) << what << ": rows shown that were not received as they are";
}

bool SameTable(const ArchiveTable& a, const ArchiveTable& b)
{
    if (a.rowCount() != b.rowCount() || a.columnCount() != b.columnCount()) return false;
    for (int r = 0; r < a.rowCount(); ++r)
        for (int c = 0; c < a.columnCount(); ++c)
            if (a.cell(c, r) != b.cell(c, r)) return false;
    return true;
}

TEST_F(FaultMatrix, ArchiveRead)
{
    // The table the user had before the read, opened from a project.
    ArchiveTable old(kArchiveColumns, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < kArchiveColumns; ++c) old.setCell(c, r, QString("old %1.%2").arg(c).arg(r));
    const QString project = dir.filePath("old.ar");
    ASSERT_EQ(saveProject(old, project), ProjectStatus::Ok);

    TForm1 form(shared);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* read = form.findChild<QPushButton*>("Button1");
    ASSERT_NE(read, nullptr);
    const auto progressWindow = [&form]() -> TForm2* {
        const auto forms = form.findChildren<TForm2*>();
        return forms.isEmpty() ? nullptr : forms.back();
    };
    const auto click = [&] {
        ASSERT_TRUE(WaitUntil([read] { return read->isEnabled(); }, 5000));
        read->click(); // returns once the progress window has closed
    };
    const auto cancel = [&] {
        TForm2* p = progressWindow();
        if (!p || !p->isVisible()) return;
        if (Running())
            QTest::mouseClick(p->Button1, Qt::LeftButton);
        else
            p->reject(); // left open by a read that has ended: free the test
    };

    // The first read of a run, undisturbed: version, settings, header, three records.
    ASSERT_TRUE(load(""));
    run(1, click, cancel);
    const Transcript reference = transcript();
    const ArchiveTable received = form.table();
    ASSERT_EQ(received.rowCount(), 4);
    ASSERT_EQ(reference.transfers.size(), 18u) << reference.raw;

    for (std::size_t k = 1; k <= reference.transfers.size(); ++k) {
        // Records are asked for by their index; a fault there ends the read with the
        // records before it.
        const std::string command = reference.commandOf(k);
        const bool inRecords = command.rfind("03 FC", 0) == 0;
        const int before = inRecords ? std::stoi(command.substr(6, 2), nullptr, 16) : -1;
        for (Fault f : kFaults) {
            SCOPED_TRACE(std::string(Name(f)) + " at " + reference.describe(k));
            shared.reset();
            form.OpenFromCommandLine({project});
            ASSERT_TRUE(SameTable(form.table(), old));
            ASSERT_TRUE(load(FaultLine(f, k)));
            const Outcome r = run(k, click, cancel);
            expectCommon(r, f, k, reference);
            TForm2* p = progressWindow();
            ASSERT_NE(p, nullptr);
            EXPECT_FALSE(p->isVisible()) << "the progress window stays open";
            if (inRecords) {
                EXPECT_FALSE(r.stoppedByUser) << "a fault among the records ends the read by itself";
                EXPECT_EQ(p->Label1->text(), "Ошибка связи");
                EXPECT_FALSE(p->CGauge1->isHidden());
                CountRows(form.table(), received, before, figures, r.describe(f, k, reference));
                EXPECT_EQ(shared.VersionUnread.load(), 0);
            } else if (f == Fault::Unplug) {
                EXPECT_TRUE(r.retrying) << "the step is asked again while the link fails";
                EXPECT_TRUE(SameTable(form.table(), old)) << "a cancelled read keeps the table";
                if (!SameTable(form.table(), old)) ++figures.falseRows;
                EXPECT_EQ(shared.VersionUnread.load(), 1);
            } else {
                EXPECT_FALSE(r.stoppedByUser) << "one failed transfer is asked again and the read goes on";
                EXPECT_EQ(p->Label1->text(), "Готово");
                CountRows(form.table(), received, 3, figures, r.describe(f, k, reference));
            }
        }
    }
}

TEST_F(FaultMatrix, SettingsRead)
{
    std::vector<QStringList> received;
    {
        Panel panel;
        ASSERT_TRUE(load(""));
        run(
            1, [&] { ASSERT_TRUE(StartSettingsRead(shared, panel.gauge, panel.label, panel.table)); }, [] {});
        for (int r = 1; r <= 20; ++r) received.push_back(RowTexts(*panel.table, r));
        ASSERT_EQ(received[1][1], "Мост");
    }
    const Transcript reference = transcript();
    ASSERT_EQ(reference.transfers.size(), 6u) << reference.raw;

    for (std::size_t k = 1; k <= reference.transfers.size(); ++k) {
        for (Fault f : kFaults) {
            SCOPED_TRACE(std::string(Name(f)) + " at " + reference.describe(k));
            shared.reset();
            Panel panel;
            panel.fillOld();
            ASSERT_TRUE(load(FaultLine(f, k)));
            const Outcome r = run(
                k, [&] { ASSERT_TRUE(StartSettingsRead(shared, panel.gauge, panel.label, panel.table)); },
                [&] { panel.window->close(); });
            expectCommon(r, f, k, reference);
            int lost = 0, wrong = 0;
            for (int row = 1; row <= 20; ++row) {
                const QStringList shown = RowTexts(*panel.table, row);
                if (f == Fault::Unplug) {
                    wrong += shown[1] != QString("old %1.1").arg(row);
                } else if (shown != received[std::size_t(row - 1)]) {
                    lost += shown[1].startsWith("old");
                    wrong += !shown[1].startsWith("old");
                }
            }
            figures.lostRows += lost;
            figures.falseRows += wrong;
            EXPECT_EQ(lost, 0) << "settings rows not filled";
            EXPECT_EQ(wrong, 0) << "settings rows that differ from what the instrument holds";
            if (f == Fault::Unplug) {
                EXPECT_TRUE(r.retrying) << "the step is asked again while the link fails";
            } else {
                EXPECT_FALSE(r.stoppedByUser);
                EXPECT_EQ(panel.label->text(), "Готово");
            }
        }
    }
}

TEST_F(FaultMatrix, SettingsWrite)
{
    Panel panel;
    ASSERT_TRUE(load(""));
    run(
        1, [&] { ASSERT_TRUE(StartSettingsRead(shared, panel.gauge, panel.label, panel.table)); }, [] {});
    ASSERT_EQ(panel.table->item(2, 1)->text(), "Мост");
    panel.table->item(2, 1)->setText("Новый мост");
    panel.table->item(2, 7)->setText("25");

    const std::string state = dir.filePath("settings.bin").toStdString();
    const auto stored = [&state]() -> std::optional<std::string> {
        std::ifstream in(state, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::remove(state.c_str());
    ASSERT_TRUE(load("state \"" + state + "\"\n"));
    run(
        1, [&] { ASSERT_TRUE(StartSettingsWrite(shared, panel.gauge, panel.label, panel.table)); }, [] {});
    const Transcript reference = transcript();
    const auto written = stored();
    ASSERT_TRUE(written && written->size() == 760u) << reference.raw;
    ASSERT_EQ(reference.transfers.size(), 14u) << reference.raw;

    for (std::size_t k = 1; k <= reference.transfers.size(); ++k) {
        const bool inPieces = k > 2; // after the command and the length
        for (Fault f : kFaults) {
            SCOPED_TRACE(std::string(Name(f)) + " at " + reference.describe(k));
            std::remove(state.c_str());
            ASSERT_TRUE(load(FaultLine(f, k) + "state \"" + state + "\"\n"));
            const Outcome r = run(
                k, [&] { ASSERT_TRUE(StartSettingsWrite(shared, panel.gauge, panel.label, panel.table)); },
                [&] { panel.window->close(); });
            expectCommon(r, f, k, reference);
            const auto now = stored();
            const bool whole = now && *now == *written;
            if (now && !whole) ++figures.halfSent;
            EXPECT_TRUE(!now || whole)
                << "the instrument stored a block that is neither the old nor the new one";
            if (inPieces) {
                // A piece that did not arrive leaves the instrument's block as it was.
                EXPECT_FALSE(now.has_value());
                EXPECT_FALSE(r.stoppedByUser) << "sending goes on after a failed piece and the write ends";
                EXPECT_EQ(panel.label->text(), "Ошибка связи");
            } else if (f == Fault::Unplug) {
                EXPECT_TRUE(r.retrying) << "the command is sent again while the link fails";
                EXPECT_FALSE(now.has_value());
            } else {
                EXPECT_FALSE(r.stoppedByUser);
                EXPECT_TRUE(whole) << "a write asked again after one failed transfer stores the new block";
                EXPECT_EQ(panel.label->text(), "Готово");
            }
            // A window closed to end the run is opened again for the next one.
            if (!panel.window->isVisible()) panel.window->show();
        }
    }
}

TEST_F(FaultMatrix, ScreenRead)
{
    const auto screen = [this] {
        std::vector<uint8_t> bytes(kScreenBufferSize);
        for (int i = 0; i < kScreenBufferSize; ++i)
            bytes[std::size_t(i)] = shared.ScreenBuffer[std::size_t(i)].load();
        return bytes;
    };
    std::vector<uint8_t> image;
    {
        Panel panel;
        ASSERT_TRUE(load("screen border\n"));
        run(
            1, [&] { ASSERT_TRUE(StartScreenRead(shared, panel.gauge, panel.label)); }, [] {});
        ASSERT_EQ(panel.gauge->value(), 100);
        image = screen();
    }
    const Transcript reference = transcript();
    ASSERT_EQ(reference.transfers.size(), 6u) << reference.raw;

    for (std::size_t k = 1; k <= reference.transfers.size(); ++k) {
        for (Fault f : kFaults) {
            SCOPED_TRACE(std::string(Name(f)) + " at " + reference.describe(k));
            shared.reset();
            for (auto& b : shared.ScreenBuffer) b = 0xA5;
            Panel panel;
            ASSERT_TRUE(load(FaultLine(f, k) + "screen border\n"));
            const Outcome r = run(
                k, [&] { ASSERT_TRUE(StartScreenRead(shared, panel.gauge, panel.label)); },
                [&] { panel.window->close(); });
            expectCommon(r, f, k, reference);
            if (f == Fault::Unplug) {
                EXPECT_TRUE(r.retrying) << "the step is asked again while the link fails";
            } else {
                EXPECT_FALSE(r.stoppedByUser);
                EXPECT_EQ(panel.gauge->value(), 100) << "the window learns of the end from the gauge";
                EXPECT_EQ(panel.label->text(), "Готово");
                EXPECT_TRUE(screen() == image) << "the picture differs from the instrument's";
            }
        }
    }
}

} // namespace
