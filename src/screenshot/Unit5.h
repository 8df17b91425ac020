#pragma once
// The screenshot window: reads the instrument's display, shows it enlarged in two chosen
// colours, and saves it to a file and/or copies it to the clipboard.
#include <QDialog>
#include <QImage>

class ColorBox;
class QCheckBox;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

/// Shows the bitmap stretched over its whole area, pixel for pixel without smoothing, so
/// the display's dots stay sharp.
class PictureArea : public QWidget {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent = nullptr);
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

struct SharedState;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    /// Reads the instrument's screen through `state`, in the language in force now.
    explicit TForm5(SharedState& state, QWidget* parent = nullptr);

    PictureArea* Image1;
    QProgressBar* CGauge1;
    /// The worker's status texts, in sight under the gauge so that a missing instrument
    /// is explained while the window waits.
    QLabel* Label3;
    QPushButton* Button1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    ColorBox* ColorBox1;
    ColorBox* ColorBox2;
    QLabel* Label1;
    QLabel* Label2;
    QFileDialog* OpenPictureDialog1;
    QTimer* Timer1;

    /// The name pictures are saved under; empty until a name is chosen.
    QString fileName() const { return fileName_; }

    void Button1Click();
    void CheckBox1Click(bool checked);
    void Timer1Timer();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void updateButton();

    SharedState& state_;
    QString fileName_;
};
