// The analysis window driven as a user drives it: pick objects and electrodes, read the
// statistics, the legend and the hover texts, copy, export and write the report.
#include "analysis/Unit7.h"

#include "SurveyFixture.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "support/FileSizeLimit.h"
#include "ui/ModalAnswers.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <functional>
#include <map>

namespace {

// Bridge: potentials -100·series − 10·point on 3 series × 4 points; resistivities 20·series +
// point on the same grid without series 3 point 4; a wall with potentials only.
ArchiveTable BridgeTable(int lang = 0)
{
    std::vector<FixtureRow> rows = LatestFirst(
        "Мост", 1, 3, 4, [](int s, int p) { return QString::number(20 * s + p) + QStringLiteral(".0"); });
    rows.erase(rows.begin()); // series 3 point 4 was not measured
    rows.front().length = 4;  // ordinal 3 + 2·4 = 11: the block holds the 11 rows
    const auto pot =
        LatestFirst("Мост", 0, 3, 4, [](int s, int p) { return QString::number(-100 * s - 10 * p); });
    const auto wall =
        LatestFirst("Стена", 0, 2, 2, [](int s, int p) { return QString::number(-400 + s + p); });
    rows.insert(rows.end(), pot.begin(), pot.end());
    rows.insert(rows.end(), wall.begin(), wall.end());
    for (auto& r : rows) r.lang = lang;
    return FixtureTable(rows);
}

class AnalysisWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); // decimal comma
        SessionMemory::clear(); // every run starts from the same defaults
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    int lang = 0; // of the windows a test opens

    std::unique_ptr<TForm7> Open(const ArchiveTable& table)
    {
        auto form = std::make_unique<TForm7>(table, SurfaceBlocks(table), lang);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    template <typename T> static T* Child(QWidget* form, const char* name)
    {
        T* w = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    static void ClickObject(QWidget* form, int row)
    {
        auto* list = Child<QListWidget>(form, "ListBox1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    // Moves the combo box to `index` with the arrow keys, as a user at the keyboard would.
    static void Choose(QWidget* form, const char* name, int index)
    {
        auto* combo = Child<QComboBox>(form, name);
        ASSERT_TRUE(combo->isEnabled()) << name;
        combo->setFocus();
        for (int presses = 0; presses < 10 && combo->currentIndex() != index; ++presses)
            QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(combo->currentIndex(), index) << name;
    }

    static std::map<QString, QString> Statistics(QWidget* form)
    {
        auto* grid = Child<QTableWidget>(form, "StringGrid1");
        std::map<QString, QString> rows;
        for (int r = 0; r < grid->rowCount(); ++r) rows[grid->item(r, 0)->text()] = grid->item(r, 1)->text();
        return rows;
    }

    static QStringList Legend(QWidget* form)
    {
        return Child<QWidget>(form, "MapView1")->accessibleDescription().split('\n');
    }

    QTemporaryDir dir_;
};

TEST_F(AnalysisWindow, ObjectListAndSwitchingObjects)
{
    const auto form = Open(BridgeTable());
    auto* list = Child<QListWidget>(form.get(), "ListBox1");
    ASSERT_EQ(list->count(), 3);
    // Surveys of one moment come by name, then potential before resistivity, whatever the rows' order.
    EXPECT_EQ(list->item(0)->text(), "Мост, Потенциал, 17.05.2014 (12)");
    EXPECT_EQ(list->item(1)->text(), "Мост, Сопротивление, 17.05.2014 (11)");
    EXPECT_EQ(list->item(2)->text(), "Стена, Потенциал, 17.05.2014 (4)");
    EXPECT_EQ(form->windowTitle(), "Анализ обследования");

    // The resistivity survey: 21..63 kOhm·cm.
    ClickObject(form.get(), 1);
    auto stats = Statistics(form.get());
    EXPECT_EQ(stats["Количество"], "11");
    EXPECT_EQ(stats["Среднее"], "40,5 кОм·см");
    EXPECT_EQ(stats["Медиана"], "42,0 кОм·см");
    EXPECT_EQ(stats["Стандартное отклонение"], "16,5 кОм·см");
    EXPECT_EQ(stats["Минимум"], "21,0 кОм·см");
    EXPECT_EQ(stats["Максимум"], "63,0 кОм·см");
    EXPECT_EQ(stats["низкий"], "3 (27,3 %)");
    EXPECT_EQ(stats["умеренный"], "8 (72,7 %)");
    // The value unit in the title; a value on a bound belongs to the riskier class below it.
    EXPECT_EQ(Legend(form.get()),
              (QStringList{"Риск по сопротивлению (RILEM TC 154), кОм·см", "пренебрежимый: > 100 кОм·см",
                           "низкий: 50 … 100 кОм·см", "умеренный: 10 … 50 кОм·см", "высокий: ≤ 10 кОм·см",
                           "нет данных", "точка измерения", "изолиния"}));
    EXPECT_FALSE(Child<QComboBox>(form.get(), "ComboBox1")->isEnabled()); // no electrode for resistivity

    ClickObject(form.get(), 0);
    stats = Statistics(form.get());
    EXPECT_EQ(stats["Количество"], "12");
    EXPECT_EQ(stats["Среднее"], "-225,0 мВ");
    EXPECT_EQ(stats["Медиана"], "-225,0 мВ");
    EXPECT_EQ(stats["Стандартное отклонение"], "86,1 мВ");
    EXPECT_EQ(stats["Минимум"], "-340,0 мВ");
    EXPECT_EQ(stats["Максимум"], "-110,0 мВ");
    EXPECT_EQ(stats["коррозия маловероятна (90 %)"], "4 (33,3 %)");
    EXPECT_EQ(stats["неопределённо"], "8 (66,7 %)");
    EXPECT_EQ(stats["коррозия вероятна (90 %)"], "0 (0,0 %)");
    EXPECT_TRUE(Child<QComboBox>(form.get(), "ComboBox1")->isEnabled());
    EXPECT_TRUE(Child<QComboBox>(form.get(), "ComboBox3")->isEnabled()); // has its resistivity survey

    ClickObject(form.get(), 2);
    EXPECT_EQ(Statistics(form.get())["Количество"], "4");
    EXPECT_FALSE(Child<QComboBox>(form.get(), "ComboBox3")->isEnabled()); // the wall has no partner
}

TEST_F(AnalysisWindow, LegendTextsInBothLanguages)
{
    {
        const auto form = Open(BridgeTable());
        ClickObject(form.get(), 0);
        EXPECT_EQ(Legend(form.get()),
                  (QStringList{"Классы потенциала (ASTM C876), мВ", "коррозия маловероятна (90 %): > -200 мВ",
                               "неопределённо: -200 … -350 мВ", "коррозия вероятна (90 %): < -350 мВ",
                               "нет данных", "точка измерения", "изолиния"}));
    }
    lang = 1;
    const auto form = Open(BridgeTable(1));
    EXPECT_EQ(form->windowTitle(), "Survey analysis");
    EXPECT_EQ(Child<QListWidget>(form.get(), "ListBox1")->item(0)->text(),
              "Мост, Potential, 17.05.2014 (12)");
    ClickObject(form.get(), 0);
    EXPECT_EQ(Legend(form.get()),
              (QStringList{"Potential classes (ASTM C876), mV", "corrosion unlikely (90 %): > -200 mV",
                           "uncertain: -200 … -350 mV", "corrosion likely (90 %): < -350 mV", "no data",
                           "measured point", "iso-line"}));
    Choose(form.get(), "ComboBox2", 1); // continuous scale
    EXPECT_EQ(Legend(form.get()).mid(0, 2), (QStringList{"Potential, mV", "-340,0 … -110,0"}));
    EXPECT_EQ(Child<QPushButton>(form.get(), "Button2")->accessibleName(), "Copy statistics");
}

TEST_F(AnalysisWindow, ElectrodeShiftsClassesAndIsRemembered)
{
    {
        const auto form = Open(BridgeTable());
        ClickObject(form.get(), 0);
        Choose(form.get(), "ComboBox1", 1); // Ag/AgCl, saturated KCl: -81 / -231 mV
        auto stats = Statistics(form.get());
        EXPECT_EQ(stats["коррозия маловероятна (90 %)"], "0 (0,0 %)");
        EXPECT_EQ(stats["неопределённо"], "7 (58,3 %)");
        EXPECT_EQ(stats["коррозия вероятна (90 %)"], "5 (41,7 %)");
        EXPECT_EQ(Legend(form.get()).value(1), "коррозия маловероятна (90 %): > -81 мВ");
        EXPECT_EQ(form->electrode(), Electrode::AgAgClSaturated);
        Choose(form.get(), "ComboBox1", 3); // calomel
    }
    const auto again = Open(BridgeTable());
    EXPECT_EQ(Child<QComboBox>(again.get(), "ComboBox1")->currentText(), "Насыщ. каломельный");
    ClickObject(again.get(), 0);
    EXPECT_EQ(Legend(again.get()).value(3), "коррозия вероятна (90 %): < -275 мВ");
}

// The first widget position (scanning) whose hover text contains `text`.
QPoint FindHover(TMapView* map, const QString& text)
{
    for (int y = 0; y < map->height(); y += 2)
        for (int x = 0; x < map->width(); x += 2)
            if (map->hoverText({x, y}).contains(text)) return {x, y};
    return {-1, -1};
}

// The middle of the spot where hovering shows `text`, which is where that reading is drawn.
QPoint HoverCentre(TMapView* map, const QString& text)
{
    const QPoint first = FindHover(map, text);
    long sx = 0, sy = 0, n = 0;
    for (int y = first.y() - 20; y <= first.y() + 20; ++y)
        for (int x = first.x() - 20; x <= first.x() + 20; ++x)
            if (map->hoverText({x, y}).contains(text)) {
                sx += x;
                sy += y;
                ++n;
            }
    return n ? QPoint(int(sx / n), int(sy / n)) : QPoint(-1, -1);
}

TEST_F(AnalysisWindow, HoverShowsTheRowsTexts)
{
    const auto form = Open(BridgeTable());
    ClickObject(form.get(), 0);
    auto* map = Child<TMapView>(form.get(), "MapView1");
    // Series 2 point 3 holds -230 mV; its row is the potential run's 6th (row 17).
    const QPoint at = FindHover(map, "Величина: -230");
    ASSERT_GE(at.x(), 0);
    const QString text = map->hoverText(at);
    EXPECT_TRUE(text.contains("№: 17")) << text.toStdString();
    EXPECT_TRUE(text.contains("Серия | Номер: 2   |   3")) << text.toStdString();
    EXPECT_TRUE(text.contains("Дата: 17.05.2014"));
    QTest::mouseMove(map, at);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QToolTip::text() == text; }, 5000));
    EXPECT_EQ(QToolTip::text(), text);
    // The hovered spot is centred on the drawn point: its black mark is there.
    const QPoint centre = HoverCentre(map, "Величина: -230");
    const QImage shot = map->grab().toImage();
    EXPECT_LT(qGray(shot.pixel(centre)), 60) << centre.x() << "," << centre.y();
    EXPECT_TRUE(map->hoverText({1, 1}).isEmpty()); // the corner is no measured point

    // Combined view: series 3 point 4 has a potential but no resistivity.
    Choose(form.get(), "ComboBox3", 1);
    EXPECT_EQ(Legend(form.get()),
              (QStringList{"Совмещённый риск", "низкий", "умеренный", "высокий", "очень высокий",
                           "нет потенциала", "нет сопротивления", "точка измерения"}));
    const QPoint lone = FindHover(map, "Величина: -340");
    ASSERT_GE(lone.x(), 0);
    EXPECT_FALSE(map->hoverText(lone).contains("Сопротив."))
        << "a missing reading is never borrowed from a neighbour";
    const QPoint both = FindHover(map, "Величина: -330");
    EXPECT_TRUE(map->hoverText(both).contains("Величина: 63.0")); // series 3 point 3 in both surveys
}

