#include "Texts.h"

namespace MainText {
const TextPair Caption{"Анализатор корозий ", "Analyzer Concrete Corrosion "};
const TextPair File1{"Файл", "File"};
const TextPair Save1{"Сохранить в Exel", "Save to Exel"};
// The English item begins with the Cyrillic letter С (U+0421); the program has always shown it so.
const TextPair N1{"Создать Проект", "\u0421reate Project"};
const TextPair N2{"Открыть Проект", "Open Project"};
const TextPair Print1{"Печать", "Print"};
const TextPair Exit1{"Выход", "Exit"};
const TextPair Edit1{"Правка", "Edit"};
const TextPair Copy1{"Копировать таблицу в буфер", "Copy table to clipboard"};
const TextPair Copy2{"Копировать выделенное в буфер", "Copy select to clipboard"};
const TextPair Copy3{"Скриншот из прибора", "Screenshot from Device"};
const TextPair Help1{"Помощь", "Help"};
const TextPair Contents1{"Справка", "Information"};
const TextPair About1{"О приборе", "About"};
const TextPair Button1{"Считать с прибора", "Read from device"};
const TextPair Button2{"Настройка объектов", "Object settings"};
const TextPair Button3{"Построить  диграмму", "Construct the diagram"};
const QString Language1 = QStringLiteral("Language(Язык)");
const QString Lang0 = QStringLiteral("Русский");
const QString Lang1 = QStringLiteral("English");

const TextPair HeaderNumber{"№", "№"};
const TextPair HeaderObject{"Объект", "Object"};
const TextPair HeaderSensor{"Датчик", "Sensor"};
const TextPair HeaderRange{"Диапазон", "Diapason"};
const TextPair HeaderValue{"Величина", "Value"};
const TextPair HeaderSeries{"Серия", "Series"};
const TextPair HeaderPoint{"Номер", "Number"};
const TextPair HeaderSeriesLength{"Количество измерений в серии", "Quantity measuring in series"};
const TextPair HeaderStepX{"Шаг по X", "Step X"};
const TextPair HeaderStepY{"Шаг по Y", "Step Y"};
const TextPair HeaderDate{"Дата", "Date"};
const TextPair HeaderTime{"Время", "Time"};
const TextPair HeaderRegime{"Режим", "Regime"};

const TextPair Warning{"Внимание", "Warning"};
const TextPair Error{"Ошибка", "Error"};
const TextPair SheetTitle{"Архив измерений ", "Archive of measurements "};
const TextPair ArchiveNotRead{"Архив не считан!", "Archive not read!"};
const TextPair ExportError{"Экспорт данных - Ошибка !!!", "Export of the data - Error !!!"};
const TextPair ExcelOpenError{"Невозможно открыть Microsoft Excel!",
                              "It is impossible to open Microsoft Excel!"};
const TextPair ExcelMissing{"Возможно Excel не установлен на компьютере",
                            "Probably Excel it is not established on the computer"};
const TextPair TableEmpty{"Таблтца пуста", "The table is empty"};
const TextPair HintSort{"Левая кнопка мыши - Сортировка", "Left mouse button - Sort"};
const TextPair HintSelect{"Левая кнопка мыши + Тащить - Выделение", "Left mouse button + drag - Highlight"};
const TextPair SaveFailed{"Не удалось сохранить файл", "Could not save the file"};
const TextPair OpenFailed{"Не удалось открыть проект", "Could not open the project"};
const TextPair PrintModuleMissing{
    "Печать и запись SVG недоступны: не удалось загрузить модуль печати",
    "Printing and SVG saving are not available: the printing module could not be loaded"};
} // namespace MainText

QString HeaderText(int column, int lang)
{
    using namespace MainText;
    switch (column) {
    case 0: return HeaderNumber[lang];
    case 1: return HeaderObject[lang];
    case 2: return HeaderSensor[lang];
    case 3: return HeaderRange[lang];
    case 4: return HeaderValue[lang];
    case 5: return HeaderSeries[lang] + QStringLiteral(" | ") + HeaderPoint[lang];
    case 6: return HeaderSeriesLength[lang];
    case 7: return HeaderStepX[lang];
    case 8: return HeaderStepY[lang];
    case 9: return HeaderDate[lang];
    case 10: return HeaderTime[lang];
    case 11: return HeaderRegime[lang];
    default: return {};
    }
}

