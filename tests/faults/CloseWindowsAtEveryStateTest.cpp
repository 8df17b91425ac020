// The settings editor and the screenshot window closed by the user at each state their
// exchanges pass through, by Escape and by the close button, also while they keep looking for
// an instrument that is not there. Each window is deleted as it closes while its worker may
// still be in the middle of a transfer: the worker must end without touching the window's
// controls, the next exchange must start as usual, and a settings write must leave the
// instrument with the whole new block or the whole old one.
#include "SimRun.h"

#include "app/SharedState.h"
#include "screenshot/Unit5.h"
#include "settings/Unit3.h"
#include "texts/Texts.h"
#include "ui/Unit1.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

using faults::AtState;
using faults::Transcript;
using faults::WaitUntil;

bool Running() { return RunningExchange() != nullptr; }

enum class Way { Escape, CloseButton };
const std::pair<Way, const char*> kWays[] = {{Way::Escape, "Escape"}, {Way::CloseButton, "close button"}};

void CloseBy(QWidget* window, Way way)
{
    if (way == Way::Escape)
        QTest::keyClick(window, Qt::Key_Escape);
    else
        window->close(); // what the title bar's x does
}

/// The `nth` hand-off in worker state `state`.
struct Moment {
    uint8_t state;
    int nth;
    const char* name;
    /// Set where the instrument is gone and the window keeps trying: what its status line
    /// says meanwhile.
    const TextPair* waiting = nullptr;
};

/// Takes `steps` in turn on the modal window in front, each on a tick of whatever event loop
/// runs (the window's own while it is shown modally); a step returns false to be asked again.
/// Message boxes are noted and acknowledged. Whatever is in front after `ms` is closed, so
/// that a fault fails the test instead of hanging it.
class OnModal : public QObject {
public:
    using Step = std::function<bool(QWidget*)>;
    explicit OnModal(std::vector<Step> steps, int ms = 30000) : steps_(std::move(steps)), ms_(ms)
    {
        clock_.start();
        connect(&tick_, &QTimer::timeout, this, &OnModal::poll);
        tick_.start(20);
    }
    bool finished() const { return next_ == steps_.size(); }
    const QStringList& boxes() const { return boxes_; }

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxes_ << box->text();
            box->buttons().value(0)->click();
            return;
        }
        if (!finished() && w && w->isVisible() && steps_[next_](w)) ++next_;
        if (clock_.elapsed() > ms_) {
            tick_.stop();
            if (w) w->close();
        }
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int ms_;
    QElapsedTimer clock_;
    QTimer tick_;
    QStringList boxes_;
};

// ---------------------------------------------------------------------------------------------
// The settings editor

using Rows = std::vector<QStringList>; // rows 1..20 of the table, columns 0..8

Rows TableOf(const TForm3& form)
{
    Rows rows;
    for (int r = 1; r <= 20; ++r) {
        QStringList row;
        for (int c = 0; c < 9; ++c) row << form.StringGrid1->item(r, c)->text();
        rows.push_back(row);
    }
    return rows;
}

std::string Describe(const Rows& rows)
{
    std::string text;
    for (const QStringList& row : rows) text += row.join(QLatin1Char('|')).toStdString() + "\n";
    return text;
}

/// The editor's read has ended, as the user sees it: the button can be pressed again.
TForm3* ReadDone(QWidget* w)
{
    auto* form = qobject_cast<TForm3*>(w);
    return form && !Running() && form->Button1->isEnabled() ? form : nullptr;
}

QPushButton* SettingsButton(TForm1& main) { return main.findChild<QPushButton*>(QStringLiteral("Button2")); }

