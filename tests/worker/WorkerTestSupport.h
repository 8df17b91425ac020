#pragma once
// Helpers for tests that run a real worker thread: waiting while the window thread keeps
// running, and acknowledging the worker's message boxes as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

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

/// One message box as the user saw it.
struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon;
    int buttons;
    bool owned;
};

/// Clicks OK on every message box that comes up while it lives, noting what each showed.
class BoxAcknowledger {
public:
    BoxAcknowledger()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("seen").toBool()) return;
            box->setProperty("seen", true);
            boxes.push_back({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size()),
                             box->parentWidget() != nullptr});
            if (onBox) onBox();
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start();
    }
    std::vector<SeenBox> boxes;
    std::function<void()> onBox;

private:
    QTimer timer_;
};

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
