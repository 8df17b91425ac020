#include "Unit5.h"

#include "ColorBox.h"
#include "ScreenPicture.h"
#include "app/SharedState.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"
#include "ui/ErrorBox.h"
#include "ui/ExchangeStarters.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QHideEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <array>

namespace {

constexpr int kPollMs = 500;
constexpr int kDone = 100;

// The toolkit's usual picture filter; whatever the name, the picture is written as BMP.
const char* const kPictureFilter = "All (*.bmp *.png *.jpg *.jpeg *.gif *.ico);;Bitmaps (*.bmp);;"
                                   "PNG (*.png);;JPEG (*.jpg *.jpeg);;GIF (*.gif);;Icons (*.ico)";

std::array<uint8_t, kScreenBlockSize> CopyScreenBuffer(const SharedState& state)
{
    std::array<uint8_t, kScreenBlockSize> block{};
    for (std::size_t i = 0; i < kScreenBlockSize; ++i) block[i] = state.ScreenBuffer[i].load();
    return block;
}

} // namespace

PictureArea::PictureArea(QWidget* parent) : QWidget(parent) {}

void PictureArea::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PictureArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), picture_);
}

TForm5::TForm5(SharedState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state)
{
    using namespace ScreenshotText;
    setObjectName(QStringLiteral("Form5"));
    const DesignScale scale(*this, DesignScale::Sizes::Fixed);
    setFixedSize(scale.size(423, 353));
    setWindowTitle(state_.tr(Caption));

    Image1 = new PictureArea(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(scale.rect(11, 8, 400, 200));
    QImage empty(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    empty.fill(Qt::white);
    Image1->setPicture(empty);

    CGauge1 = new QProgressBar(this);
    CGauge1->setObjectName(QStringLiteral("CGauge1"));
    CGauge1->setGeometry(scale.rect(11, 216, 401, 9));
    CGauge1->setRange(0, kDone);
    CGauge1->setValue(0);
    CGauge1->setTextVisible(false);
    CGauge1->hide();

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(scale.rect(11, 228, 401, 18));
    Label3->setAlignment(Qt::AlignCenter);

    Button1 = new QPushButton(state_.tr(ScreenshotText::Button1), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(scale.rect(11, 250, 401, 28));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);

    CheckBox1 = new QCheckBox(state_.tr(ScreenshotText::CheckBox1), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(scale.rect(11, 286, 190, 22));
    // toggled rather than clicked: a screen reader's Toggle action emits only toggled.
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm5::CheckBox1Click);

    CheckBox2 = new QCheckBox(state_.tr(ScreenshotText::CheckBox2), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(scale.rect(222, 286, 190, 22));

    ColorBox1 = new ColorBox(this);
    ColorBox1->setObjectName(QStringLiteral("ColorBox1"));
    ColorBox1->setGeometry(scale.rect(11, 316, 110, 26));
    ColorBox1->setSelected(Qt::black);
    Label1 = new QLabel(state_.tr(ScreenshotText::Label1), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(scale.rect(127, 316, 90, 26));
    Label1->setBuddy(ColorBox1);
    ColorBox1->setAccessibleName(Label1->text());

    ColorBox2 = new ColorBox(this);
    ColorBox2->setObjectName(QStringLiteral("ColorBox2"));
    ColorBox2->setGeometry(scale.rect(222, 316, 110, 26));
    ColorBox2->setSelected(Qt::white);
    Label2 = new QLabel(state_.tr(ScreenshotText::Label2), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(scale.rect(338, 316, 80, 26));
    Label2->setBuddy(ColorBox2);
    ColorBox2->setAccessibleName(Label2->text());

    OpenPictureDialog1 = new QFileDialog(this, QString(), QString(), QString::fromLatin1(kPictureFilter));
    OpenPictureDialog1->setObjectName(QStringLiteral("OpenPictureDialog1"));
    OpenPictureDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenPictureDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenPictureDialog1->setFileMode(QFileDialog::AnyFile); // a new name is what a save needs

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kPollMs);
    connect(Timer1, &QTimer::timeout, this, &TForm5::Timer1Timer);

    // The activity signals from the worker's side, so the state is read again when it arrives.
    connect(&state_.activity, &ExchangeActivity::runningChanged, this, &TForm5::updateButton,
            Qt::QueuedConnection);
    updateButton();
}

void TForm5::CheckBox1Click(bool checked)
{
    if (!checked) return;
    // A cancelled dialog keeps the name chosen before (at first none).
    if (OpenPictureDialog1->exec() == QDialog::Accepted) {
        const QString chosen = OpenPictureDialog1->selectedFiles().value(0);
        if (!chosen.isEmpty()) fileName_ = chosen;
    }
}

void TForm5::Button1Click()
{
    // The gauge may still show 100 from the last transfer, which the poll would take for
    // the end of this one.
    CGauge1->setValue(0);
    Label3->clear();
    if (!StartScreenRead(state_, CGauge1, Label3)) return; // another exchange is running: stay idle
    Timer1->start();
    CGauge1->show();
    Button1->setEnabled(false);
}

void TForm5::Timer1Timer()
{
    if (CGauge1->value() != kDone) return;
    // Stopped first: the box below may stay open for longer than a poll.
    Timer1->stop();
    const std::array<uint8_t, kScreenBlockSize> block = CopyScreenBuffer(state_);
    const QColor ink = ColorBox1->selected();
    const QColor background = ColorBox2->selected();
    Image1->setPicture(PaintScreenMatrix(BuildScreenMatrix(block), ink, background));
    if (CheckBox1->isChecked() && !fileName_.isEmpty() && !SaveScreenPicture(Image1->picture(), fileName_))
        ShowErrorBox(state_.tr(MainText::Error), state_.tr(ScreenshotText::SaveFailed).arg(fileName_));
    if (CheckBox2->isChecked()) QApplication::clipboard()->setImage(Image1->picture());
    CGauge1->hide();
    updateButton();
}

void TForm5::hideEvent(QHideEvent* event)
{
    // Nothing is left to poll for once the window is gone; the worker is stopped by the
    // window's closing as well. A minimised window (a spontaneous hide) keeps polling, so that
    // a transfer that ended meanwhile is shown when it comes back.
    if (!event->spontaneous()) Timer1->stop();
    QDialog::hideEvent(event);
}

void TForm5::updateButton()
{
    // Waits while any exchange runs, and while this window's own picture is still to come.
    Button1->setEnabled(!state_.activity.isRunning() && !Timer1->isActive());
}
