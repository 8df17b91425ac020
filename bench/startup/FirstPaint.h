#pragma once
// Ends the program at the first paint of a top-level window: the moment a user first sees it.
#include <QApplication>
#include <QEvent>
#include <QWidget>

class QuitOnFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            QApplication::exit(0);
        return false;
    }
};
