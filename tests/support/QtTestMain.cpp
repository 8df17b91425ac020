// Test main for every test program: a QApplication on the offscreen platform (unless the
// environment names another), so that window tests and plain tests run the same way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <unistd.h>

#include <cstdio>

namespace {

// Names of the threads of this process other than the main one, leaving out GLib's own
// helpers, which live until the process ends and hold nothing of Qt's.
QStringList OtherThreads()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    QStringList names;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (task.toInt() == getpid()) continue;
        QFile comm(tasks.filePath(task) + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly)) continue; // gone meanwhile
        const QString name = QString::fromUtf8(comm.readAll()).trimmed();
        if (name != QLatin1String("gmain") && name != QLatin1String("gdbus")) names << name;
    }
    return names;
}

// Qt's threads (the painter's helpers in the global thread pool, exchange workers, a file
// dialog's directory reader, the X connection's reader ...) are detached: a thread that
// has just been waited for may still be releasing Qt's data for it. The leak checker runs
// when the process ends and would report that data as lost. So the process ends only
// once those threads are gone (a second at most).
void WaitForOtherThreads()
{
    const QDeadlineTimer deadline(1000);
    for (QStringList left = OtherThreads(); !left.isEmpty(); left = OtherThreads()) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "test main: threads still running at exit: %s\n",
                         qPrintable(left.join(", ")));
            return;
        }
        QThread::msleep(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Test programs do not live beside the spreadsheet and printing modules; the program
    // finds them there.
    if (qEnvironmentVariableIsEmpty("LM11_SPREADSHEET_MODULE"))
        qputenv("LM11_SPREADSHEET_MODULE", LM11_SPREADSHEET_MODULE);
    if (qEnvironmentVariableIsEmpty("LM11_PRINT_MODULE")) qputenv("LM11_PRINT_MODULE", LM11_PRINT_MODULE);
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    // What the program keeps between runs (settings, the read history) goes to a scratch
    // folder of this run, never to the user's own.
    QTemporaryDir scratch;
    if (!scratch.isValid()) return 2;
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
        // Objects that asked to be deleted go while the application can still do it, and
        // the thread pool ends its threads; the application's end stops the rest.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThreadPool::globalInstance()->waitForDone();
    }
    WaitForOtherThreads();
    return result;
}