TEST_F(AnalysisWindow, CopyStatisticsAsTabSeparatedText)
{
    const auto form = Open(BridgeTable());
    ClickObject(form.get(), 0);
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button2"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Мост, Потенциал, 17.05.2014\r\n"
                                                    "Электрод сравнения\tCu/CuSO4\r\n"
                                                    "Пороги классов\t-200 / -350 мВ (ASTM C876, Cu/CuSO4)\r\n"
                                                    "Количество\t12\r\n"
                                                    "Среднее\t-225,0 мВ\r\n"
                                                    "Медиана\t-225,0 мВ\r\n"
                                                    "Стандартное отклонение\t86,1 мВ\r\n"
                                                    "Минимум\t-340,0 мВ\r\n"
                                                    "Максимум\t-110,0 мВ\r\n"
                                                    "5-й процентиль\t-334,5 мВ\r\n"
                                                    "10-й процентиль\t-329,0 мВ\r\n"
                                                    "50-й процентиль\t-225,0 мВ\r\n"
                                                    "90-й процентиль\t-121,0 мВ\r\n"
                                                    "95-й процентиль\t-115,5 мВ\r\n"
                                                    "коррозия маловероятна (90 %)\t4 (33,3 %)\r\n"
                                                    "неопределённо\t8 (66,7 %)\r\n"
                                                    "коррозия вероятна (90 %)\t0 (0,0 %)\r\n");
}