namespace ExchangeText {
const TextPair Connection{"Подключение", "Connection"};
const TextPair LinkError{"Ошибка связи", "Link Error"};
const TextPair CrcError{"Ошибка контрольной суммы", "CRC16 Error"};
const TextPair MemoryError{"Ошибка выделения памяти", "Memory allocation error"};
const TextPair CheckConnection{"Проверьте подключение", "Check Connection"};
const TextPair DriverMissing{"Драйвер не установлен", "Driver not installed"};
const TextPair FirmwareOutdated{"Версия прошивки устарела", "Firmware version is outdated"};
const TextPair NoData{"Данных нет", "No Data"};
const TextPair VersionRead{"Чтение версии", "Version Read"};
const TextPair ParametersRead{"Чтение параметров", "Parameters Read"};
const TextPair DataRead{"Чтение данных", "Data Read"};
const TextPair MaterialsWrite{"Запись Материалов", "Materials Write"};
const TextPair MaterialsRead{"Чтение Материалов", "Materials Read"};
const TextPair DataArchive{"Чтение архива", "Data Archive"};
const TextPair Ready{"Готово", "Ready"};
const TextPair Cancel{"Отмена", "Cancel"};
const TextPair NoPermission{"Нет прав доступа к прибору", "No permission to open the device"};
const TextPair InvalidValue{"Неверное значение: строка %1, столбец %2", "Invalid value: row %1, column %2"};
const std::array<TextPair, 2> ModeNames{TextPair{"Ручной", "Manual"}, TextPair{"Авто", "Auto"}};
const std::array<TextPair, 2> SensorNames{TextPair{"Потенциала, мВ    ", "Potential , mV   "},
                                          TextPair{"Сопротив., кОм*см ", "Resist., kOhm*cm "}};

QString InvalidValueText(int row, int column, int lang) { return InvalidValue[lang].arg(row).arg(column); }
} // namespace ExchangeText

TextPair DefaultObjectName(int number)
{
    const QString n = QString::number(number);
    return {QStringLiteral("Объект ") + n, QStringLiteral("Object ") + n};
}

namespace SettingsText {
const TextPair Caption{"Настройка Объектов", "Objects Settings"};
const TextPair HeaderObject{"Объект", "Object"};
const TextPair HeaderPotentialMin{"Мин. диапазона датчика потенциала, мВ", "Min. range potential sensor, mV"};
// The fourth letter is a Latin c (0x63), as the program has always shown it.
const TextPair HeaderPotentialMax{"Мак\x63. диапазона датчика потенциала, мВ",
                                  "Max. range potential sensor, mV"};
const TextPair HeaderResistanceMin{"Мин. диапазона датчика сопротивления, кОм*см",
                                   "Min. range resistance sensor, kOhm*cm"};
const TextPair HeaderResistanceMax{"Макс. диапазона датчика сопротивления, кОм*см",
                                   "Max. range resistance sensor, kOhm*cm"};
const TextPair HeaderSeriesLength{"Колич. измерений в серии", "Quant. measuring in series"};
const TextPair HeaderStepX{"Шаг по X", "Step X"};
const TextPair HeaderStepY{"Шаг по Y", "Step Y"};
const TextPair PotentialRange{"Диапазон измерений датчика потенциала -999...+999 мВ",
                              "Range of measurements of the potential sensor -999...+999 mV"};
const TextPair ResistanceRange{"Диапазон измерений датчика сопротивления 0...+999 кОм*см",
                               "Range of measurements of the resistance sensor 0...+999 kOhm*cm"};
const TextPair LowerAboveUpper{"Нижняя граница измерений должна быть меньше верхней",
                               "The under range of measurements should be less upper range"};
const TextPair From1To99{" от 1 до 99", " from 1 to 99"};
const TextPair From10To150{" от 10 до 150 кратно 10", " from 10 to 150 in increments of 10"};
const TextPair DigitsOnly{"Вводить только цифры!", "To enter only figures!"};
const TextPair Button1{"Загрузить в прибор", "Load into the device"};
const TextPair NameCharUnstorable{
    "Символ «%1» не сохраняется в приборе: его нет в кодировке Windows-1251",
    "The character \"%1\" cannot be stored in the device: it is not in Windows-1251"};
} // namespace SettingsText

QString SettingsHeaderText(int column, int lang)
{
    using namespace SettingsText;
    switch (column) {
    case 0: return MainText::HeaderNumber[lang];
    case 1: return HeaderObject[lang];
    case 2: return HeaderPotentialMin[lang];
    case 3: return HeaderPotentialMax[lang];
    case 4: return HeaderResistanceMin[lang];
    case 5: return HeaderResistanceMax[lang];
    case 6: return HeaderSeriesLength[lang];
    case 7: return HeaderStepX[lang];
    case 8: return HeaderStepY[lang];
    default: return {};
    }
}

