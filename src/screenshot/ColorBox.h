#pragma once
// A drop-down list of named colours, each shown with a swatch.
#include <QColor>
#include <QComboBox>

class ColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorBox(QWidget* parent = nullptr);

    QColor selected() const;
    /// Picks `color`; a colour not in the list is added under its #rrggbb name.
    void setSelected(const QColor& color);
};
