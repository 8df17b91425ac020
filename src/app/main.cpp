#include "app/SharedState.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    ResetSharedState();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(Tr(MainText::Caption));
    window.resize(1168, 609);
    window.show();
    return app.exec();
}
