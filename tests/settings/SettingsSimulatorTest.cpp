// The settings editor opened from the main window, reading and writing the simulated
// instrument that the program loads as its libusb-0.1.
#include "GridInput.h"
#include "app/SharedState.h"
#include "device/BMTreadUSB.h"
#include "device/Formats.h"
#include "settings/Unit3.h"
#include "support/SimulatorScenario.h"
#include "texts/Texts.h"
#include "ui/Unit1.h"
#include "worker/WorkerTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>
#include <iostream>
#include <memory>

namespace {

using namespace grid_input;

bool ExchangeRunning() { return RunningExchange() != nullptr; }

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SettingsAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 1);
        main = std::make_unique<TForm1>(shared);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        // The transcript of a failed test stays for a look.
        if (HasFailure()) {
            dir.setAutoRemove(false);
            std::cerr << "transcript and settings kept in " << dir.path().toStdString() << "\n";
        }
        main.reset();
        StopExchangeAtExit();
    }

    /// One step of what the user does in the editor; false while it waits for something.
    using Step = std::function<bool(TForm3&)>;

    /// Presses "Objects settings" and takes the steps in the editor while it is shown modally,
    /// each on a tick of the editor's own event loop (waiting there rather than in a loop of
    /// the test's lets the window thread serve the worker as it does for a user). The editor
    /// is closed after the last step, or when a step has waited too long.
    void withEditor(const std::vector<Step>& steps, int timeoutMs = 30000)
    {
        std::size_t next = 0;
        QElapsedTimer clock;
        QTimer tick;
        tick.setInterval(20);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            auto* form = qobject_cast<TForm3*>(QApplication::activeModalWidget());
            if (!form) return; // not shown yet, or a box in front of it
            if (next < steps.size() && steps[next](*form)) ++next;
            if (next == steps.size() || clock.elapsed() > timeoutMs) {
                tick.stop();
                form->close();
            }
        });
        clock.start();
        tick.start();
        main->findChild<QPushButton*>("Button2")->click();
        EXPECT_EQ(next, steps.size()) << "the editor closed at step " << next;
    }
    /// Waits, as the user does, until the exchange is over and the button can be pressed again;
    /// it must have ended as a success.
    static bool exchangeDone(TForm3& form)
    {
        if (ExchangeRunning() || !form.Button1->isEnabled()) return false;
        EXPECT_EQ(form.Label1->text(), "Готово");
        return true;
    }

    QTemporaryDir dir;
    SharedState shared;
    std::unique_ptr<TForm1> main;
    MessageBoxWatch boxes;
};