TEST_F(AnalysisWindow, MapExportsAsPngAndSvg)
{
    const auto form = Open(BridgeTable());
    ClickObject(form.get(), 0);
    const QString png = dir_.filePath("map.png");
    const QString svg = dir_.filePath("map.svg");
    ASSERT_TRUE(form->writeMap(png));
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1400, 950));
    // The class colours are on the picture: the first series is green (unlikely), the third amber.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 5)
        for (int x = 0; x < image.width(); x += 5) colours.insert(image.pixel(x, y));
    EXPECT_TRUE(colours.contains(PotentialClassColor(PotentialClass::Unlikely).rgb()));
    EXPECT_TRUE(colours.contains(PotentialClassColor(PotentialClass::Uncertain).rgb()));

    ASSERT_TRUE(form->writeMap(svg));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains("Классы потенциала"));
    EXPECT_TRUE(text.contains("-300")); // an iso-line label at the 50 mV interval

    EXPECT_FALSE(form->writeMap(dir_.filePath("missing/folder/map.png")));

    // Through the button: the dialog's name, and a failure told in an error box.
    ModalAnswers answers;
    answers.chooseFile(dir_.filePath("dialog.svg"));
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button1"), Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(dir_.filePath("dialog.svg")));
    ModalAnswers::Box box;
    answers.chooseFile(dir_.filePath("missing/map.png"));
    answers.acknowledge(&box);
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button1"), Qt::LeftButton);
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_EQ(box.caption, "Ошибка");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(box.text.startsWith("Не удалось сохранить файл")) << box.text.toStdString();
    EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join("; ").toStdString();
}

