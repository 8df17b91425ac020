// An archive read where the USB library cannot be loaded.
#include "WorkerTestSupport.h"
#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "device/Unit2.h"
#include "ui/ExchangeStarters.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(WorkerWithoutLibrary, SaysTheDriverIsMissingAndRetriesUntilCancelled)
{
    // The program loads its USB library once per run, so this runs in a process of its own.
    setenv("LM11_LIBUSB", LM11_BINARY_DIR "/tests/worker/no-such-libusb.so", 1);
    SharedState shared;
    QWidget owner;
    ArchiveModel model;
    QStringList labels, captions;
    int polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = owner.findChild<TForm2*>();
        if (!form) return;
        if (labels.isEmpty() || labels.back() != form->Label1->text()) labels << form->Label1->text();
        if (captions.isEmpty() || captions.back() != form->windowTitle()) captions << form->windowTitle();
        if (++polls == 50 && form->isVisible()) QTest::mouseClick(form->Button1, Qt::LeftButton);
    });
    poll.start(2);
    ASSERT_TRUE(StartArchiveReadWithin(20000, shared, &owner, &model));
    ASSERT_TRUE(ExchangeEnds(5000));
    EXPECT_TRUE(labels.contains("Драйвер не установлен"));
    EXPECT_TRUE(captions.contains("Подключение"));
    EXPECT_FALSE(labels.contains("Проверьте подключение"));
    EXPECT_EQ(model.table().rowCount(), ArchiveTable().rowCount()) << "the table is left as it was";
    EXPECT_EQ(shared.VersionUnread.load(), 1);
    EXPECT_EQ(shared.LinkStatus.load(), 1);
}

} // namespace