TEST_F(SettingsAgainstSimulator, EditedNamesAndRangeComeBackInTheNextWindow)
{
    const QString state = dir.filePath("settings.bin");
    const QString transcript = dir.filePath("transcript.txt");
    ASSERT_TRUE(LoadScenario(QStringLiteral(R"(
        object 1 name="Склад" en="Store" series=5 step=20x30
        object 2 name="Мост" en="Bridge" potential=-500..500
        state "%1"
        transcript "%2"
    )")
                                 .arg(state, transcript)));

    withEditor({
        [](TForm3& form) {
            EXPECT_EQ(form.windowTitle(), "Настройка Объектов");
            EXPECT_EQ(form.Button1->isEnabled(), !ExchangeRunning()) << "the read runs as the window opens";
            return true;
        },
        exchangeDone,
        [](TForm3& form) {
            QTableWidget* grid = form.StringGrid1;
            const QStringList first = {"1", "Склад", "-999", "999", "0", "999", "5", "20", "30"};
            for (int c = 0; c < 9; ++c) EXPECT_EQ(grid->item(1, c)->text(), first[c]) << "column " << c;
            EXPECT_EQ(grid->item(2, 1)->text(), "Мост");
            EXPECT_EQ(grid->item(2, 2)->text(), "-500");
            EXPECT_EQ(grid->item(20, 0)->text(), "20");
            EXPECT_EQ(grid->item(20, 1)->text(), "Объект 20");
            Enter(grid, 1, 1, "Хранилище");
            Enter(grid, 2, 1, "Виадук");
            Enter(grid, 2, 2, "-250");
            Enter(grid, 2, 3, "750");
            QTest::mouseClick(form.Button1, Qt::LeftButton);
            Settle();
            EXPECT_FALSE(form.Button1->isEnabled()) << "no second send while this one runs";
            return true;
        },
        [](TForm3& form) {
            if (!exchangeDone(form)) return false;
            EXPECT_FALSE(form.CGauge1->isVisible());
            EXPECT_EQ(form.CGauge1->value(), 50);
            return true;
        },
    });
    EXPECT_TRUE(boxes.boxes.empty());

    // What the instrument now keeps.
    const QByteArray stored = ReadAll(state);
    ASSERT_EQ(stored.size(), qsizetype(kSettingsBlockSize));
    SettingsBlock block{};
    std::copy(stored.begin(), stored.end(), block.begin());
    const ObjectSettings store = DecodeSettingsEntry(block, 0), bridge = DecodeSettingsEntry(block, 1);
    EXPECT_EQ(store.nameRu, "Хранилище");
    EXPECT_EQ(store.nameEn, "Store") << "the English name is sent back as read";
    EXPECT_EQ(store.seriesLength, 5);
    EXPECT_EQ(bridge.nameRu, "Виадук");
    EXPECT_EQ(bridge.potentialMin, -250);
    EXPECT_EQ(bridge.potentialMax, 750);
    EXPECT_TRUE(IsSettingsEntryValid(block, 0) && IsSettingsEntryValid(block, 1));
    const QByteArray wire = ReadAll(transcript);
    EXPECT_TRUE(wire.contains(": 05 FA")) << wire.toStdString();
    EXPECT_TRUE(wire.contains(": F8 02 00 00"));

    // A new window reads the instrument again.
    withEditor({
        [](TForm3& form) {
            for (int r = 1; r <= 20; ++r)
                EXPECT_TRUE(form.StringGrid1->item(r, 1)->text().isEmpty()) << "a new window starts empty";
            return true;
        },
        exchangeDone,
        [](TForm3& form) {
            QTableWidget* grid = form.StringGrid1;
            EXPECT_EQ(grid->item(1, 1)->text(), "Хранилище");
            EXPECT_EQ(grid->item(2, 1)->text(), "Виадук");
            EXPECT_EQ(grid->item(2, 2)->text(), "-250");
            EXPECT_EQ(grid->item(2, 3)->text(), "750");
            EXPECT_EQ(grid->item(1, 7)->text(), "20");
            return true;
        },
    });
    EXPECT_EQ(shared.ObjectNames.at(0), (TextPair{"Хранилище", "Store"}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SettingsAgainstSimulator, NoInstrumentLeavesTheTableEmptyAndClosingEndsTheRead)
{
    ASSERT_TRUE(LoadScenario("devices none\n"));
    QElapsedTimer since;
    withEditor({
        [&](TForm3& form) {
            if (form.Label1->text() != "Проверьте подключение") return false;
            since.start();
            return true;
        },
        // Still looking a while later, with the button waiting.
        [&](TForm3& form) {
            if (since.elapsed() < 700) return false;
            EXPECT_TRUE(ExchangeRunning());
            EXPECT_FALSE(form.Button1->isEnabled());
            for (int r = 1; r <= 20; ++r)
                for (int c = 0; c < 9; ++c)
                    EXPECT_TRUE(form.StringGrid1->item(r, c)->text().isEmpty()) << r << "," << c;
            return true;
        },
    });
    EXPECT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 5000)) << "closing the window ends the read";
    Settle();
    EXPECT_TRUE(main->findChild<QPushButton*>("Button2")->isEnabled());
    EXPECT_TRUE(boxes.boxes.empty());
}

} // namespace