namespace DiagramText {
const TextPair Caption{"График коррозийности поверхности", "The schedule corrosion of surfaces"};
const TextPair GroupBox1{"Настройка графика", "Settings of schedule"};
const TextPair Label1{"Цвет", "Color"};
const TextPair Label2{"Маркер", "Marks"};
const TextPair Label3{"Объект", "Object"};
const TextPair Label4{"Прозрачность", "Transparency"};
const TextPair Label5{"Датчик", "Sensor"};
const TextPair AxisLeft{"Потенциал, мВ", "Potential , mV"};
const TextPair AxisRight{"Уд. Сопротивление, кОм*см", "Resistance, kOhm*cm"};
const TextPair AxisBottom{"Номер замера", "Number of measure"};
const TextPair AxisDepth{"Серия замера", "Series of measure"};
const std::array<TextPair, 2> SensorNames{TextPair{"Потенциала, мВ    ", "Potential , mV   "},
                                          TextPair{"Сопротив., кОм*см ", "Resist., kOhm*cm "}};
const std::array<TextPair, 2> ShortSensorNames{TextPair{"Потенц.", "Potential"},
                                               TextPair{"Сопрот.", "Resist."}};
const TextPair HintZoom{"ЛКМ-Масштаб, ПКМ-Сдвиг", "LBM - Zoom,  RBM - Shift"};
const TextPair HintRotate{"ЛКМ-Вращение, ПКМ-Перемещение", "LBM - Rotate,RBM - Move"};
const TextPair HintScreenshot{"Скриншот", "PrintScreen"};
const TextPair HintPrint{"Печать", "Print"};
const TextPair InvalidCell{"График не построен: строка %1, столбец \"%2\" содержит не число: \"%3\"",
                           "The diagram is not drawn: row %1, column \"%2\" holds no number: \"%3\""};
} // namespace DiagramText

namespace ScreenshotText {
const TextPair Caption{"Скриншот", "Screenshot"};
const TextPair Button1{"Обновить", "Update"};
const TextPair CheckBox1{"сохранять в *.bmp", "save to *.bmp"};
const TextPair CheckBox2{"сохранять в буфер", "save to clipboard"};
const TextPair Label1{"цвет надписи", "pen"};
const TextPair Label2{"цвет фона", "background"};
const TextPair SaveFailed{"Не удалось сохранить рисунок в файл\n%1",
                          "Could not save the picture to the file\n%1"};
} // namespace ScreenshotText

namespace AboutText {
const TextPair Caption{" О программе ", " About "};
const TextPair Product{"ЛМ-1.1", "LM-1.1"};
const TextPair Version{"Версия ", "Version "};
const TextPair Of{" от ", " of "};
const std::array<TextPair, 12> Months{
    TextPair{" января ", " january "},
    TextPair{" февраля ", " february "},
    TextPair{" марта ", " march "},
    TextPair{" апреля ", " apri "},
    TextPair{" мая ", " may "},
    TextPair{" июня ", " june "},
    TextPair{" июля ", " july "},
    TextPair{" августа ", " august "},
    TextPair{" сентября ", " september "},
    TextPair{" октября ", " october "},
    TextPair{" ноября ", " november "},
    TextPair{" декабря ", " december "},
};
const TextPair Phone{"тел./факс. ", "tel./fax"};
const TextPair Multichannel{" многоканальный ", " multichannel "};
const TextPair WebHint{"Открыть сайт производителя", "Open the maker's web site"};
const TextPair LinkFailed{"Не удалось открыть ссылку\n%1", "Could not open the link\n%1"};
const TextPair HelpCaption{"Справка ЛМ-1.1", "LM-1.1 Help"};
const TextPair HelpBack{"Назад", "Back"};
const TextPair HelpForward{"Вперёд", "Forward"};
const TextPair HelpHome{"В начало", "Home"};
const TextPair HelpContents{"Содержание", "Contents"};
} // namespace AboutText

namespace HistoryText {
const TextPair ReadHistory{"Журнал чтений", "Read history"};
const TextPair OpenFolder{"Открыть папку", "Open folder"};
const TextPair RecentProjects{"Недавние проекты", "Recent projects"};
const TextPair RemoveMissing{"Убрать отсутствующие файлы", "Remove missing files"};
const TextPair Empty{"(пусто)", "(empty)"};
const TextPair Entry{"%1 — записей: %2 — %3", "%1 — records: %2 — %3"};
const TextPair Damaged{"%1 — файл повреждён", "%1 — damaged file"};
const TextPair KeepFailed{"Чтение не сохранено в журнал чтений: %1",
                          "The read was not kept in the read history: %1"};
} // namespace HistoryText

namespace WindowText {
const TextPair DiagramMarker{"Маркер: %1", "Marker: %1"};
const TextPair DiagramTransparency{"Прозрачность: %1", "Transparency: %1"};
const TextPair DiagramColour{"Цвет: %1", "Colour: %1"};
const TextPair DiagramShow{"Показать: %1", "Show: %1"};
const TextPair ArchiveTable{"Архив измерений", "Measurement archive"};
} // namespace WindowText
