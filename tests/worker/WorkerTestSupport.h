#pragma once
// Helpers for tests that run a real worker thread: waiting while the window thread keeps
// running, a deadline for an exchange that does not end, and acknowledging the worker's
// message boxes as a user would.
#include "app/SharedState.h"
#include "device/BMTreadUSB.h"
#include "device/Unit2.h"
#include "support/MessageBoxWatch.h"
#include "support/WaitUntil.h"
#include "ui/ExchangeStarters.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

/// What the visible windows show: each one's title and label texts.
inline QString OnScreen()
{
    QStringList windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        QStringList texts{w->windowTitle()};
        for (const QLabel* label : w->findChildren<QLabel*>())
            if (label->isVisible() && !label->text().isEmpty()) texts << label->text();
        windows << "[" + texts.join(" | ") + "]";
    }
    return windows.isEmpty() ? QStringLiteral("no window") : windows.join(" ");
}

/// Waits, processing events, until no exchange runs; otherwise says what was on screen.
inline ::testing::AssertionResult ExchangeEnds(int ms)
{
    if (WaitUntil([] { return RunningExchange() == nullptr; }, ms)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the exchange still ran after " << ms << " ms; on screen: " << OnScreen().toStdString();
}

/// A command that shows a window modally until its exchange ends (the archive read) blocks
/// the test until then. If the exchange outlives `ms`, the test fails saying what the user
/// saw, and the exchange is stopped and its windows closed so that the test goes on at once
/// instead of running into the test driver's time-out.
class ExchangeDeadline {
public:
    explicit ExchangeDeadline(int ms = 20000)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [ms] {
            ADD_FAILURE() << "the exchange did not end within " << ms
                          << " ms; on screen: " << OnScreen().toStdString();
            if (BMTreadUSB* worker = RunningExchange()) worker->requestStop();
            // Message boxes first, then the windows they were over.
            for (int i = 0; i < 20 && QApplication::activeModalWidget(); ++i)
                QApplication::activeModalWidget()->close();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isModal() && w->isVisible()) w->close();
        });
        timer_.start(ms);
    }

private:
    QTimer timer_;
};

/// StartArchiveRead, which returns when its progress window closes, under a deadline of `ms`.
template <class... Args> bool StartArchiveReadWithin(int ms, Args&&... args)
{
    ExchangeDeadline deadline(ms);
    return StartArchiveRead(std::forward<Args>(args)...);
}

/// A settings or screenshot window made of plain widgets: the controls a starter attaches.
/// `values` records every gauge position the user saw.
struct PlainWindow {
    PlainWindow()
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(gauge = new QProgressBar);
        layout->addWidget(label = new QLabel);
        layout->addWidget(table = new QTableWidget(1, 9));
        QObject::connect(gauge, &QProgressBar::valueChanged, [this](int v) { values.push_back(v); });
        window->show();
    }
    std::unique_ptr<QWidget> window;
    QProgressBar* gauge;
    QLabel* label;
    QTableWidget* table;
    std::vector<int> values;
};
