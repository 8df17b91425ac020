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
const TextPair ExcelOpenError{"Невозможно открыть Microsoft Excel!", "It is impossible to open Microsoft Excel!"};
const TextPair ExcelMissing{"Возможно Excel не установлен на компьютере",
                            "Probably Excel it is not established on the computer"};
const TextPair TableEmpty{"Таблтца пуста", "The table is empty"};
const TextPair HintSort{"Левая кнопка мыши - Сортировка", "Left mouse button - Sort"};
const TextPair HintSelect{"Левая кнопка мыши + Тащить - Выделение", "Left mouse button + drag - Highlight"};
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
const std::array<TextPair, 2> ModeNames{TextPair{"Ручной", "Manual"}, TextPair{"Авто", "Auto"}};
const std::array<TextPair, 2> SensorNames{TextPair{"Потенциала, мВ    ", "Potential , mV   "},
                                          TextPair{"Сопротив., кОм*см ", "Resist., kOhm*cm "}};
} // namespace ExchangeText

TextPair DefaultObjectName(int number)
{
    const QString n = QString::number(number);
    return {QStringLiteral("Объект ") + n, QStringLiteral("Object ") + n};
}
