#include "Unit2.h"

#include "app/SharedState.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TForm2::TForm2(SharedState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state)
{
    const DesignScale scale(*this, DesignScale::Sizes::Fixed);
    setFixedSize(scale.size(415, 49));
    CGauge1 = new QProgressBar(this);
    CGauge1->setObjectName("CGauge1");
    CGauge1->setGeometry(scale.rect(0, 0, 415, 21));
    CGauge1->setRange(0, 100);
    CGauge1->setValue(0);
    CGauge1->setTextVisible(true);
    CGauge1->setFormat("%p%");
    CGauge1->setAlignment(Qt::AlignCenter);
    QPalette palette = CGauge1->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, Qt::black);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    CGauge1->setPalette(palette);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(scale.rect(8, 26, 300, 20));

    Button1 = new QPushButton(state_.tr(ExchangeText::Cancel), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(scale.rect(335, 24, 75, 23));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::Button1Click() { state_.CancelRequest = 1; }
