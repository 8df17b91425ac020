#include "ErrorBox.h"

#include <QMessageBox>

void ShowErrorBox(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}