/// Opens a fresh editor from the main window (over `shared`) and gives what its read shows.
std::optional<Rows> ReadInFreshEditor(TForm1& main, const SharedState& shared)
{
    std::optional<Rows> rows;
    if (!WaitUntil([&main] { return SettingsButton(main)->isEnabled(); }, 5000)) {
        ADD_FAILURE() << "the main window does not offer the settings again";
        return rows;
    }
    OnModal steps({[&rows, &shared](QWidget* w) {
        TForm3* form = ReadDone(w);
        if (!form) return false;
        EXPECT_EQ(form->Label1->text(), shared.tr(ExchangeText::Ready));
        rows = TableOf(*form);
        form->close();
        return true;
    }});
    SettingsButton(main)->click();
    EXPECT_TRUE(steps.finished()) << "the next read did not end";
    EXPECT_TRUE(steps.boxes().isEmpty()) << steps.boxes().join("; ").toStdString();
    return rows;
}

class CloseSettingsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 0);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        if (HasFailure()) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "transcripts and settings kept in %s\n", qPrintable(dir.path()));
        }
    }

    /// The instrument of run `run`, keeping its settings in a file of that run across the
    /// scenarios loaded for it; `part` names the transcript.
    QString scenario(int run, const char* part, const QString& more = {}) const
    {
        return QStringLiteral("object 1 name=\"Склад\" en=\"Store\" series=5 step=20x30\n"
                              "object 2 name=\"Мост\" en=\"Bridge\" potential=-500..500\n"
                              "state \"%1\"\ntranscript \"%2\"\n%3")
            .arg(dir.filePath(QStringLiteral("settings%1.bin").arg(run)), transcriptPath(run, part), more);
    }
    QString transcriptPath(int run, const char* part) const
    {
        return dir.filePath(QStringLiteral("transcript%1-%2.txt").arg(run).arg(QLatin1String(part)));
    }

    /// Closes the editor in front by `way` at `moment`; remembers it to see it deleted.
    std::unique_ptr<AtState> closeAt(const Moment& moment, Way way)
    {
        return std::make_unique<AtState>(
            moment.state,
            [this, way, waiting = moment.waiting] {
                auto* form = qobject_cast<TForm3*>(QApplication::activeModalWidget());
                if (!form || !form->isVisible()) return false;
                if (waiting) {
                    EXPECT_EQ(form->Label1->text(), shared.tr(*waiting));
                }
                closed = form;
                CloseBy(form, way);
                return true;
            },
            moment.nth);
    }

    QTemporaryDir dir;
    QPointer<TForm3> closed;
    SharedState shared;
};

TEST_F(CloseSettingsWindow, ClosedWhileReadingAtEveryState)
{
    // A first read: the version first, then the settings block; the fifth hand-off in the
    // settings state comes once the block is in, just before it goes to the table.
    const Moment moments[] = {{0, 1, "Connect"},
                              {1, 1, "ReadVersion"},
                              {4, 1, "ReadSettings, before the command"},
                              {4, 3, "ReadSettings, length read"},
                              {4, 5, "ReadSettings, block read"},
                              {7, 1, "Finish"},
                              {0, 3, "Connect, no instrument", &ExchangeText::CheckConnection}};
    int runs = 0;
    for (const Moment& moment : moments) {
        for (const auto& [way, wayName] : kWays) {
            SCOPED_TRACE(std::string(wayName) + " in " + moment.name);
            shared.reset();
            ASSERT_TRUE(LoadScenario(scenario(runs, "closed", moment.waiting ? "devices none\n" : "")));
            TForm1 main(shared);
            main.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
            closed = nullptr;
            const auto close = closeAt(moment, way);
            OnModal boxes({});
            SettingsButton(main)->click(); // returns once the editor has closed and gone
            EXPECT_TRUE(close->done()) << "the read never came to that moment";
            EXPECT_TRUE(closed.isNull()) << "the editor outlives its closing";
            EXPECT_TRUE(boxes.boxes().isEmpty()) << boxes.boxes().join("; ").toStdString();
            ASSERT_TRUE(WaitUntil([] { return !Running(); }, 20000)) << "the worker did not end";
            ASSERT_TRUE(LoadScenario(scenario(runs, "next")));
            ++runs;
            const std::optional<Rows> rows = ReadInFreshEditor(main, shared);
            ASSERT_TRUE(rows);
            EXPECT_EQ((*rows)[0].join(QLatin1Char('|')), "1|Склад|-999|999|0|999|5|20|30");
            EXPECT_EQ((*rows)[1][1], "Мост");
        }
    }
    if (!HasFailure())
        std::printf("settings editor closed during its read in %d runs: every worker ended\n", runs);
}

