#pragma once
#include "TextPair.h"

#include <array>

// The program's text tables, one namespace per window family. Every entry holds the
// Russian and the English text exactly as shown; pick one with Tr() (app/SharedState.h)
// at the moment the text is needed.

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

extern const TextPair Warning, Error, SheetTitle, ArchiveNotRead, ExportError, ExcelOpenError,
    ExcelMissing, TableEmpty, HintSort, HintSelect;
} // namespace MainText

/// Text of heading column `column` (0..11) of the archive table in language `lang`.
QString HeaderText(int column, int lang);
inline constexpr int kArchiveColumns = 12;

namespace ExchangeText {
extern const TextPair Connection, LinkError, CrcError, MemoryError, CheckConnection, DriverMissing,
    FirmwareOutdated, NoData, VersionRead, ParametersRead, DataRead, MaterialsWrite, MaterialsRead,
    DataArchive, Ready, Cancel;
/// Mode names by record mode (0 manual, 1 automatic).
extern const std::array<TextPair, 2> ModeNames;
/// Sensor names by sensor type (0 potential, 1 resistance), with their trailing blanks.
extern const std::array<TextPair, 2> SensorNames;
} // namespace ExchangeText

/// The default name of object `number` (1-based): "Объект N" / "Object N". Numbers past 20
/// follow the same pattern.
TextPair DefaultObjectName(int number);