// A map or a report that cannot be written whole (a full disk, cut short here by a file size
// limit that holds for root too) is reported as failed, and the file it was to replace is kept.
TEST_F(AnalysisWindow, AMapOrReportCutShortLeavesTheOldFileAsItWas)
{
    const auto form = Open(BridgeTable());
    ClickObject(form.get(), 0);
    const QByteArray old = "the picture and report as they were";
    const std::pair<const char*, std::function<bool(const QString&)>> writes[] = {
        {"map.png", [&](const QString& name) { return form->writeMap(name); }},
        {"map.svg", [&](const QString& name) { return form->writeMap(name); }},
        {"report.pdf", [&](const QString& name) { return form->writeReportPdf(name); }},
    };
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        const QString path = dir_.filePath(QLatin1String(name));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        {
            const FileSizeLimit full(1024);
            EXPECT_FALSE(write(path));
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), old);
        file.close();
        // With room on the disk the same write replaces it.
        EXPECT_TRUE(write(path));
        EXPECT_GT(QFileInfo(path).size(), 1024);
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter(QLatin1String(name)),
                  QStringList{QLatin1String(name)}); // no temporary file left beside it
    }
}

QStringList PdfPages(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-layout", "-enc", "UTF-8", path, "-"});
    EXPECT_TRUE(pdftotext.waitForFinished(60000)) << "pdftotext (poppler-utils) must be installed";
    EXPECT_EQ(pdftotext.exitCode(), 0);
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    for (QString& page : pages) {
        page = page.simplified(); // blanks rebuilt from glyph positions vary
        page.replace(QChar(0xfb01), QStringLiteral("fi"))
            .replace(QChar(0xfb02), QStringLiteral("fl")); // ligatures
    }
    return pages;
}

