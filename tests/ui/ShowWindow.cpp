// Opens the main window, reads the archive from the USB library named by LM11_LIBUSB (the
// simulator) as "Read from device" does, then opens one more window, to look at them on a
// screen of any size:
//   show_window [ru|en] [main|reading|settings|diagram|screenshot|analysis|about|help]
//   show_window [ru|en] report          the survey report's print preview
//   show_window [ru|en] pdf FILE        the survey report written to FILE, then the program ends
#include "app/SharedState.h"
#include "ui/AppStyle.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

// Once the window opened next is up, clicks its button `name`.
void ClickInNextWindow(QObject* context, const QString& name)
{
    QTimer::singleShot(1000, context, [name] {
        if (QWidget* window = QApplication::activeModalWidget())
            if (auto* button = window->findChild<QPushButton*>(name)) button->click();
    });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallAppStyle();
    const QStringList args = app.arguments();
    const QString which = args.size() > 2 ? args[2] : QStringLiteral("main");
    SharedState shared;
    TForm1 form(shared);
    form.show();
    if (args.contains(QStringLiteral("en"))) form.Lang1Click();
    const std::function<void()> open = [&] {
        if (which == QLatin1String("settings")) {
            form.Button2Click();
        } else if (which == QLatin1String("diagram")) {
            form.Button3Click();
        } else if (which == QLatin1String("screenshot")) {
            // The window opens empty; its "Update" fetches the display.
            ClickInNextWindow(&form, QStringLiteral("Button1"));
            form.Copy3Click();
        } else if (which == QLatin1String("analysis")) {
            form.Analysis1Click();
        } else if (which == QLatin1String("report")) {
            ClickInNextWindow(&form, QStringLiteral("Button3"));
            form.Analysis1Click();
        } else if (which == QLatin1String("pdf")) {
            // The file dialog is answered with the name given; then the analysis closes and
            // the program ends.
            const QString file = args.value(3);
            auto* answer = new QTimer(&form);
            QObject::connect(answer, &QTimer::timeout, &form, [file, answer] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                        answer->stop();
                        // Typed into the name box, as the user would; Save then takes it.
                        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                            name->setText(file);
                        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
                        return;
                    }
                }
                if (QWidget* analysis = QApplication::activeModalWidget()) {
                    if (QFileInfo::exists(file)) {
                        answer->stop();
                        analysis->close();
                    } else if (auto* button = analysis->findChild<QPushButton*>(QStringLiteral("Button4"))) {
                        // Later, so that this timer keeps ticking while the file dialog runs.
                        QTimer::singleShot(0, button, &QPushButton::click);
                    }
                }
            });
            answer->start(1000);
            form.Analysis1Click();
            QCoreApplication::exit(0);
        } else if (which == QLatin1String("about")) {
            form.About1Click();
        } else if (which == QLatin1String("help")) {
            form.Contents1Click();
        }
    };
    QTimer::singleShot(0, &form, [&] {
        form.Button1Click();
        if (which == QLatin1String("reading")) return;
        // The next window once the read has ended.
        auto* poll = new QTimer(&form);
        QObject::connect(poll, &QTimer::timeout, &form, [&, poll] {
            if (shared.activity.isRunning()) return;
            poll->stop();
            open();
        });
        poll->start(200);
    });
    return app.exec();
}
