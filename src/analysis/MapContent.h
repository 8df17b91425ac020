#pragma once
// What the 2-D map of one object shows, worked out before anything is drawn: the fill's value
// range and colours, the iso-lines with their levels and labels, the legend with its texts, the
// combined risk of every grid position, and where it all goes in a given area (plot, legend,
// axis ticks, scale bar). No painting: MapPainter draws this content as it stands.
#include "Classes.h"
#include "Contours.h"
#include "Survey.h"
#include "SurveyGeometry.h"
#include "SurveyPlan.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

enum class FillMode { Classes = 0, Continuous };

struct MapOptions {
    Electrode electrode = Electrode::CuCuSO4;
    FillMode fill = FillMode::Classes;
    /// Iso-lines at whole multiples of this besides the class thresholds; 0 for none.
    double interval = 0;
    /// Chooses the interval from the survey's range instead (at most about 12 lines).
    bool autoInterval = false;
    /// Unit of the axes and the scale bar (the grid steps are centimetres) and the orientation.
    LengthUnit length = LengthUnit::Centimetre;
    Orientation orientation;
    /// The continuous scale spans this range instead of the survey's own, so that maps compare.
    std::optional<std::pair<double, double>> commonRange;
    /// The risk of the object together with its other survey.
    bool combined = false;
    int lang = 0;
    /// Thresholds the engineer set; the electrode's ASTM C876 values when none.
    std::optional<PotentialThresholds> thresholds;
    /// How the other survey's series are laid over this one's in the combined view.
    SeriesAlignment alignment = SeriesAlignment::ByNumber;
    PotentialThresholds potentialThresholds() const
    {
        return thresholds ? *thresholds : ThresholdsFor(electrode);
    }
};

/// Colours of the classes, in order of rising risk.
QColor PotentialClassColor(PotentialClass c);
QColor ResistivityClassColor(ResistivityClass c);
QColor RiskColor(CombinedRisk risk);
/// The continuous scale at t in 0..1, from the lowest reading (red) to the highest.
QColor ScaleColor(double t);

/// One legend line as drawn.
struct LegendEntry {
    enum class Kind { Box, Hatch, Point, Line, Scale } kind = Kind::Box;
    QString text;
    QColor color;
    Qt::BrushStyle pattern = Qt::SolidPattern; ///< of a Hatch entry
};

/// One iso-line with what its drawing needs: class thresholds are drawn heavier.
struct MapIsoLine {
    ContourLine line;
    bool threshold = false;
    QString label; ///< its level as written beside it
};

struct MapContent {
    /// The combined risk of the object with its other survey, tile by tile.
    bool combined = false;
    /// Filled by class (potential or resistivity), else on the continuous scale.
    bool classes = false;
    SensorKind sensor = SensorKind::Potential;
    PotentialThresholds thresholds;
    /// The range the continuous scale spans: the survey's own, or the common one chosen.
    double min = 0, max = 0;
    /// The iso-lines' levels: the class thresholds first, then the interval's levels.
    std::vector<double> levels;
    std::vector<MapIsoLine> isoLines;
    std::vector<CombinedNode> nodes; ///< combined view
    /// The object's first point and series: node (i, j) of its grid is point first + i of series
    /// firstSeries + j.
    int firstPoint = 1, firstSeries = 1;
    SurveyPlan plan; ///< where the view's positions are drawn
    QString legendTitle;
    std::vector<LegendEntry> legend;
    /// The continuous scale's ends as written beside its bar.
    QString scaleLow, scaleHigh;
    /// Unit of the axes and the drawn axes' titles ("X, m"; the measured Y across after a turn).
    QString lengthUnit, xTitle, yTitle;
    Orientation orientation;

    /// The colour a reading is filled in.
    QColor colorOf(double value) const;
};

/// `partner` is the object's other survey for the combined view (may be null).
MapContent BuildMapContent(const SurveyObject& object, const SurveyObject* partner,
                           const MapOptions& options);

/// The interpolated fill of `grid` as an image of `width` × `height` pixels spanning the grid's
/// nodes, transparent where there is no reading to interpolate from.
QImage MapFillImage(const MapContent& content, const ValueGrid& grid, int width, int height);

/// Where the map goes in a device area; `unit` is the size of one screen pixel on the device.
struct MapLayout {
    QRectF plot; ///< the grid's extent, half a step beyond the outer nodes
    QRectF legend;
    double scale = 1;      ///< device units per length unit
    double x0 = 0, y0 = 0; ///< drawn coordinates (length units) of the plot's lower-left corner
};
/// The legend beside the map, or below it when that leaves a wide, flat map more room.
MapLayout LayOutMap(const MapContent& content, const QRectF& area, double unit);

/// Node (i, j) of the object's grid as drawn (fractional between the nodes).
QPointF MapPoint(const MapContent& content, const MapLayout& layout, double i, double j);

/// A labelled tick of an axis: where it is along the drawn axis (device units) and its number,
/// a measured coordinate from point 1 of series 1 wherever that was drawn.
struct MapTick {
    double at = 0;
    QString label;
};
std::vector<MapTick> MapTicksX(const MapContent& content, const MapLayout& layout, double unit);
std::vector<MapTick> MapTicksY(const MapContent& content, const MapLayout& layout, double unit);

/// The scale bar in the plot's corner: its length in length units (0 for none) and its text.
struct MapScaleBar {
    double length = 0;
    QString text;
};
MapScaleBar ScaleBarOf(const MapContent& content, const MapLayout& layout);
