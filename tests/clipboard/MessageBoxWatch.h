#pragma once
// Runs a command that may open a message box, records what the box says and presses OK.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

struct SeenBox {
    bool shown = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool hasOwner = true;
};

inline SeenBox RunAcknowledgingBox(const std::function<void()>& command)
{
    SeenBox seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = int(box->buttons().size());
        seen.hasOwner = box->parentWidget() != nullptr;
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
        timer.stop();
    });
    timer.start();
    command();
    timer.stop();
    return seen;
}