TEST_F(AnalysisWindow, ReportToPdfHoldsEveryObjectsStatistics)
{
    const auto form = Open(BridgeTable());
    ClickObject(form.get(), 0);
    Choose(form.get(), "ComboBox1", 2); // Ag/AgCl, 1 M KCl: -120 / -270 mV
    const QString path = dir_.filePath("report.pdf");
    ModalAnswers answers;
    answers.chooseFile(path);
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button4"), Qt::LeftButton);
    ASSERT_TRUE(answers.allAnswered());
    const QStringList pages = PdfPages(path);
    // Each survey's page and its distribution page; the bridge's combined risk after its potentials.
    ASSERT_EQ(pages.size(), 7);
    for (int n = 0; n < pages.size(); ++n) {
        EXPECT_TRUE(pages[n].contains("Анализатор корозий — Отчёт об обследовании")) << n;
        EXPECT_TRUE(pages[n].contains(QStringLiteral("Страница %1 из 7").arg(n + 1))) << n;
    }
    const struct {
        int page;
        QStringList texts;
    } expected[] = {
        {0,
         {"Мост, Потенциал", "Электрод сравнения: Ag/AgCl, 1 M KCl", "Пороги классов: -120 / -270 мВ",
          "Источник порогов: ASTM C876, Ag/AgCl, 1 M KCl",
          "ASTM C876-15, электрод Ag/AgCl, 1 M KCl: коррозия маловероятна (90 %) > -120 мВ; неопределённо "
          "-120 … -270 мВ; коррозия вероятна (90 %) < -270 мВ",
          "Статистическая оценка: RILEM TC 154-EMC (Elsener и др., 2003)", "Количество 12",
          "Среднее -225,0 мВ", "Стандартное отклонение 86,1 мВ", "Минимум -340,0 мВ", "5-й процентиль",
          "95-й процентиль", "коррозия маловероятна (90 %) 1 (8,3 %)", "неопределённо 7 (58,3 %)",
          "коррозия вероятна (90 %) 4 (33,3 %)", "Измерения: 17.05.2014",
          "Процентили: линейная интерполяция"}},
        {1,
         {"Мост, Потенциал, 17.05.2014: распределение и места вскрытия", "Гистограмма",
          "Кумулятивная частота", "Схема сетки", "серия 1", "серия 3", "точка 1", "точка 4", "(0, 0)",
          "X, см", "Y, см", "Места вскрытия (худший класс)"}},
        // Shares over the 11 positions both surveys measured: series 1 point 1 low, the rest of
        // series 1 and 2 moderate, series 3 points 1-3 high; point 4 of series 3 has no resistivity.
        {2,
         {"Совмещённый риск", "Совмещение серий: по номеру серии", "Доли по 11 точкам с обоими измерениями",
          "низкий 1 (9,1 %)", "умеренный 7 (63,6 %)", "высокий 3 (27,3 %)", "очень высокий 0 (0,0 %)",
          "Без пары: 1 только потенциал, 0 только сопротивление",
          "Матрица совмещённого риска — собственная эвристика lm11"}},
        {3,
         {"Мост, Сопротивление", "Количество 11", "Среднее 40,5 кОм·см", "Медиана 42,0 кОм·см",
          "Стандартное отклонение 16,5 кОм·см", "Минимум 21,0 кОм·см", "Максимум 63,0 кОм·см",
          "низкий 3 (27,3 %)", "умеренный 8 (72,7 %)",
          "RILEM TC 154-EMC (Polder и др., 2000): пренебрежимый > 100 кОм·см; низкий 50 … 100 кОм·см; "
          "умеренный 10 … 50 кОм·см; высокий ≤ 10 кОм·см",
          "Метод Веннера, бетон на портландцементе при 20 °C"}},
        {4,
         {"Мост, Сопротивление, 17.05.2014: распределение и места вскрытия", "Гистограмма",
          "Кумулятивная частота", "Нет точек в худшем классе"}},
        {5,
         {"Стена, Потенциал", "Количество 4", "Среднее -397,0 мВ", "коррозия вероятна (90 %) 4 (100,0 %)"}},
        {6, {"Места вскрытия (худший класс)", "Схема сетки"}},
    };
    for (const auto& e : expected)
        for (const QString& t : e.texts)
            EXPECT_TRUE(pages[e.page].contains(t))
                << "page " << e.page + 1 << " lacks " << t.toStdString() << "\n"
                << pages[e.page].toStdString();
    // Not over every position: the unpaired one would make each share a twelfth.
    EXPECT_FALSE(pages[2].contains("8,3 %")) << pages[2].toStdString();
}

