#include "Unit4.h"

#include "app/SharedState.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"
#include "ui/WindowPlace.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace {

// Sizes and places are the window's design at 120 dots per inch (see DesignScale).
constexpr int kWidth = 1663, kHeight = 1015, kChartWidth = 1103, kGroupMinWidth = 380;
constexpr int kToolbarHeight = 41, kSplitterWidth = 10;

int RowTop(int k) { return 39 + int(std::lround(k * (896 - 39) / 29.0)); }

// The toolbar's pictures, drawn so that no image file is needed.
QIcon ToolIcon(int which)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1.6));
    switch (which) {
    case 0: // normal mode: a magnifier over a dashed rectangle
        p.setPen(QPen(QColor(30, 30, 30), 1, Qt::DashLine));
        p.drawRect(QRectF(2.5, 2.5, 12, 10));
        p.setPen(QPen(QColor(30, 30, 30), 1.8));
        p.drawEllipse(QRectF(9, 8, 9, 9));
        p.drawLine(QPointF(16.5, 15.5), QPointF(21.5, 20.5));
        break;
    case 1: { // rotate mode: a turning arrow
        QPainterPath arc;
        arc.arcMoveTo(QRectF(4, 4, 16, 16), 120);
        arc.arcTo(QRectF(4, 4, 16, 16), 120, 280);
        p.setPen(QPen(QColor(0, 90, 200), 2));
        p.drawPath(arc);
        p.setBrush(QColor(0, 90, 200));
        const QPointF end = arc.currentPosition();
        p.drawPolygon(QPolygonF({end + QPointF(-4, -3), end + QPointF(3, -4), end + QPointF(1, 3)}));
        break;
    }
    case 2: // copy: two sheets
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 3.5, 11, 13));
        p.drawRect(QRectF(9.5, 7.5, 11, 13));
        break;
    default: // print: a printer
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 2.5, 11, 7));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 14.5, 11, 7));
        break;
    }
    return QIcon(pm);
}

QToolButton* ToolButton(QWidget* parent, const char* name, int icon, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(ToolIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    return b;
}

} // namespace

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
}

void ColorSwatch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit pressed();
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    emit released();
    if (rect().contains(event->position().toPoint())) emit clicked();
}

