// The least a Qt Widgets program does to show a main window with a line of text, ending as
// soon as that window is first painted.
#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QuitOnFirstPaint quit;
    app.installEventFilter(&quit);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Анализатор")));
    window.resize(934, 487);
    window.show();
    return app.exec();
}