TEST_F(CloseSettingsWindow, ClosedWhileWritingAtEveryStateLeavesTheWholeOldOrNewBlock)
{
    // A write goes from Connect straight to WriteSettings. There, the first hand-off comes
    // before the rows are taken, the second is the taking, 40 more rebuild the entries and
    // then one follows each of the block's 12 pieces.
    const Moment moments[] = {
        {0, 1, "Connect"},
        {5, 1, "WriteSettings, before the rows are taken"},
        {5, 2, "WriteSettings, taking the rows"},
        {5, 22, "WriteSettings, half the entries rebuilt"},
        {5, 46, "WriteSettings, four pieces sent"},
        {5, 54, "WriteSettings, last piece sent"},
        {7, 1, "Finish"},
        // Pulled out after the read: the command fails and the whole
        // state, rebuilding included, runs again and again.
        {5, 100, "WriteSettings, retrying without the instrument", &ExchangeText::LinkError}};
    int runs = 0, storedNew = 0;
    for (const Moment& moment : moments) {
        for (const auto& [way, wayName] : kWays) {
            SCOPED_TRACE(std::string(wayName) + " in " + moment.name);
            shared.reset();
            // The read before the write takes six transfers (version, then settings).
            const int run = runs;
            ASSERT_TRUE(LoadScenario(scenario(run, "closed", moment.waiting ? "unplug_after 6\n" : "")));
            TForm1 main(shared);
            main.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
            closed = nullptr;
            std::unique_ptr<AtState> close;
            Rows before, after;
            OnModal steps({[&](QWidget* w) {
                TForm3* form = ReadDone(w);
                if (!form) return false;
                before = TableOf(*form);
                // Every entry changes, so that a block of some old and some new entries shows.
                for (int r = 1; r <= 20; ++r) {
                    form->StringGrid1->item(r, 1)->setText(QStringLiteral("Новый %1").arg(r));
                    form->StringGrid1->item(r, 3)->setText(QString::number(900 - r));
                }
                after = TableOf(*form);
                close = closeAt(moment, way);
                QTest::mouseClick(form->Button1, Qt::LeftButton);
                return true;
            }});
            SettingsButton(main)->click();
            ASSERT_TRUE(steps.finished()) << "the read before the write did not end";
            ASSERT_TRUE(close);
            EXPECT_TRUE(close->done()) << "the write never came to that moment";
            EXPECT_TRUE(closed.isNull()) << "the editor outlives its closing";
            EXPECT_TRUE(steps.boxes().isEmpty()) << steps.boxes().join("; ").toStdString();
            ASSERT_TRUE(WaitUntil([] { return !Running(); }, 20000)) << "the worker did not end";
            ++runs;

            const Transcript wire = Transcript::Read(transcriptPath(run, "closed").toStdString());
            EXPECT_FALSE(wire.remarked("rejected")) << wire.raw;
            EXPECT_FALSE(wire.remarked("abandoned")) << "a block begun must be sent whole\n" << wire.raw;
            const bool wasStored = wire.remarked("settings block stored");

            // What the instrument keeps, read back by a fresh editor.
            ASSERT_TRUE(LoadScenario(scenario(run, "next")));
            const std::optional<Rows> rows = ReadInFreshEditor(main, shared);
            ASSERT_TRUE(rows);
            const std::string kept = Describe(*rows), old = Describe(before), edited = Describe(after);
            EXPECT_TRUE(kept == old || kept == edited) << "neither the old block nor the new one:\n" << kept;
            if (!wasStored) {
                EXPECT_EQ(kept, old) << "nothing was stored";
            }
            storedNew += kept == edited;
        }
    }
    if (!HasFailure())
        std::printf(
            "settings editor closed during its write in %d runs (%d left the new block, the others the "
            "old one): every worker ended, no block half written\n",
            runs, storedNew);
}

