// Runs on a real X server: the program owns the clipboard and xclip, another process, pastes
// from it the way a spreadsheet or an editor would.
#include "ui/commands/ClipboardCopy.h"

#include "ArchiveFixture.h"
#include "app/SharedState.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

namespace {

// The clipboard owner has to answer the X selection requests, so the event loop keeps running
// while xclip waits for the data.
QByteArray Paste(const QString& target)
{
    QProcess xclip;
    QEventLoop loop;
    QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", target});
    loop.exec();
    EXPECT_EQ(xclip.state(), QProcess::NotRunning) << "xclip did not finish";
    EXPECT_EQ(xclip.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(xclip.exitCode(), 0) << xclip.readAllStandardError().toStdString();
    return xclip.readAllStandardOutput();
}

} // namespace

TEST(SystemClipboard, AnotherProgramPastesTheCyrillicTableIntact)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run through ctest (xvfb-run)";
    const ArchiveTable table = SmallArchive(0);
    ASSERT_TRUE(CopyTableToClipboard(table, 0));

    const QByteArray pasted = Paste(QStringLiteral("UTF8_STRING"));
    EXPECT_EQ(QString::fromUtf8(pasted), TableClipboardText(table, 0));
    EXPECT_TRUE(pasted.startsWith(QStringLiteral("№\tОбъект\t\tДатчик\t\t\t").toUtf8()));
    EXPECT_TRUE(pasted.contains(QStringLiteral("\t5\t\t\t\t10\t\t20\t\t").toUtf8()));
    EXPECT_TRUE(pasted.endsWith("Авто\r\n"));

    const QByteArray targets = Paste(QStringLiteral("TARGETS"));
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.toStdString();

    ASSERT_TRUE(CopyBlockToClipboard(table, {1, 2, 1, 1}, 0));
    EXPECT_EQ(QString::fromUtf8(Paste(QStringLiteral("UTF8_STRING"))),
              QStringLiteral("Объект 1\r\nМост\r\n"));
}
