// Test main for every test program: a QApplication on the offscreen platform (unless the
// environment names another), so that window tests and plain tests run the same way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <unistd.h>

#include <cstdio>

namespace {

// Threads of this process other than the main one and the idle threads Qt keeps in its
// thread pool (those wait, alive, until the process ends).
QStringList EndingThreads()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    QStringList names;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (task.toInt() == getpid()) continue;
        QFile comm(tasks.filePath(task) + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly)) continue; // gone meanwhile
        const QString name = QString::fromUtf8(comm.readAll()).trimmed();
        if (name != QLatin1String("Thread (pooled)")) names << name;
    }
    return names;
}

// Qt's threads (exchange workers, a file dialog's directory reader ...) are detached: a
// thread that has just been waited for may still be releasing Qt's data for it. The leak
// checker runs when the process ends and would report that data as lost; so the process
// ends only once those threads are gone, or after a second at most.
void WaitForEndingThreads()
{
    const QDeadlineTimer deadline(1000);
    for (QStringList left = EndingThreads(); !left.isEmpty(); left = EndingThreads()) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "test main: threads still running at exit: %s\n", qPrintable(left.join(", ")));
            return;
        }
        QThread::msleep(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    WaitForEndingThreads();
    return result;
}
