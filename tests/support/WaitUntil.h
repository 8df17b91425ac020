#pragma once
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

/// Processes events until `done` holds or `ms` have passed; the result of `done`.
inline bool WaitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}
