// Opens the main window, reads the archive from the USB library named by LM11_LIBUSB (the
// simulator) as "Read from device" does, then opens one more window, to look at them on a
// screen of any size:
//   show_window [ru|en] [main|reading|settings|diagram|screenshot|analysis|about|help]
#include "app/SharedState.h"
#include "ui/AppStyle.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallAppStyle();
    const QStringList args = app.arguments();
    const QString which = args.size() > 2 ? args[2] : QStringLiteral("main");
    TForm1 form;
    form.show();
    if (args.contains(QStringLiteral("en"))) form.Lang1Click();
    const std::function<void()> open = [&] {
        if (which == QLatin1String("settings"))
            form.Button2Click();
        else if (which == QLatin1String("diagram"))
            form.Button3Click();
        else if (which == QLatin1String("screenshot")) {
            // The window opens empty; its "Update" fetches the display.
            QTimer::singleShot(500, &form, [] {
                if (QWidget* window = QApplication::activeModalWidget())
                    if (auto* update = window->findChild<QPushButton*>(QStringLiteral("Button1")))
                        update->click();
            });
            form.Copy3Click();
        } else if (which == QLatin1String("analysis"))
            form.Analysis1Click();
        else if (which == QLatin1String("about"))
            form.About1Click();
        else if (which == QLatin1String("help"))
            form.Contents1Click();
    };
    QTimer::singleShot(0, &form, [&] {
        form.Button1Click();
        if (which == QLatin1String("reading")) return;
        // The next window once the read has ended.
        auto* poll = new QTimer(&form);
        QObject::connect(poll, &QTimer::timeout, &form, [&, poll] {
            if (ExchangeActivity::instance().isRunning()) return;
            poll->stop();
            open();
        });
        poll->start(200);
    });
    return app.exec();
}
