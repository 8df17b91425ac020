#pragma once
// The progress window of an archive read. The starters that create it are in
// ui/ExchangeStarters.h.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
struct SharedState;

/// Progress window of an archive read: gauge, status label and Cancel.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    /// Cancel goes to the exchange on `state`.
    explicit TForm2(SharedState& state, QWidget* parent = nullptr);

    QProgressBar* CGauge1;
    QLabel* Label1;
    QPushButton* Button1;

    /// Cancel: the worker notices it at its next check.
    void Button1Click();

private:
    SharedState& state_;
};