// ---------------------------------------------------------------------------------------------
// The screenshot window

QAction* ScreenshotCommand(TForm1& main) { return main.findChild<QAction*>(QStringLiteral("Copy3")); }

TEST(CloseScreenshotWindow, ClosedAtEveryStateOfItsScreenRead)
{
    setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 0);
    // A first read: the version first, then the screen, whose second hand-off comes after the
    // length and the third once the image is in.
    const Moment moments[] = {{0, 1, "Connect"},
                              {1, 1, "ReadVersion"},
                              {6, 1, "ReadScreen, before the command"},
                              {6, 2, "ReadScreen, length read"},
                              {6, 3, "ReadScreen, image read"},
                              {7, 1, "Finish"},
                              {0, 3, "Connect, no instrument", &ExchangeText::CheckConnection}};
    const char* const instrument = "screen full\n";
    // Update, as the user clicks it, once the window is in front.
    const auto update = [](QWidget* w) {
        auto* form = qobject_cast<TForm5*>(w);
        if (!form || !form->Button1->isEnabled()) return false;
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        return true;
    };
    SharedState shared;
    int runs = 0;
    for (const Moment& moment : moments) {
        for (const auto& [way, wayName] : kWays) {
            SCOPED_TRACE(std::string(wayName) + " in " + moment.name);
            shared.reset();
            ASSERT_TRUE(LoadScenario(moment.waiting ? "devices none\n" : instrument));
            TForm1 main(shared);
            main.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
            QAction* command = ScreenshotCommand(main);
            ASSERT_NE(command, nullptr);

            QPointer<TForm5> closed;
            AtState close(
                moment.state,
                [&closed, &shared, way = way, waiting = moment.waiting] {
                    auto* form = qobject_cast<TForm5*>(QApplication::activeModalWidget());
                    if (!form || !form->isVisible()) return false;
                    if (waiting) {
                        EXPECT_EQ(form->Label3->text(), shared.tr(*waiting));
                    }
                    closed = form;
                    CloseBy(form, way);
                    return true;
                },
                moment.nth);
            OnModal steps({update});
            command->trigger(); // returns once the window has closed
            EXPECT_TRUE(steps.finished());
            EXPECT_TRUE(close.done()) << "the read never came to that moment";
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(closed.isNull()) << "the window outlives its closing";
            EXPECT_TRUE(steps.boxes().isEmpty()) << steps.boxes().join("; ").toStdString();
            ASSERT_TRUE(WaitUntil([] { return !Running(); }, 20000)) << "the worker did not end";
            ++runs;

            // A fresh window reads the screen as usual.
            ASSERT_TRUE(LoadScenario(instrument));
            QImage picture;
            OnModal again({update, [&picture](QWidget* w) {
                               auto* form = qobject_cast<TForm5*>(w);
                               if (!form || Running() || !form->Button1->isEnabled()) return false;
                               picture = form->Image1->picture();
                               form->close();
                               return true;
                           }});
            command->trigger();
            ASSERT_TRUE(again.finished()) << "the next read did not end";
            ASSERT_FALSE(picture.isNull());
            // Every dot of a full display is ink, black unless chosen otherwise.
            EXPECT_EQ(picture.pixel(picture.width() / 2, picture.height() / 2), qRgb(0, 0, 0));
        }
    }
    if (!HasFailure()) std::printf("screenshot window closed in %d runs: every worker ended\n", runs);
}

} // namespace
