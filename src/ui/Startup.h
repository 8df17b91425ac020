#pragma once
#include <QStringList>

#include <functional>

class QApplication;
class TForm1;

/// Creates the main window, opens the project named by `arguments` (the command line
/// without the program name) before the window is shown, shows it and runs the message
/// loop until it closes. `shown` runs once the loop has taken over the shown window.
int RunMainWindow(QApplication& app, const QStringList& arguments,
                  const std::function<void(TForm1&)>& shown = {});

/// The standard error box for an error that escaped the start-up.
void ShowStartupError(const QString& message);
