#include "WindowPlace.h"

#include "app/SessionMemory.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

#include <algorithm>

namespace {

// Room for the frame the window system puts round a window (title bar and borders), which a
// window does not know before it is first shown.
constexpr QMargins kFrame(4, 30, 4, 4);

QString GeometryKey(const QString& key) { return QStringLiteral("window/%1/geometry").arg(key); }
QString SplitterKey(const QString& key) { return QStringLiteral("window/%1/splitter").arg(key); }

QRect Available(const QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 720);
}

// Remembers the window's place when it goes away (closed, hidden, a dialog ended), not when
// it is minimised: the system hides a minimised window itself.
class PlaceKeeper : public QObject {
public:
    PlaceKeeper(QWidget& window, QString key, QSplitter* splitter)
        : QObject(&window), key_(std::move(key)), splitter_(splitter)
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (window &&
            (event->type() == QEvent::Close || (event->type() == QEvent::Hide && !event->spontaneous())) &&
            !window->isMinimized()) {
            // Where the frame is and how large the inside: what move() and resize() take.
            SessionMemory::setValue(GeometryKey(key_), QRect(window->pos(), window->size()));
            if (splitter_) SessionMemory::setValue(SplitterKey(key_), splitter_->saveState());
        }
        return false;
    }

private:
    QString key_;
    QPointer<QSplitter> splitter_;
};

} // namespace

QRect FittedGeometry(QSize design, QSize minimum, const QRect& available)
{
    const QRect inside = available.marginsRemoved(kFrame);
    const QSize size = design.expandedTo(minimum).boundedTo(inside.size());
    QRect r(QPoint(), size);
    r.moveCenter(inside.center());
    return r.translated(-kFrame.left(), -kFrame.top()); // where the frame goes
}

QRect OnScreen(const QRect& remembered, const QRect& available)
{
    const QSize room = available.marginsRemoved(kFrame).size();
    QRect r(remembered.topLeft(), remembered.size().boundedTo(room));
    const int width = r.width() + kFrame.left() + kFrame.right();
    const int height = r.height() + kFrame.top() + kFrame.bottom();
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() + 1 - width));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() + 1 - height));
    return r;
}

void PlaceWindow(QWidget& window, QSize design, const QString& key, QSplitter* splitter)
{
    const QRect available = Available(window);
    const QVariant remembered = key.isEmpty() ? QVariant() : SessionMemory::value(GeometryKey(key));
    const QRect r = remembered.isValid() ? OnScreen(remembered.toRect(), available)
                                         : FittedGeometry(design, window.minimumSize(), available);
    window.resize(r.size());
    window.move(r.topLeft());
    if (key.isEmpty()) return;
    if (splitter) {
        const QVariant state = SessionMemory::value(SplitterKey(key));
        if (state.isValid()) splitter->restoreState(state.toByteArray());
    }
    new PlaceKeeper(window, key, splitter);
}
