// Opens the settings editor on its own, to look at it on a screen:
//   show_settings_window [ru|en] [read]
// "read" reads the settings from the USB library named by LM11_LIBUSB (the simulator);
// without it the table is filled with sample values.
#include "app/SharedState.h"
#include "settings/Unit3.h"
#include "ui/AppStyle.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallAppStyle();
    const QStringList args = app.arguments();
    SharedState shared;
    shared.Lang = args.contains(QStringLiteral("en")) ? 1 : 0;
    TForm3 form(shared);
    if (args.contains(QStringLiteral("read"))) {
        form.StartRead();
    } else {
        for (int r = 1; r <= kSettingsObjects; ++r) {
            const QStringList row = {
                QString::number(r),
                (shared.Lang ? QStringLiteral("Object %1") : QStringLiteral("Объект %1")).arg(r),
                QStringLiteral("-999"),
                QStringLiteral("999"),
                QStringLiteral("0"),
                QStringLiteral("999"),
                QStringLiteral("10"),
                QStringLiteral("150"),
                QStringLiteral("150")};
            for (int c = 0; c < row.size(); ++c) form.StringGrid1->item(r, c)->setText(row[c]);
        }
    }
    form.show();
    if (qEnvironmentVariableIsSet("LM11_SHOW_SIZES"))
        QTimer::singleShot(1000, [&] {
            auto* g = form.StringGrid1;
            qInfo() << "window" << form.size() << "grid" << g->size() << "viewport" << g->viewport()->size()
                    << "rows" << g->rowHeight(1) << g->rowHeight(0) << "content"
                    << g->horizontalHeader()->length() << g->verticalHeader()->length() << "min"
                    << g->minimumSize() << form.minimumSizeHint();
            for (int c = 0; c < g->columnCount(); ++c)
                qInfo() << "column" << c << "width" << g->columnWidth(c);
        });
    return app.exec();
}
