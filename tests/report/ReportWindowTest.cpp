// The Print command as the user meets it: the report window and its print preview.
#include "ui/commands/Unit6.h"

#include "ReportFixture.h"
#include "app/SharedState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTimer>

namespace {

struct SeenPreview {
    bool shown = false;
    QString title;
    int pageCount = 0;
    bool landscape = false;
};

SeenPreview RunPreview(const ArchiveTable& table, const SharedState& shared)
{
    SeenPreview seen;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        if (!preview) return;
        seen.shown = true;
        seen.title = dialog->windowTitle();
        seen.pageCount = preview->pageCount();
        seen.landscape = preview->orientation() == QPageLayout::Landscape;
        timer.stop();
        dialog->reject();
    });
    timer.start();
    OpenReportPreview(nullptr, table, shared);
    timer.stop();
    return seen;
}

} // namespace

TEST(ReportWindow, BuildsTheListingAndTitleInTheCurrentLanguage)
{
    const TForm6 form(NumberedArchive(3, 1), QStringLiteral("Archive of measurements 1.2.21"));
    EXPECT_EQ(form.title(), QStringLiteral("Archive of measurements 1.2.21"));
    ASSERT_EQ(form.lines().size(), 4);
    EXPECT_TRUE(form.lines()[0].startsWith(QStringLiteral("№    Object      Sensor")));
    EXPECT_TRUE(form.lines()[3].startsWith(QStringLiteral("3    Объект 1")));

    // The Print command titles the preview in the state's language and time format.
    SharedState shared;
    shared.setTimeFormat(QStringLiteral("hh:mm:ss"));
    shared.Lang = 1;
    const SeenPreview seen = RunPreview(NumberedArchive(3, 1), shared);
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.title.startsWith(QStringLiteral("Archive of measurements ")))
        << seen.title.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(" \\d\\d:\\d\\d:\\d\\d$")).match(seen.title).hasMatch())
        << seen.title.toStdString();
}

TEST(ReportWindow, PrintCommandOpensThePreviewOfAllPages)
{
    SharedState shared;
    struct Case {
        int records;
        int pages;
    };
    for (const Case c : {Case{100, 3}, Case{0, 1}}) {
        SCOPED_TRACE(c.records);
        const SeenPreview seen = RunPreview(NumberedArchive(c.records), shared);
        ASSERT_TRUE(seen.shown);
        EXPECT_TRUE(seen.title.startsWith(QStringLiteral("Архив измерений "))) << seen.title.toStdString();
        EXPECT_EQ(seen.pageCount, c.pages);
        EXPECT_TRUE(seen.landscape);
    }
}
