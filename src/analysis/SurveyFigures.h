#pragma once
// The figures of one object as the window, the clipboard and the report show them: summary,
// class shares and their texts in a language. No window code.
#include "Classes.h"
#include "Statistics.h"
#include "Survey.h"

#include <QString>
#include <QStringList>

#include <vector>

struct ClassShare {
    QString name;
    int count = 0;
    double percent = 0;
};

struct ObjectFigures {
    Summary summary;
    /// Potential classes or resistivity classes in order of rising risk; empty for another sensor.
    std::vector<ClassShare> classes;
};

ObjectFigures FiguresOf(const SurveyObject& object, Electrode electrode, int lang);
/// Potentials classed by the thresholds in force.
ObjectFigures FiguresOf(const SurveyObject& object, const PotentialThresholds& thresholds, int lang);

/// Where the thresholds come from: "ASTM C876, <electrode>" or "set by the engineer".
QString ThresholdSourceText(const ThresholdsInForce& thresholds, int lang);

/// The unit of the object's readings ("mV", "kOhm·cm"; empty for another sensor).
QString UnitText(SensorKind sensor, int lang);

/// The readings each class takes, in the order of the classes: "> -200 mV", "-200 … -350 mV",
/// "< -350 mV" for potentials; resistivities from the class table, a bound going to the class
/// below it. Empty for another sensor.
std::vector<QString> ClassRanges(SensorKind sensor, const PotentialThresholds& thresholds, int lang);

/// The standard's classes with their limits for the report: edition, electrode and each class
/// with its range (potentials by `standard`, the electrode's own values), or the resistivity
/// table. Empty for another sensor.
QString StandardLimitsText(SensorKind sensor, const ThresholdsInForce& standard, int lang);

/// A reading with one decimal, in the user's number format without group separators.
QString ValueText(double value);

/// "Name, sensor, dates" as the object list and the report name an object: the day of its
/// readings, or first – last day for a survey over several days; no dates where none were read.
QString ObjectTitle(const SurveyObject& object, int lang);

/// Label and value of each statistics line: the summary with its percentiles, the readings
/// replaced or unreadable, then one line per class.
std::vector<std::pair<QString, QString>> StatisticsRows(const SurveyObject& object, Electrode electrode,
                                                        int lang);
std::vector<std::pair<QString, QString>> StatisticsRows(const SurveyObject& object,
                                                        const PotentialThresholds& thresholds, int lang);

/// The combined risk of a potential survey with its resistivity survey as the report lists it:
/// the shares over the positions both surveys measured, one row per risk level with its count and
/// share, and the positions only one survey measured, counted apart.
struct CombinedRiskFigures {
    QString pairedLine;
    std::vector<std::pair<QString, QString>> rows;
    QString unpairedLine;
};
CombinedRiskFigures CombinedRiskRows(const SurveyObject& potential, const SurveyObject& resistivity,
                                     const PotentialThresholds& thresholds, SeriesAlignment alignment,
                                     int lang);

/// The statistics as tab-separated text for the clipboard: the object's title, the electrode
/// (potential only), then the rows; CR LF after every line.
QString StatisticsTsv(const SurveyObject& object, Electrode electrode, int lang);
/// The same with the thresholds in force and their source on the thresholds line.
QString StatisticsTsv(const SurveyObject& object, const ThresholdsInForce& thresholds, int lang);
