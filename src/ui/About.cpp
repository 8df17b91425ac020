#include "About.h"

#include "AboutLabels.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"
#include "ui/ErrorBox.h"
#include "ui/VersionData.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void OpenLink(const QUrl& url, int lang)
{
    if (QDesktopServices::openUrl(url)) return;
    ShowErrorBox(MainText::Error[lang], AboutText::LinkFailed[lang].arg(url.toString()));
}

namespace {

void MakeLink(ClickLabel* label, const QString& hint)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(hint);
}

} // namespace

TAboutBox::TAboutBox(int lang, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      lang_(lang)
{
    setObjectName(QStringLiteral("AboutBox"));
    const DesignScale scale(*this, DesignScale::Sizes::Fixed);
    setFixedSize(scale.size(383, 443));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(scale.rect(0, 0, 383, 443));

    const QString webHint = AboutText::WebHint[lang_];
    ProgramIcon = new ClickLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(scale.rect(12, 10, 359, 241));
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProductPicture());
    ProgramIcon->setCursor(Qt::PointingHandCursor);
    ProgramIcon->setToolTip(webHint);
    ProgramIcon->setAccessibleName(webHint);
    connect(ProgramIcon, &ClickLabel::clicked, this, &TAboutBox::LabelWWWClick);

    auto label = [panel, &scale](const char* name, int x, int y, int w, int h) {
        auto* l = new QLabel(panel);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(scale.rect(x, y, w, h));
        return l;
    };
    ProductName = label("ProductName", 12, 256, 359, 24);
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    ProductName->setFont(big);
    Version = label("Version", 12, 282, 359, 18);
    txtCopyright = label("txtCopyright", 12, 302, 359, 18);
    Comments = label("Comments", 12, 326, 76, 18);
    Comments->setWordWrap(true);
    Label1 = label("Label1", 88, 326, 150, 54);
    Label1->setWordWrap(true);
    Label1->setText(QString::fromUtf8(LM11_MAKER_PHONES));
    Label2 = label("Label2", 240, 326, 132, 18);

    LabelWWW = new ClickLabel(QStringLiteral(LM11_MAKER_WEB), panel);
    LabelWWW->setObjectName(QStringLiteral("LabelWWW"));
    LabelWWW->setGeometry(scale.rect(12, 384, 200, 18));
    MakeLink(LabelWWW, webHint);
    connect(LabelWWW, &ClickLabel::clicked, this, &TAboutBox::LabelWWWClick);

    LabelEMail = new ClickLabel(QStringLiteral(LM11_MAKER_EMAIL), panel);
    LabelEMail->setObjectName(QStringLiteral("LabelEMail"));
    LabelEMail->setGeometry(scale.rect(12, 404, 200, 18));
    MakeLink(LabelEMail, QStringLiteral("Написать письмо"));
    connect(LabelEMail, &ClickLabel::clicked, this, &TAboutBox::LabelEMailClick);

    OKButton = new QPushButton(QStringLiteral("OK"), panel);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(scale.rect(290, 404, 81, 27));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    const AboutLabels texts = ComposeAboutLabels(ProgramVersionData(), ProgramBuildDate(), lang_);
    setWindowTitle(texts.caption);
    ProductName->setText(texts.productName);
    Version->setText(texts.version);
    txtCopyright->setText(texts.copyright);
    Comments->setText(texts.comments);
    Label2->setText(texts.label2);
}

void TAboutBox::reject() {}

void TAboutBox::LabelEMailClick()
{
    OpenLink(QUrl(MailTarget(LabelEMail->text(), QCoreApplication::applicationFilePath())), lang_);
}

void TAboutBox::LabelWWWClick() { OpenLink(QUrl::fromUserInput(LabelWWW->text()), lang_); }

QPixmap TAboutBox::ProductPicture()
{
    QPixmap pixmap(359, 241);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 241);
    sky.setColorAt(0, QColor(0xF4, 0xF6, 0xF8));
    sky.setColorAt(1, QColor(0xD8, 0xDE, 0xE4));
    p.fillRect(pixmap.rect(), sky);

    // The concrete slab under test, with its reinforcement bars seen end on.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB0, 0xAC, 0xA4));
    p.drawRect(0, 196, 359, 45);
    p.setBrush(QColor(0x8A, 0x5A, 0x3C));
    for (int x = 30; x < 359; x += 60) p.drawEllipse(QPoint(x, 222), 6, 6);

    // The instrument: body, display, keypad.
    p.setPen(QPen(QColor(0x20, 0x2C, 0x38), 2));
    p.setBrush(QColor(0x3C, 0x55, 0x6E));
    p.drawRoundedRect(QRectF(40, 14, 150, 176), 16, 16);
    p.setBrush(QColor(0xC8, 0xDC, 0xB4));
    p.drawRect(QRectF(56, 30, 118, 62));
    p.setPen(QColor(0x20, 0x30, 0x20));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(16);
    p.setFont(font);
    p.drawText(QRectF(56, 34, 118, 24), Qt::AlignCenter, QStringLiteral("LM-1.1"));
    font.setBold(false);
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(QRectF(56, 60, 118, 26), Qt::AlignCenter, QStringLiteral("-235 mV"));
    p.setPen(QPen(QColor(0x20, 0x2C, 0x38), 1));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            p.setBrush(row == 2 && col == 3 ? QColor(0xD0, 0x40, 0x30) : QColor(0xE8, 0xEA, 0xEC));
            p.drawRoundedRect(QRectF(58 + col * 29, 108 + row * 24, 22, 16), 4, 4);
        }

    // The sensor on its cable, standing on the slab.
    QPainterPath cable;
    cable.moveTo(190, 60);
    cable.cubicTo(250, 40, 300, 80, 285, 140);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x22, 0x22, 0x22), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    p.setPen(QPen(QColor(0x20, 0x2C, 0x38), 2));
    p.setBrush(QColor(0xE0, 0xA0, 0x30));
    p.drawRoundedRect(QRectF(268, 138, 34, 52), 6, 6);
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawRect(QRectF(276, 190, 18, 6));
    return pixmap;
}
