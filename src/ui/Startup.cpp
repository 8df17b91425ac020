#include "Startup.h"

#include "AppStyle.h"
#include "Unit1.h"

#include "app/SharedState.h"
#include "device/BMTreadUSB.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int RunMainWindow(QApplication& app, const QStringList& arguments, const std::function<void(TForm1&)>& shown)
{
    InstallAppStyle();
    // The state every window and exchange of this run shares; it outlives them all.
    SharedState state;
    TForm1 form(state);
    form.OpenFromCommandLine(arguments);
    form.show();
    if (shown) QTimer::singleShot(0, &form, [&form, &shown]() { shown(form); });
    const int code = app.exec();
    // A worker still talking to the instrument must not outlive the windows it updates.
    StopExchangeAtExit();
    return code;
}

void ShowStartupError(const QString& message)
{
    std::fprintf(stderr, "lm11: %s\n", qUtf8Printable(message));
    if (!QApplication::instance()) return;
    QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}