TEST_F(AnalysisWindow, ReportInEnglishFollowsTheEngineersThresholds)
{
    lang = 1;
    const auto form = Open(BridgeTable(1));
    ClickObject(form.get(), 0); // potentials -110 … -340 mV
    auto* lower = Child<QSpinBox>(form.get(), "SpinEdit3");
    lower->setFocus();
    lower->selectAll();
    QTest::keyClicks(lower, "-300");
    QTest::keyClick(lower, Qt::Key_Return);
    const QString path = dir_.filePath("english.pdf");
    ASSERT_TRUE(form->writeReportPdf(path));
    const QStringList pages = PdfPages(path);
    ASSERT_EQ(pages.size(), 7);
    const struct {
        int page;
        QStringList texts;
    } expected[] = {
        {0,
         {"Class thresholds: -200 / -300 mV", "Thresholds: set by the engineer",
          "ASTM C876-15, Cu/CuSO4 electrode: corrosion unlikely (90 %) > -200 mV; uncertain -200 … -350 mV; "
          "corrosion likely (90 %) < -350 mV",
          "Statistical evaluation: RILEM TC 154-EMC (Elsener et al., 2003)",
          // Classed by the thresholds in force, not by the electrode's -200 / -350.
          "corrosion likely (90 %) 4 (33,3 %)", "uncertain 4 (33,3 %)", "Percentiles: linear interpolation",
          "No survey record was filled in"}},
        {1,
         {"distribution and break-out positions", "Histogram", "Cumulative frequency", "Grid sketch",
          "series 1", "series 3", "point 1", "point 4", "Break-out positions (worst class)"}},
        {2,
         {"Shares over 11 positions with both readings", "Unpaired: 1 potential only, 0 resistivity only",
          "The combined risk matrix is lm11's own heuristic", "Series alignment: by series number"}},
        {3, {"RILEM TC 154-EMC (Polder et al., 2000)", "Wenner probe, OPC concrete at 20 °C"}},
    };
    for (const auto& e : expected)
        for (const QString& t : e.texts)
            EXPECT_TRUE(pages[e.page].contains(t))
                << "page " << e.page + 1 << " lacks " << t.toStdString() << "\n"
                << pages[e.page].toStdString();
}

TEST_F(AnalysisWindow, ReportPreviewShowsEveryPage)
{
    const auto form = Open(BridgeTable());
    ModalAnswers answers;
    QString title;
    int pages = -1;
    answers.expect([&](QWidget* w) {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(w);
        if (!dialog) return false;
        title = dialog->windowTitle();
        if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) pages = preview->pageCount();
        dialog->reject();
        return true;
    });
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button3"), Qt::LeftButton);
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_EQ(title, "Анализатор корозий — Отчёт об обследовании");
    EXPECT_EQ(pages, 7);
}

TEST_F(AnalysisWindow, ReportOfATableWithoutReadings)
{
    // No value is a number: no object to show, yet the report is one honest page.
    std::vector<FixtureRow> rows(2);
    rows[0].value = "NAN";
    rows[1].value = "";
    const ArchiveTable table = FixtureTable(rows);
    const auto form = Open(table);
    EXPECT_EQ(form->currentObject(), -1);
    EXPECT_FALSE(Child<QPushButton>(form.get(), "Button2")->isEnabled());
    const QString path = dir_.filePath("empty.pdf");
    ASSERT_TRUE(form->writeReportPdf(path));
    const QStringList pages = PdfPages(path);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains("В таблице нет числовых измерений"));
    EXPECT_TRUE(pages[0].contains("Страница 1 из 1"));
}

