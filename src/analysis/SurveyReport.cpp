#include "SurveyReport.h"

#include "BreakOutPainter.h"
#include "ChartPainter.h"
#include "PaintFont.h"
#include "SurveyCsv.h"
#include "SurveyFigures.h"
#include "texts/AnalysisTexts.h"
#include "texts/Texts.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Label and value lines in two columns; returns the height used.
double DrawRows(QPainter& p, const QRectF& r, const std::vector<std::pair<QString, QString>>& rows,
                double unit)
{
    p.setFont(PaintFont(unit, 10.5));
    const QFontMetricsF fm(p.font());
    const double line = fm.height() + 3 * unit;
    double y = r.top();
    bool shade = false;
    for (const auto& [label, value] : rows) {
        if (shade) p.fillRect(QRectF(r.left(), y, r.width(), line), QColor(0xf2, 0xf2, 0xf2));
        shade = !shade;
        p.setPen(QColor(20, 20, 20));
        p.drawText(QRectF(r.left() + 4 * unit, y, r.width() * 0.62, line), Qt::AlignVCenter | Qt::AlignLeft,
                   label);
        p.drawText(QRectF(r.left() + r.width() * 0.62, y, r.width() * 0.38 - 4 * unit, line),
                   Qt::AlignVCenter | Qt::AlignRight, value);
        y += line;
    }
    return y - r.top();
}

// The risk matrix as a table: potential classes down, resistivity classes across.
void DrawRiskMatrix(QPainter& p, const QRectF& r, int lang, double unit)
{
    using namespace AnalysisText;
    p.setFont(PaintFont(unit, 12, true));
    QFontMetricsF fm(p.font());
    p.setPen(QColor(20, 20, 20));
    p.drawText(QPointF(r.left(), r.top() + fm.ascent()), RiskMatrix[lang]);
    const double top = r.top() + fm.height() + 4 * unit;
    p.setFont(PaintFont(unit, 9));
    fm = QFontMetricsF(p.font());
    const double head = r.width() * 0.34;
    const double cellW = (r.width() - head) / kResistivityClassCount;
    const double headH = 2 * fm.height() + 6 * unit;
    const double cellH = 2 * fm.height() + 6 * unit;
    for (int c = 0; c < kResistivityClassCount; ++c)
        p.drawText(QRectF(r.left() + head + c * cellW, top, cellW, headH), Qt::AlignCenter | Qt::TextWordWrap,
                   ResistivityClassNames[std::size_t(c)][lang]);
    for (int row = 0; row < kPotentialClassCount; ++row) {
        const double y = top + headH + row * cellH;
        p.setPen(QColor(20, 20, 20));
        p.drawText(QRectF(r.left(), y, head - 4 * unit, cellH),
                   Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap,
                   PotentialClassNames[std::size_t(row)][lang]);
        for (int c = 0; c < kResistivityClassCount; ++c) {
            const ::CombinedRisk risk = Combine(PotentialClass(row), ResistivityClass(c));
            const QRectF cell(r.left() + head + c * cellW, y, cellW, cellH);
            p.fillRect(cell, RiskColor(risk));
            p.setPen(QPen(Qt::white, 1 * unit));
            p.drawRect(cell);
            p.setPen(risk == ::CombinedRisk::Severe || risk == ::CombinedRisk::High ? Qt::white
                                                                                    : QColor(20, 20, 20));
            p.drawText(cell, Qt::AlignCenter | Qt::TextWordWrap, RiskNames[std::size_t(risk)][lang]);
        }
    }
}

} // namespace

void SetUpSurveyReportPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

std::vector<SurveyReportPage> ReportPages(const std::vector<SurveyObject>& objects)
{
    std::vector<SurveyReportPage> pages;
    for (int k = 0; k < int(objects.size()); ++k) {
        if (objects[std::size_t(k)].points.empty()) continue;
        pages.push_back({k, ReportPageKind::Survey});
        pages.push_back({k, ReportPageKind::Distribution});
        if (objects[std::size_t(k)].sensor == SensorKind::Potential && PartnerOf(objects, k) >= 0)
            pages.push_back({k, ReportPageKind::Combined});
    }
    return pages;
}

