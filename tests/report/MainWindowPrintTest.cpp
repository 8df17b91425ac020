// File > Print in the main window opens the report's preview over the window's table.
#include "app/SharedState.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>

TEST(MainWindowPrint, StartUpTablePreviewsItsHeadingOnOnePage)
{
    SharedState shared;
    TForm1 form(shared);
    auto* print = form.findChild<QAction*>(QStringLiteral("Print1"));
    ASSERT_NE(print, nullptr);

    bool shown = false;
    int pages = 0;
    bool ownedByWindow = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        auto* preview = dialog ? dialog->findChild<QPrintPreviewWidget*>() : nullptr;
        if (!preview) return;
        shown = true;
        pages = preview->pageCount();
        ownedByWindow = dialog->parentWidget() == &form;
        timer.stop();
        dialog->reject();
    });
    timer.start();
    print->trigger(); // no emptiness check: the start-up table prints too
    timer.stop();
    EXPECT_TRUE(shown);
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(ownedByWindow);
}
