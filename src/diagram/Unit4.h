#pragma once
// The diagram window: the 3-D chart of the archive's surfaces, its toolbar, and one row of
// controls per surface (colour, marks, transparency, shown) for the first 30 surfaces.
#include "DiagramChart.h"
#include "Surfaces.h"

#include <QDialog>
#include <QFrame>

#include <array>
#include <optional>

class DesignScale;
class QCheckBox;
class QColorDialog;
class QGroupBox;
class QLabel;
class QScrollBar;
class QSplitter;
class QStatusBar;
class QToolButton;

/// The colour swatch of a row: a small bevelled panel that reports press, release and click.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm4 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 30;

    /// Builds the window for `table` in language `lang` (0 Russian, 1 English). When a cell does
    /// not convert, buildError() says which and the window must not be shown.
    TForm4(const ArchiveTable& table, int lang, QWidget* parent = nullptr);

    const std::optional<SurfaceCellError>& buildError() const { return buildError_; }

    QWidget* TeeCommander1;
    QToolButton* NormalButton;
    QToolButton* RotateButton;
    QToolButton* CopyButton;
    QToolButton* PrintButton;
    DiagramChart* Chart1;
    QSplitter* Splitter1;
    QGroupBox* GroupBox1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    QStatusBar* StatusBar1;
    QColorDialog* ColorDialog1;
    std::array<ColorSwatch*, kRows> P{};
    std::array<QCheckBox*, kRows> MB{};
    std::array<QScrollBar*, kRows> SB{};
    std::array<QLabel*, kRows> L{};
    std::array<QCheckBox*, kRows> OB{};
    std::array<QLabel*, kRows> D{};

    // One handler per family; `k` is the row, and the row's surface.
    void PMouseDown(int k);
    void PMouseUp(int k);
    void PClick(int k);
    void MBClick(int k);
    void OBClick(int k);
    void SBChange(int k);
    void FormMouseWheelUp();
    void FormMouseWheelDown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void createRow(int k, const DesignScale& design);
    void setUpRow(int k);
    void placeWindow(const DesignScale& design);

    std::optional<SurfaceCellError> buildError_;
    int lang_;
    int wheelRemainder_ = 0; // eighths of a degree not yet a whole step
};
