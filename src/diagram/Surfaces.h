#pragma once
// The corrosion diagram's data: the archive table's rows grouped into surfaces, one per
// block of an object's measurements. No window code.
#include "archive/ArchiveTable.h"

#include <QColor>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

enum class SensorKind { Potential, Resistance, Other };
/// Which vertical scale a surface is drawn against.
enum class VerticalAxis { Left, Right };

/// The fixed vertical scales: potential in mV on the left, resistivity in kOhm·cm on the right.
inline constexpr double kLeftAxisMin = -999, kLeftAxisMax = 999;
inline constexpr double kRightAxisMin = 0, kRightAxisMax = 999;

/// x: number within the series, y: measured value, z: series number.
struct DiagramPoint {
    double x = 0, y = 0, z = 0;
    friend bool operator==(const DiagramPoint&, const DiagramPoint&) = default;
};

struct DiagramSurface {
    QString objectName;
    SensorKind sensorKind = SensorKind::Other;
    VerticalAxis axis = VerticalAxis::Left;
    std::vector<DiagramPoint> points; // in row order
    QColor color;
    bool visible = true;
    bool marksVisible = false;
    int transparency = 0; // percent, 0 opaque .. 100 invisible
};

/// A cell that holds no usable number: table row and column, and its text as shown.
struct SurfaceCellError {
    int row = 0;
    int column = 0;
    QString text;
};

struct SurfacesResult {
    std::vector<DiagramSurface> surfaces;
    std::optional<SurfaceCellError> error; // set: no surfaces, the diagram is not drawn
};

/// What the user is told when a cell stops the building: the row, the column by `heading`
/// (as the table shows it) and the cell's text, in language `lang`.
QString InvalidCellMessage(const SurfaceCellError& error, const QString& heading, int lang);

/// The surfaces of the table's data rows, taken in the table's order. `lang` picks the
/// sensor texts the rows are compared with; `locale` gives the decimal separator of the
/// value cells (a value written with the other separator is read as well). The first
/// value or series-length cell that does not convert stops the building.
SurfacesResult buildSurfaces(const ArchiveTable& table, int lang, const QLocale& locale = QLocale());

/// Equal length and characters, Latin letters a..z matching regardless of case; every
/// other character, Cyrillic included, must match exactly.
bool SameDiagramText(QStringView a, QStringView b);

/// The colour a new surface gets when `taken` are the colours of the surfaces before it.
QColor NextSurfaceColor(const std::vector<QColor>& taken);

/// A value cell as a finite number; the locale's decimal separator or the other one.
std::optional<double> ParseDiagramValue(const QString& text, const QLocale& locale);

/// Series and point number of a "series   |   point" cell; a missing number is 0.
struct SeriesPoint {
    int series = 0;
    int point = 0;
};
SeriesPoint ParseSeriesPoint(QStringView text);
