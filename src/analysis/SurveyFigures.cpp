#include "SurveyFigures.h"

#include "texts/AnalysisTexts.h"

#include <QLocale>

#include <cmath>

ObjectFigures FiguresOf(const SurveyObject& object, Electrode electrode, int lang)
{
    return FiguresOf(object, ThresholdsFor(electrode), lang);
}

QString ThresholdSourceText(const ThresholdsInForce& thresholds, int lang)
{
    using namespace AnalysisText;
    if (thresholds.setByEngineer) return ThresholdSourceEngineer[lang];
    return QString(ThresholdSourceStandard[lang]).arg(Electrodes[std::size_t(thresholds.electrode)][lang]);
}

ObjectFigures FiguresOf(const SurveyObject& object, const PotentialThresholds& t, int lang)
{
    const std::vector<double> values = object.values();
    ObjectFigures f;
    f.summary = Summarize(values);
    std::vector<int> counts;
    std::vector<QString> names;
    if (object.sensor == SensorKind::Potential) {
        counts.assign(kPotentialClassCount, 0);
        for (double v : values) ++counts[std::size_t(ClassifyPotential(v, t))];
        for (const TextPair& n : AnalysisText::PotentialClassNames) names.push_back(n[lang]);
    } else if (object.sensor == SensorKind::Resistance) {
        counts.assign(kResistivityClassCount, 0);
        for (double v : values) ++counts[std::size_t(ClassifyResistivity(v))];
        for (const TextPair& n : AnalysisText::ResistivityClassNames) names.push_back(n[lang]);
    }
    const std::vector<double> shares = Shares(counts);
    for (std::size_t k = 0; k < counts.size(); ++k) f.classes.push_back({names[k], counts[k], shares[k]});
    return f;
}

QString UnitText(SensorKind sensor, int lang)
{
    switch (sensor) {
    case SensorKind::Potential: return AnalysisText::UnitMv[lang];
    case SensorKind::Resistance: return AnalysisText::UnitKOhmCm[lang];
    default: return QString();
    }
}

std::vector<QString> ClassRanges(SensorKind sensor, const PotentialThresholds& t, int lang)
{
    const QString unit = UnitText(sensor, lang);
    if (sensor == SensorKind::Potential)
        return {QStringLiteral("> %1 %2").arg(t.upper).arg(unit),
                QStringLiteral("%1 … %2 %3").arg(t.upper).arg(t.lower).arg(unit),
                QStringLiteral("< %1 %2").arg(t.lower).arg(unit)};
    if (sensor == SensorKind::Resistance) {
        static_assert(kResistivityBounds.size() + 1 == kResistivityClassCount);
        const auto& b = kResistivityBounds;
        return {QStringLiteral("> %1 %2").arg(b[0]).arg(unit),
                QStringLiteral("%1 … %2 %3").arg(b[1]).arg(b[0]).arg(unit),
                QStringLiteral("%1 … %2 %3").arg(b[2]).arg(b[1]).arg(unit),
                QStringLiteral("≤ %1 %2").arg(b[2]).arg(unit)};
    }
    return {};
}

QString StandardLimitsText(SensorKind sensor, const ThresholdsInForce& standard, int lang)
{
    using namespace AnalysisText;
    const std::vector<QString> ranges = ClassRanges(sensor, ThresholdsFor(standard.electrode), lang);
    QStringList classes;
    for (std::size_t k = 0; k < ranges.size(); ++k)
        classes << (sensor == SensorKind::Potential ? PotentialClassNames[k][lang]
                                                    : ResistivityClassNames[k][lang]) +
                       QStringLiteral(" ") + ranges[k];
    const QString list = classes.join(QStringLiteral("; "));
    if (sensor == SensorKind::Potential)
        return QString(PotentialStandard[lang]).arg(Electrodes[std::size_t(standard.electrode)][lang], list);
    if (sensor == SensorKind::Resistance) return QString(ResistivityStandard[lang]).arg(list);
    return QString();
}

QString ValueText(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // No "-0.0" for a mean that rounds to zero.
    const double rounded = std::round(value * 10) / 10;
    return locale.toString(rounded == 0 ? 0.0 : rounded, 'f', 1);
}

