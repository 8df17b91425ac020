// The progress window of an archive read closed by the user at each state the worker passes
// through, in each way a user can: Escape, the title bar's close button, Cancel. Closing only
// ends the modal display, and the read goes on to fill the table; Cancel ends the read and
// keeps the table. Either way the worker ends and nothing touches a control that has gone.
#include "SimRun.h"

#include "app/SharedState.h"
#include "archive/ArchiveTable.h"
#include "device/Unit2.h"
#include "texts/Texts.h"
#include "ui/Unit1.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using faults::AtState;
using faults::WaitUntil;

bool Running() { return RunningExchange() != nullptr; }

TEST(CloseProgressWindow, AtEveryStateByEscapeTitleBarOrCancel)
{
    setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 0);
    enum class Way { Escape, TitleBar, Cancel };
    const std::pair<Way, const char*> ways[] = {
        {Way::Escape, "Escape"}, {Way::TitleBar, "title bar"}, {Way::Cancel, "Cancel"}};
    // The states of a first read, in the order it passes them.
    const std::pair<uint8_t, const char*> states[] = {{0, "Connect"},      {1, "ReadVersion"},
                                                      {4, "ReadSettings"}, {2, "ReadHeader"},
                                                      {3, "ReadRecords"},  {7, "Finish"}};
    const std::string instrument = "series object=2 sensor=potential count=1 points=3\n";

    SharedState shared;
    int runs = 0;
    for (const auto& [state, stateName] : states) {
        for (const auto& [way, wayName] : ways) {
            SCOPED_TRACE(std::string(wayName) + " in " + stateName);
            shared.reset();
            ASSERT_TRUE(faults::LoadScenario(instrument));
            TForm1 form(shared);
            form.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
            const ArchiveTable before = form.table();
            auto* read = form.findChild<QPushButton*>("Button1");
            ASSERT_NE(read, nullptr);

            AtState close(state, [&form, way = way] {
                const auto forms = form.findChildren<TForm2*>();
                TForm2* p = forms.isEmpty() ? nullptr : forms.back();
                if (!p || !p->isVisible()) return false;
                switch (way) {
                case Way::Escape: QTest::keyClick(p, Qt::Key_Escape); break;
                case Way::TitleBar: p->close(); break;
                case Way::Cancel: QTest::mouseClick(p->Button1, Qt::LeftButton); break;
                }
                return true;
            });
            read->click(); // returns once the progress window is gone from the screen
            ASSERT_TRUE(WaitUntil([] { return !Running(); }, 20000)) << "the worker did not end";
            ++runs;
            EXPECT_TRUE(close.done()) << "the read never showed that state";
            const auto forms = form.findChildren<TForm2*>();
            ASSERT_EQ(forms.size(), 1);
            EXPECT_FALSE(forms.back()->isVisible());
            if (way == Way::Cancel) {
                EXPECT_EQ(form.table().rowCount(), before.rowCount()) << "a cancelled read keeps the table";
                EXPECT_EQ(form.table().cell(1, 0), before.cell(1, 0));
                EXPECT_EQ(shared.VersionUnread.load(), 1);
            } else {
                EXPECT_EQ(form.table().rowCount(), 4)
                    << "closing the window leaves the read running to its end";
                EXPECT_FALSE(form.table().cell(4, 3).isEmpty());
                EXPECT_EQ(shared.VersionUnread.load(), 0);
            }
            // The main window takes the next read as usual.
            ASSERT_TRUE(WaitUntil([read] { return read->isEnabled(); }, 5000));
            ASSERT_TRUE(faults::LoadScenario(instrument));
            read->click();
            ASSERT_TRUE(WaitUntil([] { return !Running(); }, 20000));
            EXPECT_EQ(form.table().rowCount(), 4);
        }
    }
    std::printf("progress window closed in %d runs: every worker ended\n", runs);
}

} // namespace
