#pragma once
// Message boxes as a test meets them: what a box showed, and a watch that reads and answers
// every box that comes up while it lives, so that a command which shows one returns.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

/// One message box as the user saw it.
struct SeenBox {
    bool shown = false; ///< false: no box came up
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool hasOwner = false;
};

inline SeenBox ReadBox(const QMessageBox& box)
{
    SeenBox seen;
    seen.shown = true;
    seen.caption = box.windowTitle();
    seen.text = box.text();
    seen.icon = box.icon();
    seen.buttons = int(box.buttons().size());
    seen.hasOwner = box.parentWidget() != nullptr;
    return seen;
}

/// Answers `box` with its OK button, or its first button when it has none.
inline void PressOk(QMessageBox& box)
{
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    if (!ok) ok = box.buttons().value(0);
    if (ok) ok->click();
}

/// Reads and answers with OK every message box that is the active modal window while it lives,
/// each once, in the order they come.
class MessageBoxWatch {
public:
    explicit MessageBoxWatch(int intervalMs = 20)
    {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("seen").toBool()) return;
            box->setProperty("seen", true);
            boxes.push_back(ReadBox(*box));
            if (onBox) onBox();
            PressOk(*box);
        });
        timer_.start();
    }

    /// The boxes seen so far; a test may clear it between steps.
    std::vector<SeenBox> boxes;
    /// Runs while a box is still open, after it was read.
    std::function<void()> onBox;

    /// The last box seen, or one not shown.
    SeenBox last() const { return boxes.empty() ? SeenBox{} : boxes.back(); }

private:
    QTimer timer_;
};

/// Runs `command`, which may show one message box, and answers it. A second box fails the test.
inline SeenBox RunAcknowledgingBox(const std::function<void()>& command)
{
    MessageBoxWatch watch(10);
    command();
    EXPECT_LE(watch.boxes.size(), 1u) << "a second box: " << watch.last().text.toStdString();
    return watch.boxes.empty() ? SeenBox{} : watch.boxes.front();
}
