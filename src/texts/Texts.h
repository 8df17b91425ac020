#pragma once
#include "TextPair.h"

#include <array>

// The program's text tables, one namespace per window family. Every entry holds the
// Russian and the English text exactly as shown; pick one by language (pair[lang], or
// SharedState::tr in a window that holds the state) at the moment the text is needed.

namespace MainText {
extern const TextPair Caption;
extern const TextPair File1, Save1, N1, N2, Print1, Exit1;
extern const TextPair Edit1, Copy1, Copy2, Copy3;
extern const TextPair Help1, Contents1, About1;
extern const TextPair Button1, Button2, Button3;
/// Fixed captions of the language menu; never translated.
extern const QString Language1, Lang0, Lang1;

/// Heading words of the archive table. Column 5 is composed by HeaderText().
extern const TextPair HeaderNumber, HeaderObject, HeaderSensor, HeaderRange, HeaderValue, HeaderSeries,
    HeaderPoint, HeaderSeriesLength, HeaderStepX, HeaderStepY, HeaderDate, HeaderTime, HeaderRegime;

extern const TextPair Warning, Error, SheetTitle, ArchiveNotRead, ExportError, ExcelOpenError, ExcelMissing,
    TableEmpty, HintSort, HintSelect;
/// Project file failures; the file name follows on a line of its own.
extern const TextPair SaveFailed, OpenFailed;
/// The printing and SVG module cannot be loaded; the reason follows on a line of its own.
extern const TextPair PrintModuleMissing;
} // namespace MainText

/// Text of heading column `column` (0..11) of the archive table in language `lang`.
QString HeaderText(int column, int lang);
inline constexpr int kArchiveColumns = 12;

namespace ExchangeText {
extern const TextPair Connection, LinkError, CrcError, MemoryError, CheckConnection, DriverMissing,
    FirmwareOutdated, NoData, VersionRead, ParametersRead, DataRead, MaterialsWrite, MaterialsRead,
    DataArchive, Ready, Cancel;
/// A settings cell that is no decimal number: row and column follow as %1 and %2.
extern const TextPair InvalidValue;
/// InvalidValue for `row` and `column` in language `lang`: what the settings editor and the
/// exchange both say of such a cell.
QString InvalidValueText(int row, int column, int lang);
/// The instrument is plugged in, but the user may not open its USB device.
extern const TextPair NoPermission;
/// Mode names by record mode (0 manual, 1 automatic).
extern const std::array<TextPair, 2> ModeNames;
/// Sensor names by sensor type (0 potential, 1 resistance), with their trailing blanks.
extern const std::array<TextPair, 2> SensorNames;
} // namespace ExchangeText

/// The default name of object `number` (1-based): "Объект N" / "Object N". Numbers past 20
/// follow the same pattern.
TextPair DefaultObjectName(int number);

namespace SettingsText {
extern const TextPair Caption;
/// Headings of columns 1..8 of the settings table; column 0 is the fixed "№".
extern const TextPair HeaderObject, HeaderPotentialMin, HeaderPotentialMax, HeaderResistanceMin,
    HeaderResistanceMax, HeaderSeriesLength, HeaderStepX, HeaderStepY;
extern const TextPair PotentialRange, ResistanceRange, LowerAboveUpper;
/// Suffixes appended to the series-length and step headings in their range messages.
extern const TextPair From1To99, From10To150;
extern const TextPair DigitsOnly;
extern const TextPair Button1;
/// Status line when a name character outside Windows-1251 is refused; %1 is the character.
extern const TextPair NameCharUnstorable;
} // namespace SettingsText

/// Text of heading column `column` (0..8) of the object settings table in language `lang`.
QString SettingsHeaderText(int column, int lang);
inline constexpr int kSettingsColumns = 9;

namespace DiagramText {
extern const TextPair Caption, GroupBox1;
/// Column heads of the per-object controls: colour, marker, object, transparency, sensor.
extern const TextPair Label1, Label2, Label3, Label4, Label5;
extern const TextPair AxisLeft, AxisRight, AxisBottom, AxisDepth;
/// Sensor names by sensor type (0 potential, 1 resistance), long with trailing blanks and short.
extern const std::array<TextPair, 2> SensorNames;
extern const std::array<TextPair, 2> ShortSensorNames;
/// Hints of the chart toolbar buttons.
extern const TextPair HintZoom, HintRotate, HintScreenshot, HintPrint;
/// A table cell the diagram cannot read as a number: row %1, column heading %2, cell text %3.
extern const TextPair InvalidCell;
} // namespace DiagramText

namespace ScreenshotText {
extern const TextPair Caption, Button1, CheckBox1, CheckBox2;
/// Label1 stands beside the ink colour box, Label2 beside the background colour box.
extern const TextPair Label1, Label2;
/// A picture file that could not be written; %1 is its name.
extern const TextPair SaveFailed;
} // namespace ScreenshotText

namespace AboutText {
extern const TextPair Caption, Product, Version, Of;
/// Month names of the build date, January at index 0, with their surrounding blanks.
extern const std::array<TextPair, 12> Months;
extern const TextPair Phone, Multichannel;
/// Hint of the product picture and the web address.
extern const TextPair WebHint;
/// A link the desktop could not open; %1 is the link.
extern const TextPair LinkFailed;
/// The help window: caption, its back, forward and contents buttons, the contents pane.
extern const TextPair HelpCaption, HelpBack, HelpForward, HelpHome, HelpContents;
} // namespace AboutText

/// The read history and the recent projects of the File menu.
namespace HistoryText {
extern const TextPair ReadHistory, OpenFolder, RecentProjects, RemoveMissing, Empty;
/// A read of the history: %1 its date and time, %2 its record count, %3 its objects' names.
extern const TextPair Entry;
/// A history file that is no project: %1 its date and time.
extern const TextPair Damaged;
/// A read that could not be kept in the history: %1 the file or folder.
extern const TextPair KeepFailed;
} // namespace HistoryText

/// Names a screen reader reads for controls that show no text of their own.
namespace WindowText {
/// Names of the diagram's per-object controls; %1 is the object's name.
extern const TextPair DiagramMarker, DiagramTransparency, DiagramColour, DiagramShow;
/// Name of the main window's archive table.
extern const TextPair ArchiveTable;
} // namespace WindowText