TEST_F(AnalysisWindow, ThresholdsTypedDraggedAndReset)
{
    const auto form = Open(BridgeTable());
    ClickObject(form.get(), 0); // potentials -110 … -340 mV
    auto* upper = Child<QSpinBox>(form.get(), "SpinEdit2");
    auto* lower = Child<QSpinBox>(form.get(), "SpinEdit3");
    auto* source = Child<QLabel>(form.get(), "Label7");
    EXPECT_EQ(upper->value(), -200);
    EXPECT_EQ(lower->value(), -350);
    EXPECT_EQ(source->text(), "Источник порогов: ASTM C876, Cu/CuSO4");
    EXPECT_FALSE(Child<QPushButton>(form.get(), "Button5")->isEnabled());

    // Typed: the classes, the legend and the source follow.
    lower->setFocus();
    lower->selectAll();
    QTest::keyClicks(lower, "-300");
    QTest::keyClick(lower, Qt::Key_Return); // Enter takes the value and presses no button
    EXPECT_EQ(Statistics(form.get())["коррозия вероятна (90 %)"], "4 (33,3 %)");
    EXPECT_TRUE(Legend(form.get()).contains("коррозия вероятна (90 %): < -300 мВ"));
    EXPECT_EQ(source->text(), "Источник порогов: задано инженером");

    // Dragged on the cumulative plot: the upper threshold taken from -200 to about -125 mV.
    auto* chart = Child<TChartView>(form.get(), "Chart2");
    const double x200 = chart->thresholdX(0), x300 = chart->thresholdX(1);
    ASSERT_GT(x200, x300);
    const int y = chart->height() / 2;
    const QPoint from(int(std::lround(x200)), y), to(int(std::lround(x200 + (x200 - x300) * 0.75)), y);
    QTest::mousePress(chart, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), chart->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    QTest::mouseRelease(chart, Qt::LeftButton, {}, to);
    EXPECT_NEAR(upper->value(), -125, 3);
    EXPECT_EQ(lower->value(), -300);
    EXPECT_EQ(Statistics(form.get())["коррозия маловероятна (90 %)"], "2 (16,7 %)"); // -120 and -110
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button2"), Qt::LeftButton);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(
        QStringLiteral("Пороги классов\t%1 / -300 мВ (задано инженером)").arg(upper->value())));

    // Back to the standard's values for the electrode.
    QTest::mouseClick(Child<QPushButton>(form.get(), "Button5"), Qt::LeftButton);
    EXPECT_EQ(upper->value(), -200);
    EXPECT_EQ(lower->value(), -350);
    EXPECT_EQ(source->text(), "Источник порогов: ASTM C876, Cu/CuSO4");
    Choose(form.get(), "ComboBox1", 2);
    EXPECT_EQ(upper->value(), -120);
    EXPECT_EQ(source->text(), "Источник порогов: ASTM C876, Ag/AgCl, 1 M KCl");
}

TEST_F(AnalysisWindow, SeriesAlignmentShownAndSwitched)
{
    // Potentials in series 1..3, resistivities numbered on after them in series 4..6.
    std::vector<FixtureRow> rows =
        LatestFirst("Мост", 0, 3, 4, [](int s, int p) { return QString::number(-100 * s - 10 * p); });
    for (FixtureRow r :
         LatestFirst("Мост", 1, 3, 4, [](int s, int p) { return QString::number(5 * s + p); })) {
        r.series += 3;
        r.time = QStringLiteral("10:00:00");
        rows.push_back(r);
    }
    const auto form = Open(FixtureTable(rows));
    ClickObject(form.get(), 0);
    auto* alignment = Child<QComboBox>(form.get(), "ComboBox4");
    auto* pairing = Child<QLabel>(form.get(), "Label8");
    EXPECT_EQ(alignment->currentText(), "по порядку серий");
    EXPECT_EQ(pairing->text(), "Доли по 12 точкам с обоими измерениями\n"
                               "Без пары: 0 только потенциал, 0 только сопротивление\n"
                               "Матрица совмещённого риска — собственная эвристика lm11, а не стандарт");

    Choose(form.get(), "ComboBox4", 0);
    EXPECT_TRUE(pairing->text().startsWith("Доли по 0 точкам с обоими измерениями\n"
                                           "Без пары: 12 только потенциал, 12 только сопротивление"));

    // Another object resets to its own pair's alignment; an object without a pair disables it.
    ClickObject(form.get(), 1);
    EXPECT_EQ(alignment->currentIndex(), 1);
}

} // namespace