TForm4::TForm4(const ArchiveTable& table, int lang, QWidget* parent) : QDialog(parent), lang_(lang)
{
    setObjectName(QStringLiteral("Form4"));
    setModal(true);
    const DesignScale design(*this);
    auto px = [&design](int size) { return design.px(size); };

    setWindowTitle(DiagramText::Caption[lang_]);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    TeeCommander1 = new QWidget(this);
    TeeCommander1->setObjectName(QStringLiteral("TeeCommander1"));
    TeeCommander1->setFixedHeight(px(kToolbarHeight));
    layout->addWidget(TeeCommander1);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(px(kSplitterWidth));
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1, 1);

    Chart1 = new DiagramChart(Splitter1);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setMinimumSize(1, 1); // the splitter's minimum size
    Splitter1->addWidget(Chart1);

    GroupBox1 = new QGroupBox(DiagramText::GroupBox1[lang_], Splitter1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setMinimumWidth(px(kGroupMinWidth));
    GroupBox1->setMinimumHeight(px(RowTop(kRows - 1) + 32));
    Splitter1->addWidget(GroupBox1);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    layout->addWidget(StatusBar1);

    ColorDialog1 = new QColorDialog(Qt::black, this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

    // Headings over the row columns.
    auto heading = [&](QLabel*& label, const char* name, const TextPair& text, int x) {
        label = new QLabel(text[lang_], GroupBox1);
        label->setObjectName(QLatin1String(name));
        label->move(px(x), px(18));
        label->adjustSize();
    };
    heading(Label1, "Label1", DiagramText::Label1, 10);
    heading(Label2, "Label2", DiagramText::Label2, 52);
    heading(Label4, "Label4", DiagramText::Label4, 119);
    heading(Label3, "Label3", DiagramText::Label3, 330);
    heading(Label5, "Label5", DiagramText::Label5, 423);
    for (int k = 0; k < kRows; ++k) createRow(k, design);

    const SurfacesResult built = buildSurfaces(table, lang_);
    if (built.error) {
        buildError_ = built.error;
        return;
    }
    Chart1->setSurfaces(built.surfaces);
    for (int k = 0; k < kRows && k < int(built.surfaces.size()); ++k) setUpRow(k);
    // An object name of ten characters is wider than its design column in some fonts: the
    // sensor column then moves right instead of cutting the names.
    int names = px(423 - 330 - 4);
    for (int k = 0; k < kRows && k < int(built.surfaces.size()); ++k)
        names = std::max(names, OB[k]->sizeHint().width());
    for (int k = 0; k < kRows; ++k) {
        OB[k]->resize(names, OB[k]->height());
        D[k]->move(px(330) + names + px(4), D[k]->y());
    }
    Label5->move(px(330) + names + px(4), Label5->y());
    GroupBox1->setMinimumWidth(std::max(GroupBox1->minimumWidth(), D[0]->x() + D[0]->width()));
    Chart1->setTitles({DiagramText::AxisLeft[lang_], DiagramText::AxisRight[lang_],
                       DiagramText::AxisBottom[lang_], DiagramText::AxisDepth[lang_]});
    ChartView view;
    view.depthPercent = 100;
    view.perspective = 50;
    view.rotation = 327;
    view.elevation = 352;
    view.zoom = 70;
    Chart1->setView(view);

    FormCreate();
    placeWindow(design);
    // The chart has its design width where the window has room; a smaller window takes the
    // width from the rows first, down to their minimum.
    const int across = width() - Splitter1->handleWidth();
    const int rows = std::max(GroupBox1->minimumWidth(), across - px(kChartWidth));
    Splitter1->setSizes({std::max(1, across - rows), rows});
}

void TForm4::FormCreate()
{
    auto* bar = new QHBoxLayout(TeeCommander1);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(2);
    NormalButton = ToolButton(TeeCommander1, "NormalButton", 0, DiagramText::HintZoom[lang_]);
    RotateButton = ToolButton(TeeCommander1, "RotateButton", 1, DiagramText::HintRotate[lang_]);
    CopyButton = ToolButton(TeeCommander1, "CopyButton", 2, DiagramText::HintScreenshot[lang_]);
    PrintButton = ToolButton(TeeCommander1, "PrintButton", 3, DiagramText::HintPrint[lang_]);
    NormalButton->setCheckable(true);
    RotateButton->setCheckable(true);
    auto* modes = new QButtonGroup(TeeCommander1);
    modes->setExclusive(true);
    modes->addButton(NormalButton);
    modes->addButton(RotateButton);
    for (QToolButton* b : {NormalButton, RotateButton, CopyButton, PrintButton}) bar->addWidget(b);
    bar->addStretch(1);

    connect(NormalButton, &QToolButton::toggled, this, [this](bool on) {
        if (on) Chart1->setMouseMode(DiagramChart::MouseMode::Normal);
    });
    connect(RotateButton, &QToolButton::toggled, this, [this](bool on) {
        if (on) Chart1->setMouseMode(DiagramChart::MouseMode::Rotate);
    });
    connect(CopyButton, &QToolButton::clicked, Chart1, &DiagramChart::copyToClipboard);
    connect(PrintButton, &QToolButton::clicked, Chart1, [this] { Chart1->printPreview(lang_); });
    RotateButton->setChecked(true);

    // The wheel zooms wherever the pointer is over the window, as the form sees it first.
    qApp->installEventFilter(this);
}

void TForm4::createRow(int k, const DesignScale& design)
{
    auto px = [&design](double size) { return design.px(size); };
    const int top = px(RowTop(k));
    const auto name = [k](const char* family) { return QLatin1String(family) + QString::number(k); };

    P[k] = new ColorSwatch(GroupBox1);
    P[k]->setObjectName(name("P"));
    P[k]->setGeometry(px(10), top, px(23), px(21));

    MB[k] = new QCheckBox(GroupBox1);
    MB[k]->setObjectName(name("MB"));
    MB[k]->move(px(52), top + px(2));
    MB[k]->adjustSize();

    SB[k] = new QScrollBar(Qt::Horizontal, GroupBox1);
    SB[k]->setObjectName(name("SB"));
    SB[k]->setGeometry(px(119), top + px(2), px(149), px(17));
    SB[k]->setRange(0, 100);
    SB[k]->setValue(0);
    // An arrow click moves by 300, so it lands on an end at once. A click beside the thumb
    // moves by 3000 in the same way; Qt sizes the thumb by its page step, so that step is
    // kept at 0 and the click handled here.
    SB[k]->setSingleStep(300);
    SB[k]->setPageStep(0);

    L[k] = new QLabel(GroupBox1);
    L[k]->setObjectName(name("L"));
    L[k]->setGeometry(px(282), top, px(46), px(21));

    OB[k] = new QCheckBox(GroupBox1);
    OB[k]->setObjectName(name("OB"));
    OB[k]->setGeometry(px(330), top, px(423 - 330 - 4), px(21));
    OB[k]->setChecked(true);

    D[k] = new QLabel(GroupBox1);
    D[k]->setObjectName(name("D"));
    D[k]->setGeometry(px(423), top, px(100), px(21));

    for (QWidget* w : std::initializer_list<QWidget*>{P[k], MB[k], SB[k], L[k], OB[k], D[k]}) w->hide();

    connect(P[k], &ColorSwatch::pressed, this, [this, k] { PMouseDown(k); });
    connect(P[k], &ColorSwatch::released, this, [this, k] { PMouseUp(k); });
    connect(P[k], &ColorSwatch::clicked, this, [this, k] { PClick(k); });
    // toggled rather than clicked: a screen reader's Toggle action emits only toggled.
    connect(MB[k], &QCheckBox::toggled, this, [this, k] { MBClick(k); });
    connect(OB[k], &QCheckBox::toggled, this, [this, k] { OBClick(k); });
    connect(SB[k], &QScrollBar::valueChanged, this, [this, k] { SBChange(k); });
    connect(SB[k], &QScrollBar::actionTriggered, this, [this, k](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd) SB[k]->setSliderPosition(SB[k]->maximum());
        if (action == QAbstractSlider::SliderPageStepSub) SB[k]->setSliderPosition(SB[k]->minimum());
    });
}

