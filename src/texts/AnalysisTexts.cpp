#include "AnalysisTexts.h"

namespace AnalysisText {
const TextPair MenuItem{"Анализ", "Analysis"};
const TextPair Caption{"Анализ обследования", "Survey analysis"};
const TextPair Objects{"Объекты", "Objects"};
const TextPair Electrode{"Электрод сравнения", "Reference electrode"};
const TextPair Fill{"Заливка", "Fill"};
const TextPair View{"Вид", "View"};
const TextPair Interval{"Изолинии через", "Iso-lines every"};
const TextPair IntervalNone{"только пороги", "thresholds only"};
const std::array<TextPair, 4> Electrodes{{
    {"Cu/CuSO4", "Cu/CuSO4"},
    {"Ag/AgCl, насыщ. KCl", "Ag/AgCl, saturated KCl"},
    {"Ag/AgCl, 1 M KCl", "Ag/AgCl, 1 M KCl"},
    {"Насыщ. каломельный", "Saturated calomel"},
}};
const TextPair FillClasses{"По классам", "By class"};
const TextPair FillContinuous{"Непрерывная шкала", "Continuous scale"};
const TextPair ViewValues{"Значения", "Values"};
const TextPair ViewCombined{"Совмещённый риск", "Combined risk"};
const TextPair SaveMap{"Сохранить карту...", "Save map..."};
const TextPair CopyStatistics{"Копировать статистику", "Copy statistics"};
const TextPair Report{"Отчёт...", "Report..."};
const TextPair ReportPdf{"Отчёт в PDF...", "Report to PDF..."};
const TextPair PotentialClasses{"Классы потенциала (ASTM C876)", "Potential classes (ASTM C876)"};
const TextPair ResistivityClasses{"Риск по сопротивлению (RILEM TC 154)", "Resistivity risk (RILEM TC 154)"};
const TextPair CombinedRiskTitle{"Совмещённый риск", "Combined risk"};
const TextPair RiskMatrix{"Матрица риска: потенциал × сопротивление", "Risk matrix: potential × resistivity"};
const std::array<TextPair, 3> PotentialClassNames{{
    {"коррозия маловероятна (90 %)", "corrosion unlikely (90 %)"},
    {"неопределённо", "uncertain"},
    {"коррозия вероятна (90 %)", "corrosion likely (90 %)"},
}};
const std::array<TextPair, 4> ResistivityClassNames{{
    {"пренебрежимый", "negligible"},
    {"низкий", "low"},
    {"умеренный", "moderate"},
    {"высокий", "high"},
}};
const std::array<TextPair, 6> RiskNames{{
    {"низкий", "low"},
    {"умеренный", "moderate"},
    {"высокий", "high"},
    {"очень высокий", "severe"},
    {"нет потенциала", "no potential reading"},
    {"нет сопротивления", "no resistivity reading"},
}};
const std::array<TextPair, 3> SensorNames{{
    {"Потенциал", "Potential"},
    {"Сопротивление", "Resistivity"},
    {"Другой датчик", "Other sensor"},
}};
const TextPair UnitMv{"мВ", "mV"};
const TextPair UnitKOhmCm{"кОм·см", "kOhm·cm"};
const TextPair MeasuredPoint{"точка измерения", "measured point"};
const TextPair IsoLine{"изолиния", "iso-line"};
const TextPair NoData{"нет данных", "no data"};
const TextPair NoClasses{"Классы не заданы для этого датчика", "No classes for this sensor"};
const TextPair Count{"Количество", "Count"};
const TextPair Mean{"Среднее", "Mean"};
const TextPair Median{"Медиана", "Median"};
const TextPair StdDev{"Стандартное отклонение", "Standard deviation"};
const TextPair Minimum{"Минимум", "Minimum"};
const TextPair Maximum{"Максимум", "Maximum"};
const TextPair Unreadable{"Строк без числа", "Rows without a number"};
const TextPair Share{"Доля точек", "Share of points"};
const TextPair Statistics{"Статистика", "Statistics"};
const TextPair Histogram{"Гистограмма", "Histogram"};
const TextPair Cumulative{"Кумулятивная частота", "Cumulative frequency"};
const TextPair Readings{"Число точек", "Readings"};
const TextPair Percent{"%", "%"};
const TextPair ReportTitle{"Отчёт об обследовании", "Survey report"};
const TextPair Page{"Страница %1 из %2", "Page %1 of %2"};
const TextPair ElectrodeLine{"Электрод сравнения: %1", "Reference electrode: %1"};
const TextPair ThresholdsLine{"Пороги классов: %1 / %2 мВ", "Class thresholds: %1 / %2 mV"};
const TextPair DatesLine{"Измерения: %1 – %2", "Measured: %1 – %2"};
const TextPair DatesUnknown{"Даты измерений не прочитаны", "Measurement dates not readable"};
const TextPair StepsLine{"Шаг по X %1, шаг по Y %2", "Step X %1, step Y %2"};
const TextPair PointsLine{"%1, %2: %3 точек", "%1, %2: %3 points"};
const TextPair NoObjects{"В таблице нет числовых измерений", "The table holds no readable measurements"};
const TextPair PngFilter{"Рисунок PNG (*.png)", "PNG image (*.png)"};
const TextPair SvgFilter{"Рисунок SVG (*.svg)", "SVG image (*.svg)"};
const TextPair PdfFilter{"Документ PDF (*.pdf)", "PDF document (*.pdf)"};
const TextPair PercentileLabel{"%1-й процентиль", "%1th percentile"};
const TextPair Replaced{"Заменено повторными измерениями", "Replaced by a later reading"};
const TextPair ThresholdSourceStandard{"ASTM C876, %1", "ASTM C876, %1"};
const TextPair ThresholdSourceEngineer{"задано инженером", "set by the engineer"};
const TextPair ThresholdSourceLine{"Источник порогов: %1", "Thresholds: %1"};
const TextPair ThresholdUpper{"Верхний порог, мВ", "Upper threshold, mV"};
const TextPair ThresholdLower{"Нижний порог, мВ", "Lower threshold, mV"};
const TextPair ThresholdsReset{"Пороги ASTM C876", "ASTM C876 thresholds"};
const TextPair ResistivityBasis{
    "Метод Веннера, бетон на портландцементе при 20 °C; ровно 10 кОм·см — высокий риск",
    "Wenner probe, OPC concrete at 20 °C; exactly 10 kOhm·cm counts as high"};
const TextPair PercentileRule{
    "Процентили: линейная интерполяция между порядковыми статистиками (Hyndman–Fan, тип 7)",
    "Percentiles: linear interpolation between order statistics (Hyndman–Fan type 7)"};
const TextPair Alignment{"Совмещение серий", "Series alignment"};
const TextPair AlignByNumber{"по номеру серии", "by series number"};
const TextPair AlignByOrder{"по порядку серий", "by series order"};
const TextPair HeuristicNote{"Матрица совмещённого риска — собственная эвристика lm11, а не стандарт",
                             "The combined risk matrix is lm11's own heuristic, not a standard"};
const TextPair PairedLine{"Доли по %1 точкам с обоими измерениями",
                          "Shares over %1 positions with both readings"};
const TextPair UnpairedLine{"Без пары: %1 только потенциал, %2 только сопротивление",
                            "Unpaired: %1 potential only, %2 resistivity only"};
const TextPair BreakOut{"Места вскрытия (худший класс)", "Break-out positions (worst class)"};
const TextPair BreakOutNone{"Нет точек в худшем классе", "No position in the worst class"};
const TextPair LengthUnitLabel{"Единица шага X/Y", "Unit of Step X/Y"};
const TextPair FlipX{"Отразить X", "Mirror X"};
const TextPair FlipY{"Отразить Y", "Mirror Y"};
const TextPair Turn90{"Повернуть на 90°", "Turn by 90°"};
const TextPair IntervalAutomatic{"Интервал изолиний автоматически", "Iso-line interval automatic"};
const TextPair OrientationLine{"Ориентация: %1", "Orientation: %1"};
const TextPair UnitLine{"Шаги X/Y в %1, точка 1 серии 1 в начале координат (0, 0)",
                        "Steps X/Y in %1, point 1 of series 1 at the origin (0, 0)"};
const TextPair RecordButton{"Паспорт обследования...", "Survey record..."};
const TextPair RecordTitle{"Паспорт обследования", "Survey record"};
const TextPair CommonScale{"Общая шкала для всех обследований", "One scale for all surveys"};
const TextPair CsvButton{"Сетка в CSV...", "Grid to CSV..."};
const TextPair CsvFilter{"Таблица CSV (*.csv)", "CSV table (*.csv)"};
const TextPair RecordDamaged{"Файл паспортов обследований повреждён и не прочитан: %1",
                             "The survey record file is damaged and was not read: %1"};
const TextPair RecordNotSaved{"Паспорт не сохранён: %1", "The survey record was not saved: %1"};
const TextPair RecordEmptyNote{"Паспорт обследования не заполнен", "No survey record was filled in"};
const TextPair RecordHeading{"Паспорт обследования", "Survey record"};
const TextPair PotentialStandard{"ASTM C876-15, электрод %1: %2", "ASTM C876-15, %1 electrode: %2"};
const TextPair PotentialEvaluation{"Статистическая оценка: RILEM TC 154-EMC (Elsener и др., 2003)",
                                   "Statistical evaluation: RILEM TC 154-EMC (Elsener et al., 2003)"};
const TextPair ResistivityStandard{"RILEM TC 154-EMC (Polder и др., 2000): %1",
                                   "RILEM TC 154-EMC (Polder et al., 2000): %1"};
const TextPair GridSketch{"Схема сетки", "Grid sketch"};
const TextPair SeriesLabel{"серия %1", "series %1"};
const TextPair PointLabel{"точка %1", "point %1"};
const TextPair DistributionTitle{"%1: распределение и места вскрытия",
                                 "%1: distribution and break-out positions"};
const std::array<TextPair, 16> RecordFieldNames{{
    {"Сооружение", "Structure"},
    {"Элемент", "Element"},
    {"Место", "Location"},
    {"Заказчик", "Client"},
    {"Оператор", "Operator"},
    {"Заводской номер прибора", "Instrument serial"},
    {"Электрод сравнения", "Reference electrode"},
    {"Контрольное показание электрода", "Electrode check reading"},
    {"Температура воздуха", "Air temperature"},
    {"Температура бетона", "Concrete temperature"},
    {"Состояние поверхности", "Surface condition"},
    {"Предварительное смачивание", "Pre-wetting"},
    {"Точка подключения к арматуре", "Connection point"},
    {"Проверка непрерывности", "Continuity check"},
    {"Защитный слой", "Cover depth"},
    {"Примечания", "Notes"},
}};
} // namespace AnalysisText