QString ObjectTitle(const SurveyObject& object, int lang)
{
    QString title = object.name.trimmed() + QStringLiteral(", ") +
                    AnalysisText::SensorNames[std::size_t(object.sensor)][lang];
    if (object.first.isValid()) {
        const QString format = QStringLiteral("dd.MM.yyyy");
        title += QStringLiteral(", ") + object.first.date().toString(format);
        if (object.last.date() != object.first.date())
            title += QStringLiteral(" – ") + object.last.date().toString(format);
    }
    return title;
}

std::vector<std::pair<QString, QString>> StatisticsRows(const SurveyObject& object, Electrode electrode,
                                                        int lang)
{
    return StatisticsRows(object, ThresholdsFor(electrode), lang);
}

std::vector<std::pair<QString, QString>> StatisticsRows(const SurveyObject& object,
                                                        const PotentialThresholds& thresholds, int lang)
{
    using namespace AnalysisText;
    const ObjectFigures f = FiguresOf(object, thresholds, lang);
    const QString unit = UnitText(object.sensor, lang);
    const auto withUnit = [&](double v) { return unit.isEmpty() ? ValueText(v) : ValueText(v) + ' ' + unit; };
    std::vector<std::pair<QString, QString>> rows{
        {Count[lang], QString::number(f.summary.count)},
    };
    if (f.summary.count > 0) {
        rows.push_back({Mean[lang], withUnit(f.summary.mean)});
        rows.push_back({Median[lang], withUnit(f.summary.median)});
        rows.push_back({StdDev[lang], withUnit(f.summary.stdDev)});
        rows.push_back({Minimum[lang], withUnit(f.summary.min)});
        rows.push_back({Maximum[lang], withUnit(f.summary.max)});
        for (std::size_t k = 0; k < kPercentiles.size(); ++k)
            rows.push_back(
                {QString(PercentileLabel[lang]).arg(kPercentiles[k]), withUnit(f.summary.percentiles[k])});
    }
    if (object.replaced > 0) rows.push_back({Replaced[lang], QString::number(object.replaced)});
    if (object.unreadable > 0) rows.push_back({Unreadable[lang], QString::number(object.unreadable)});
    for (const ClassShare& c : f.classes)
        rows.push_back({c.name, QStringLiteral("%1 (%2 %)").arg(c.count).arg(ValueText(c.percent))});
    return rows;
}

CombinedRiskFigures CombinedRiskRows(const SurveyObject& potential, const SurveyObject& resistivity,
                                     const PotentialThresholds& thresholds, SeriesAlignment alignment,
                                     int lang)
{
    using namespace AnalysisText;
    const RiskTally tally = TallyRisk(CombineSurveys(potential, resistivity, thresholds, alignment));
    CombinedRiskFigures f;
    f.pairedLine = QString(PairedLine[lang]).arg(tally.paired);
    for (std::size_t k = 0; k < tally.counts.size(); ++k)
        f.rows.push_back({RiskNames[k][lang],
                          QStringLiteral("%1 (%2 %)").arg(tally.counts[k]).arg(ValueText(tally.percent[k]))});
    f.unpairedLine = QString(UnpairedLine[lang]).arg(tally.potentialOnly).arg(tally.resistivityOnly);
    return f;
}

QString StatisticsTsv(const SurveyObject& object, Electrode electrode, int lang)
{
    return StatisticsTsv(object, StandardThresholds(electrode), lang);
}

QString StatisticsTsv(const SurveyObject& object, const ThresholdsInForce& thresholds, int lang)
{
    const QString eol = QStringLiteral("\r\n");
    QString text = ObjectTitle(object, lang) + eol;
    if (object.sensor == SensorKind::Potential) {
        const PotentialThresholds t = thresholds.values;
        text += AnalysisText::Electrode[lang] + '\t' +
                AnalysisText::Electrodes[std::size_t(thresholds.electrode)][lang] + eol;
        text += AnalysisText::ThresholdsLine[lang].section(':', 0, 0) + '\t' +
                QStringLiteral("%1 / %2 %3 (%4)")
                    .arg(t.upper)
                    .arg(t.lower)
                    .arg(AnalysisText::UnitMv[lang], ThresholdSourceText(thresholds, lang)) +
                eol;
    }
    for (const auto& [label, value] : StatisticsRows(object, thresholds.values, lang))
        text += label + '\t' + value + eol;
    return text;
}
