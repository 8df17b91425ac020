#pragma once
// The 2-D map of one object drawn with QPainter: interpolated fill by class or on a continuous
// scale, labelled iso-lines, the measured points and a legend; or, for an object with both
// surveys, the combined risk of every grid position. Any paint device: screen, PNG, SVG, PDF.
#include "Classes.h"
#include "Contours.h"
#include "Survey.h"
#include "SurveyGeometry.h"
#include "SurveyPlan.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QStringList>

#include <optional>
#include <vector>

class QPainter;

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

class SurveyMap {
public:
    /// `partner` is the object's other survey for the combined view (may be null).
    SurveyMap(const SurveyObject& object, const SurveyObject* partner, const MapOptions& options);

    /// The map, its axes and the legend inside `area`; `unit` is the size of one screen pixel
    /// on the device (1 on screen, resolution / 96 on a PDF).
    void paint(QPainter& painter, const QRectF& area, double unit = 1) const;

    /// Table rows of the measured position under `pos` (within `radius` device units), given
    /// the same `area` and `unit` as painted: one row, or the potential and the resistivity
    /// row in the combined view. Empty where there is none.
    std::vector<int> rowsAt(const QRectF& area, QPointF pos, double unit = 1, double radius = 8) const;

    /// Where point `point` of series `series` is drawn, given the same `area` and `unit` as painted.
    QPointF positionOf(const QRectF& area, int point, int series, double unit = 1) const;

    bool combined() const { return combined_; }
    QString legendTitle() const { return legendTitle_; }
    const std::vector<LegendEntry>& legend() const { return legend_; }
    /// Iso-lines with their levels; the class thresholds come first.
    const std::vector<ContourLine>& contours() const { return contours_; }
    const std::vector<double>& levels() const { return levels_; }

    /// The interpolated fill as an image of `width` × `height` pixels spanning the grid's
    /// nodes, transparent where there is no reading to interpolate from.
    QImage fillImage(int width, int height) const;

private:
    struct Layout {
        QRectF plot; // the grid's extent, half a step beyond the outer nodes
        QRectF legend;
        double scale = 1;      // device units per length unit
        double x0 = 0, y0 = 0; // drawn coordinates (length units) of the plot's lower-left corner
    };
    Layout layout(const QRectF& area, double unit) const;
    QPointF toDevice(const Layout& l, double i, double j) const;
    QColor colorOf(double value) const;
    void paintLegend(QPainter& p, const QRectF& r, double unit) const;
    void paintAxes(QPainter& p, const Layout& l, double unit) const;

    const SurveyObject& object_;
    const SurveyObject* partner_ = nullptr;
    MapOptions options_;
    bool combined_ = false;
    bool classes_ = false; // fill by class (potential or resistance), else the continuous scale
    double min_ = 0, max_ = 0;
    std::vector<double> levels_;
    std::vector<bool> thresholdLevel_;
    std::vector<ContourLine> contours_;
    std::vector<CombinedNode> nodes_; // combined view
    SurveyPlan plan_;                 // where the view's positions are drawn
    QString legendTitle_;
    std::vector<LegendEntry> legend_;
};