int PaintSurveyReport(QPagedPaintDevice& device, const ArchiveTable& table,
                      const std::vector<SurveyObject>& objects, const ReportOptions& options, int firstPage,
                      int lastPage)
{
    using namespace AnalysisText;
    const int lang = options.map.lang;
    const std::vector<SurveyReportPage> pages = ReportPages(objects);
    const int count = std::max<int>(1, int(pages.size()));
    QPainter p;
    if (!p.begin(&device)) return 0;
    const double unit = device.logicalDpiY() / 96.0;
    const QRectF page(0, 0, device.width(), device.height());
    const QString titleLine = MainText::Caption[lang].trimmed() + QStringLiteral(" — ") + ReportTitle[lang];
    const QString printed = QLocale().toString(options.printedAt, QLocale::ShortFormat);
    const ::Electrode electrode = options.map.electrode;
    bool first = true;

    for (int n = 1; n <= count; ++n) {
        if (n < firstPage || n > lastPage) continue;
        if (!first) device.newPage();
        first = false;

        // Header and footer.
        p.setFont(PaintFont(unit, 13, true));
        QFontMetricsF fm(p.font());
        p.setPen(QColor(20, 20, 20));
        p.drawText(QRectF(page.left(), page.top(), page.width() * 0.7, fm.height()), Qt::AlignLeft,
                   titleLine);
        p.setFont(PaintFont(unit, 10));
        p.drawText(QRectF(page.left(), page.top(), page.width(), fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, printed);
        const double headerBottom = page.top() + fm.height() + 4 * unit;
        p.setPen(QPen(QColor(80, 80, 80), 1 * unit));
        p.drawLine(QPointF(page.left(), headerBottom), QPointF(page.right(), headerBottom));
        p.setFont(PaintFont(unit, 10));
        const QFontMetricsF small(p.font());
        const double footerTop = page.bottom() - small.height() - 4 * unit;
        p.drawLine(QPointF(page.left(), footerTop), QPointF(page.right(), footerTop));
        p.setPen(QColor(20, 20, 20));
        p.drawText(QRectF(page.left(), footerTop + 3 * unit, page.width(), small.height()), Qt::AlignLeft,
                   titleLine);
        p.drawText(QRectF(page.left(), footerTop + 3 * unit, page.width(), small.height()), Qt::AlignRight,
                   Page[lang].arg(n).arg(count));

        if (pages.empty()) {
            p.setFont(PaintFont(unit, 12));
            p.drawText(QRectF(page.left(), headerBottom + 20 * unit, page.width(), 40 * unit), Qt::AlignLeft,
                       NoObjects[lang]);
            continue;
        }
        const SurveyReportPage rp = pages[std::size_t(n - 1)];
        const SurveyObject& object = objects[std::size_t(rp.object)];
        const int partnerIndex = PartnerOf(objects, rp.object);
        const SurveyObject* partner = partnerIndex >= 0 ? &objects[std::size_t(partnerIndex)] : nullptr;

        // The object's heading and what the page is based on.
        double y = headerBottom + 10 * unit;
        p.setFont(PaintFont(unit, 16, true));
        fm = QFontMetricsF(p.font());
        QString heading = ObjectTitle(object, lang);
        if (rp.kind == ReportPageKind::Combined)
            heading += QStringLiteral(" + ") + SensorNames[std::size_t(SensorKind::Resistance)][lang] +
                       QStringLiteral(": ") + CombinedRiskTitle[lang];
        else if (rp.kind == ReportPageKind::Distribution)
            heading = QString(DistributionTitle[lang]).arg(heading);
        p.drawText(QPointF(page.left(), y + fm.ascent()), heading);
        y += fm.height() + 4 * unit;

        const PotentialThresholds t = options.map.potentialThresholds();
        const ThresholdsInForce inForce{t, electrode, options.map.thresholds.has_value()};
        // The survey's record, its unit and orientation (else those of the window).
        MapOptions mo = options.map;
        const auto recordIt = options.records.find(SurveyKey(object));
        const SurveyRecord record = recordIt != options.records.end() ? recordIt->second : SurveyRecord{};
        if (recordIt != options.records.end()) {
            mo.length = record.unit;
            mo.orientation = record.orientation;
        }
        const QString thresholdsLine =
            ElectrodeLine[lang].arg(Electrodes[std::size_t(electrode)][lang]) + QStringLiteral(";  ") +
            ThresholdsLine[lang].arg(t.upper).arg(t.lower) + QStringLiteral(";  ") +
            ThresholdSourceLine[lang].arg(ThresholdSourceText(inForce, lang));
        const QString geometryLine = UnitLine[lang].arg(UnitText(mo.length, lang)) + QStringLiteral(";  ") +
                                     OrientationLine[lang].arg(OrientationText(mo.orientation, lang));
        QStringList facts;
        if (rp.kind == ReportPageKind::Survey) {
            if (object.sensor == SensorKind::Potential) {
                facts << thresholdsLine
                      << StandardLimitsText(SensorKind::Potential, StandardThresholds(electrode), lang)
                      << PotentialEvaluation[lang];
            } else if (object.sensor == SensorKind::Resistance) {
                facts << StandardLimitsText(SensorKind::Resistance, {}, lang) << ResistivityBasis[lang];
            }
            const DateRange dates = MeasurementDates(table, object);
            facts << (dates.valid()
                          ? DatesLine[lang].arg(QLocale().toString(dates.first, QLocale::ShortFormat),
                                                QLocale().toString(dates.last, QLocale::ShortFormat))
                          : DatesUnknown[lang]) +
                         QStringLiteral(";  ") + StepsLine[lang].arg(object.stepX).arg(object.stepY);
        } else if (rp.kind == ReportPageKind::Combined) {
            facts << thresholdsLine;
            const QString alignment =
                options.map.alignment == SeriesAlignment::ByNumber ? AlignByNumber[lang] : AlignByOrder[lang];
            facts << Alignment[lang] + QStringLiteral(": ") + alignment;
        } else if (object.sensor == SensorKind::Potential) {
            facts << thresholdsLine;
        }
        facts << geometryLine;
        p.setFont(PaintFont(unit, 10.5));
        fm = QFontMetricsF(p.font());
        for (const QString& f : facts) {
            const QRectF room(page.left(), y, page.width(), fm.height() * 2);
            const QRectF used = p.boundingRect(room, Qt::TextWordWrap, f);
            p.drawText(room, Qt::TextWordWrap, f);
            y += std::min(used.height(), room.height()) + 1 * unit;
        }
        if (rp.kind == ReportPageKind::Survey) {
            // The record; a survey without one says so.
            QString recordText;
            if (record.empty()) {
                recordText = RecordEmptyNote[lang];
            } else {
                QStringList filled;
                const auto& fields = RecordFields();
                for (std::size_t k = 0; k < fields.size(); ++k) {
                    const QString v = (record.*fields[k].member).simplified();
                    if (!v.isEmpty()) filled << RecordFieldNames[k][lang] + QStringLiteral(": ") + v;
                }
                recordText = RecordHeading[lang] + QStringLiteral(" — ") + filled.join(QStringLiteral(";  "));
            }
            p.setFont(PaintFont(unit, 10.5, record.empty()));
            const QRectF room(page.left(), y, page.width(), fm.height() * 4);
            const QRectF used = p.boundingRect(room, Qt::TextWordWrap, recordText);
            p.drawText(room, Qt::TextWordWrap, recordText);
            y += std::min(used.height(), room.height()) + 1 * unit;
        }
        y += 6 * unit;
        const QRectF body(page.left(), y, page.width(), footerTop - 8 * unit - y);

        if (rp.kind == ReportPageKind::Distribution) {
            // The plots on the left, big enough to read; the grid sketch and the break-out map on
            // the right, both placed as the map places its positions.
            const double gap = 14 * unit;
            const double half = (body.width() - gap) / 2;
            const double plotHeight = (body.height() - gap) / 2;
            PaintHistogram(p, QRectF(body.left(), body.top(), half, plotHeight), object, t, lang, unit);
            PaintCumulative(p, QRectF(body.left(), body.top() + plotHeight + gap, half, plotHeight), object,
                            t, lang, unit);
            const double right = body.left() + half + gap;
            const double sketchHeight = (body.height() - gap) * 0.4;
            PaintGridSketch(p, QRectF(right, body.top(), half, sketchHeight), object, mo.length,
                            mo.orientation, lang, unit);
            PaintBreakOutMap(
                p, QRectF(right, body.top() + sketchHeight + gap, half, body.height() - sketchHeight - gap),
                object, t, mo.length, mo.orientation, lang, unit);
            continue;
        }

        const QRectF mapArea(body.left(), body.top(), body.width() * 0.60, body.height());
        const QRectF side(mapArea.right() + 14 * unit, body.top(), body.right() - mapArea.right() - 14 * unit,
                          body.height());
        mo.combined = rp.kind == ReportPageKind::Combined;
        const SurveyMap map(object, partner, mo);
        map.paint(p, mapArea, unit);

        p.setFont(PaintFont(unit, 12, true));
        fm = QFontMetricsF(p.font());
        p.setPen(QColor(20, 20, 20));
        const auto note = [&](double top, const QString& text, bool bold = false) {
            p.setFont(PaintFont(unit, 10, bold));
            const QRectF room(side.left(), top, side.width(), std::max(0.0, side.bottom() - top));
            const QRectF used = p.boundingRect(room, Qt::TextWordWrap, text);
            p.setPen(QColor(20, 20, 20));
            p.drawText(room, Qt::TextWordWrap, text);
            return top + used.height() + 4 * unit;
        };
        if (rp.kind == ReportPageKind::Combined) {
            p.drawText(QPointF(side.left(), side.top() + fm.ascent()), CombinedRiskTitle[lang]);
            // Shares over the positions both surveys measured; the others counted apart.
            const CombinedRiskFigures risk =
                CombinedRiskRows(object, *partner, t, options.map.alignment, lang);
            double top = side.top() + fm.height() + 4 * unit;
            top = note(top, risk.pairedLine);
            top += DrawRows(p, QRectF(side.left(), top, side.width(), side.height()), risk.rows, unit) +
                   4 * unit;
            top = note(top, risk.unpairedLine);
            top = note(top, HeuristicNote[lang], true) + 8 * unit;
            DrawRiskMatrix(p, QRectF(side.left(), top, side.width(), side.bottom() - top), lang, unit);
            continue;
        }
        p.drawText(QPointF(side.left(), side.top() + fm.ascent()), Statistics[lang]);
        const double top = side.top() + fm.height() + 4 * unit;
        const double used = DrawRows(p, QRectF(side.left(), top, side.width(), side.height()),
                                     StatisticsRows(object, t, lang), unit);
        note(top + used + 6 * unit, PercentileRule[lang]);
    }
    p.end();
    return count;
}
