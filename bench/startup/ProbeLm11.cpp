// The program's own start-up, ending as soon as the main window is first painted.
#include "FirstPaint.h"
#include "ui/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QuitOnFirstPaint quit;
    app.installEventFilter(&quit);
    return RunMainWindow(app, QApplication::arguments().mid(1));
}
