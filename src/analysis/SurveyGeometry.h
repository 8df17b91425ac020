#pragma once
// Where a survey's readings lie on the structure: the length unit of the grid steps, the origin
// at point 1 of series 1, and the orientation (mirrored axes, quarter turn) that makes the map
// match the structure drawing. No window code.
#include <QString>

/// The instrument stores Step X and Step Y without a unit; they are taken as centimetres and
/// shown in the unit the user chooses.
enum class LengthUnit { Millimetre = 0, Centimetre, Metre };
inline constexpr int kLengthUnitCount = 3;

/// `cm` centimetres in `unit`.
double FromCentimetres(double cm, LengthUnit unit);
/// "mm", "cm", "m" (lang 0 Russian, 1 English).
QString UnitText(LengthUnit unit, int lang);
/// The unit of a stored key ("mm", "cm", "m"); centimetres for anything else.
LengthUnit UnitOfKey(const QString& key);
QString KeyOfUnit(LengthUnit unit);

/// Mirrors are applied first (about the middle of the survey's extent), then the quarter turn
/// clockwise.
struct Orientation {
    bool flipX = false;
    bool flipY = false;
    bool rotate = false;
    bool operator==(const Orientation&) const = default;
};

struct PlanPoint {
    double x = 0;
    double y = 0;
    bool operator==(const PlanPoint&) const = default;
};

/// Point `point` of series `series` in centimetres: point 1 of series 1 at (0, 0), points along
/// X, series along Y.
PlanPoint MeasuredPosition(int point, int series, double stepX, double stepY);

/// `p`, lying in the survey's extent 0..width × 0..height, as drawn with `o`; the result lies in
/// the drawn extent (height × width after a quarter turn).
PlanPoint Orient(PlanPoint p, double width, double height, const Orientation& o);

/// The orientation in words for the report: "as measured" or the mirrors and the turn.
QString OrientationText(const Orientation& o, int lang);

/// A scale bar length: the largest 1, 2 or 5 × 10^k not longer than `maximum` (> 0).
double ScaleBarLength(double maximum);
