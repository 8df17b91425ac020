#include "ui/Startup.h"

#include <QApplication>

#include <exception>
#include <optional>

int main(int argc, char** argv)
{
    std::optional<QApplication> app;
    try {
        app.emplace(argc, argv);
        QApplication::setApplicationName(QStringLiteral("lm11"));
        return RunMainWindow(*app, QApplication::arguments().mid(1));
    } catch (const std::exception& e) {
        ShowStartupError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowStartupError(QString());
    }
    return 1;
}