void TForm4::setUpRow(int k)
{
    const DiagramSurface& s = Chart1->surfaces()[std::size_t(k)];
    QPalette palette = P[k]->palette();
    palette.setColor(QPalette::Window, s.color);
    P[k]->setPalette(palette);
    // A screen reader tells the rows apart by their object.
    P[k]->setAccessibleName(WindowText::DiagramColour[lang_].arg(s.objectName));
    P[k]->setAccessibleDescription(s.color.name());
    MB[k]->setAccessibleName(WindowText::DiagramMarker[lang_].arg(s.objectName));
    SB[k]->setAccessibleName(WindowText::DiagramTransparency[lang_].arg(s.objectName));
    L[k]->setText(QString::number(SB[k]->value()) + QStringLiteral(" %"));
    OB[k]->setText(s.objectName);
    OB[k]->setToolTip(s.objectName);
    switch (s.sensorKind) {
    case SensorKind::Potential: D[k]->setText(DiagramText::ShortSensorNames[0][lang_]); break;
    case SensorKind::Resistance: D[k]->setText(DiagramText::ShortSensorNames[1][lang_]); break;
    case SensorKind::Other: D[k]->setText(QString()); break;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{P[k], MB[k], SB[k], L[k], OB[k], D[k]}) w->show();
}

void TForm4::placeWindow(const DesignScale& design)
{
    setMinimumSize(DesignScale(*this, DesignScale::Sizes::Fixed).size(600, 300));
    PlaceWindow(*this, design.size(kWidth, kHeight), QStringLiteral("diagram"), Splitter1);
}

void TForm4::PMouseDown(int k) { P[k]->setFrameShadow(QFrame::Sunken); }

void TForm4::PMouseUp(int k) { P[k]->setFrameShadow(QFrame::Raised); }

void TForm4::PClick(int k)
{
    // The dialog opens with the colour last chosen in it.
    if (ColorDialog1->exec() != QDialog::Accepted) return;
    const QColor chosen = ColorDialog1->currentColor();
    QPalette palette = P[k]->palette();
    palette.setColor(QPalette::Window, chosen);
    P[k]->setPalette(palette);
    P[k]->setAccessibleDescription(chosen.name());
    Chart1->surface(k).color = chosen;
    Chart1->update();
}

void TForm4::MBClick(int k)
{
    Chart1->surface(k).marksVisible = MB[k]->isChecked();
    Chart1->update();
}

void TForm4::OBClick(int k)
{
    Chart1->surface(k).visible = OB[k]->isChecked();
    Chart1->update();
}

void TForm4::SBChange(int k)
{
    // Only rows with a surface are shown, so only they can change.
    if (k >= int(Chart1->surfaces().size())) return;
    Chart1->surface(k).transparency = SB[k]->value();
    L[k]->setText(QString::number(SB[k]->value()) + QStringLiteral(" %"));
    Chart1->update();
}

void TForm4::FormMouseWheelUp() { Chart1->zoomBy(1); }

void TForm4::FormMouseWheelDown() { Chart1->zoomBy(-1); }

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel) return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return QDialog::eventFilter(watched, event);
    // Over any part of the window the wheel zooms, one step per notch; a touchpad's small
    // deltas add up to notches. Taken here, it reaches no control beneath.
    wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
    while (wheelRemainder_ >= 120) {
        FormMouseWheelUp();
        wheelRemainder_ -= 120;
    }
    while (wheelRemainder_ <= -120) {
        FormMouseWheelDown();
        wheelRemainder_ += 120;
    }
    return true;
}
