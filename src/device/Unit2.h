#pragma once
// The progress window of an archive read. The starters that create it are in
// ui/ExchangeStarters.h.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

/// Progress window of an archive read: gauge, status label and Cancel.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QProgressBar* CGauge1;
    QLabel* Label1;
    QPushButton* Button1;

    /// Cancel: the worker notices it at its next check.
    void Button1Click();
};
