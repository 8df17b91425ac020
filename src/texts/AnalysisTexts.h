#pragma once
// Texts of the survey analysis: its window, map legends, statistics and report.
#include "TextPair.h"

#include <array>

namespace AnalysisText {
extern const TextPair MenuItem, Caption;
extern const TextPair Objects, Electrode, Fill, View, Interval, IntervalNone;
/// Reference electrodes in the order of the choice.
extern const std::array<TextPair, 4> Electrodes;
extern const TextPair FillClasses, FillContinuous, ViewValues, ViewCombined;
extern const TextPair SaveMap, CopyStatistics, Report, ReportPdf;
extern const TextPair PotentialClasses, ResistivityClasses, CombinedRiskTitle, RiskMatrix;
extern const std::array<TextPair, 3> PotentialClassNames;
extern const std::array<TextPair, 4> ResistivityClassNames;
/// Low, moderate, high, severe, then the two kinds of missing reading.
extern const std::array<TextPair, 6> RiskNames;
/// Potential, resistivity, other.
extern const std::array<TextPair, 3> SensorNames;
extern const TextPair UnitMv, UnitKOhmCm;
extern const TextPair MeasuredPoint, IsoLine, NoData, NoClasses;
extern const TextPair Count, Mean, Median, StdDev, Minimum, Maximum, Unreadable, Share, Statistics;
extern const TextPair Histogram, Cumulative, Readings, Percent;
extern const TextPair ReportTitle, Page, ElectrodeLine, ThresholdsLine, DatesLine, DatesUnknown, StepsLine,
    PointsLine, NoObjects;
extern const TextPair PngFilter, SvgFilter, PdfFilter;
// Survey statistics and thresholds.
extern const TextPair PercentileLabel, Replaced, ThresholdSourceStandard, ThresholdSourceEngineer,
    ThresholdSourceLine, ThresholdUpper, ThresholdLower, ThresholdsReset, ResistivityBasis, PercentileRule;
// Pairing of potential and resistivity surveys.
extern const TextPair Alignment, AlignByNumber, AlignByOrder, HeuristicNote, PairedLine, UnpairedLine;
extern const TextPair BreakOut, BreakOutNone;
// Geometry, survey record and CSV.
extern const TextPair LengthUnitLabel, FlipX, FlipY, Turn90, IntervalAutomatic, OrientationLine, UnitLine,
    RecordButton, RecordTitle, CommonScale, CsvButton, CsvFilter, RecordDamaged, RecordNotSaved,
    RecordEmptyNote, RecordHeading;
// Report sections: standards, grid sketch, distribution page.
extern const TextPair PotentialStandard, PotentialEvaluation, ResistivityStandard, GridSketch, SeriesLabel,
    PointLabel, DistributionTitle;
/// The survey record's fields in the order of RecordFields().
extern const std::array<TextPair, 16> RecordFieldNames;
} // namespace AnalysisText
