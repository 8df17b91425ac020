#pragma once
// The objects of a survey, read back from the archive table's texts: each one the readings of
// one sensor placed on its grid. No window code.
#include "Classes.h"
#include "ValueGrid.h"
#include "diagram/Surfaces.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <span>
#include <vector>

class ArchiveTable;

/// The sensor of a sensor cell, in whichever language the row was filled.
SensorKind SensorOfText(const QString& cell);

/// Consecutive table rows that the diagram draws as one surface.
struct RowBlock {
    int firstRow = 1;
    int rowCount = 0;
};

/// The rows of each surface: the diagram takes the data rows in order, one point per row, so
/// surface k begins where surface k − 1 ended.
std::vector<RowBlock> BlocksOfSurfaces(const std::vector<DiagramSurface>& surfaces);

/// The blocks of the diagram's surfaces of `table`; none when a cell stops the diagram.
std::vector<RowBlock> SurfaceBlocks(const ArchiveTable& table);

struct SurveyPoint {
    int row = 0; ///< table row
    int series = 0;
    int point = 0;
    double value = 0;
};

struct SurveyObject {
    QString name;
    SensorKind sensor = SensorKind::Other;
    int stepX = 1; ///< grid steps of the object's first reading
    int stepY = 1;
    /// Readings that count: from GroupSurveys one per position (the latest), in series then point
    /// order; from SurveyObjects every reading in row order.
    std::vector<SurveyPoint> points;
    int unreadable = 0;    ///< rows whose value or position is no number
    int replaced = 0;      ///< readings of a position measured again later in the same survey
    QDateTime first, last; ///< moments of the earliest and latest reading (invalid without dates)
    int firstPoint = 0;    ///< grid node (0, 0) is this point of this series
    int firstSeries = 0;
    /// Node (point − firstPoint, series − firstSeries); where a position was measured twice the
    /// reading of the earlier row stands.
    ValueGrid grid;

    std::vector<double> values() const;
    /// Position of grid node (i, j) in the table's length units.
    double xAt(double i) const { return (firstPoint + i) * stepX; }
    double yAt(double j) const { return (firstSeries + j) * stepY; }
};

/// One object per block, split further where the sensor changes inside a block so that
/// potentials and resistivities never share statistics.
std::vector<SurveyObject> SurveyObjects(const ArchiveTable& table, std::span<const RowBlock> blocks);

/// The surveys of `table`, whatever the order of its rows: one per object (names compared as
/// SameObjectName does) and sensor. The readings of one object and sensor are taken in the order
/// they were measured; a later day whose first reading has a series number no greater than the
/// last series of the day before starts a repeat survey (the instrument numbered the series from
/// the start again). Within a survey the latest reading of a position counts and the others are
/// counted as replaced; equal moments keep the larger value, so that the row order never
/// matters. Surveys come in the order of their first reading, then name, then sensor.
std::vector<SurveyObject> GroupSurveys(const ArchiveTable& table);

/// Object names compare as the diagram compares them: Latin letters regardless of case.
bool SameObjectName(const QString& a, const QString& b);

/// The object holding the other sensor's survey of `objects[index]`: same name, steps and day
/// of its first reading (objects without dates pair with objects without dates), or -1.
/// Potential and resistance only.
int PartnerOf(const std::vector<SurveyObject>& objects, int index);

/// How the grids of a potential and a resistivity survey are laid over each other: by equal
/// series numbers, or by the k-th series of one with the k-th series of the other (an
/// instrument numbering series per object puts the resistivity series after the potential ones).
enum class SeriesAlignment { ByNumber = 0, ByOrder };

/// By number when the two surveys share at least one series number, otherwise by order.
SeriesAlignment DefaultAlignment(const SurveyObject& potential, const SurveyObject& resistance);

/// One grid position of a combined view (series and point as the potential survey numbers them,
/// or the resistivity survey's where it alone measured the position).
struct CombinedNode {
    int point = 0;
    int series = 0;
    CombinedRisk risk = CombinedRisk::Low;
    int potentialRow = -1; ///< -1 where that survey has no reading here
    int resistanceRow = -1;
};

/// Every position that either survey measured, in series then point order; a position
/// measured by one survey only is marked NoPotential or NoResistivity.
std::vector<CombinedNode> CombineSurveys(const SurveyObject& potential, const SurveyObject& resistance,
                                         const PotentialThresholds& thresholds,
                                         SeriesAlignment alignment = SeriesAlignment::ByNumber);

/// The combined risk counted over the positions both surveys measured; the others apart.
struct RiskTally {
    std::array<int, kCombinedRiskLevels> counts{};
    std::array<double, kCombinedRiskLevels> percent{}; ///< of `paired`
    int paired = 0;
    int potentialOnly = 0;   ///< positions without a resistivity reading
    int resistivityOnly = 0; ///< positions without a potential reading
};
RiskTally TallyRisk(std::span<const CombinedNode> nodes);

/// First and last moment of an object's readings, from the date and time cells.
struct DateRange {
    QDateTime first, last;
    bool valid() const { return first.isValid(); }
};
DateRange MeasurementDates(const ArchiveTable& table, const SurveyObject& object);
