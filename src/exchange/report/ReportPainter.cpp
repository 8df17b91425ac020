#include "ReportPainter.h"

#include "ReportLayout.h"

#include <QFontDatabase>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

using namespace ReportGeometry;

namespace {

class Pen {
public:
    explicit Pen(QPainter& painter, qreal dpi) : painter_(painter), dotsPerHundredthMm_(dpi / 2540.0) {}

    qreal dots(int hundredthsMm) const { return hundredthsMm * dotsPerHundredthMm_; }

    // Text hangs from its top edge, as a label placed on a band does.
    void text(int left, int top, const QFont& font, const QString& text)
    {
        if (text.isEmpty()) return;
        painter_.setFont(font);
        const QPointF topLeft(dots(left), dots(top));
        painter_.drawText(QRectF(topLeft, QSizeF(dots(kBodyWidth), dots(kBodyHeight))),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, text);
    }

private:
    QPainter& painter_;
    qreal dotsPerHundredthMm_;
};

} // namespace

QFont ReportFont(int pointSize, bool bold)
{
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("Lucida Console"))
                                      ? QStringLiteral("Lucida Console")
                                      : QStringLiteral("DejaVu Sans Mono");
    QFont font(family, pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    // Whole-pixel glyph advances would let long lines drift against the heading.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void SetUpReportPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

int PaintReport(QPagedPaintDevice& device, const QString& title, const QStringList& lines,
                DetailCounter& counter, int firstPage, int lastPage)
{
    counter.restart();
    const std::vector<ReportPage> pages = PaginateReport(int(lines.size()));
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    Pen pen(painter, device.logicalDpiY());
    const QFont titleFont = ReportFont(kTitlePointSize, true);
    const QFont lineFont = ReportFont(kHeadingPointSize);
    const QFont pageNumberFont = ReportFont(kPageNumberPointSize);
    const QString heading = lines.value(0);

    bool drawnAny = false;
    for (const ReportPage& page : pages) {
        const bool draw = page.number >= firstPage && page.number <= lastPage;
        if (draw && drawnAny) device.newPage();
        int top = kHeaderBandHeight;
        for (int k = 0; k < page.detailCount; ++k, top += kDetailBandHeight) {
            const QString detail = counter.next(lines);
            if (draw) pen.text(kDetailLeft, top, lineFont, detail);
        }
        if (!draw) continue;
        pen.text(kTitleLeft, kTitleTop, titleFont, title);
        pen.text(kHeadingLeft, kHeadingTop, lineFont, heading);
        pen.text(kPageNumberLeft, kFooterTop + kPageNumberTop, pageNumberFont, QString::number(page.number));
        drawnAny = true;
    }
    painter.end();
    return int(pages.size());
}
