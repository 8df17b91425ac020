// The analysis window's unit, orientation, iso-line interval, survey record and CSV controls,
// driven through the controls.
#include "analysis/Unit7.h"

#include "SurveyFixture.h"
#include "analysis/SurveyCsv.h"
#include "app/SharedState.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

ArchiveTable TwoSurveys()
{
    std::vector<FixtureRow> rows;
    for (const QString& name : {QStringLiteral("Мост"), QStringLiteral("Стена")})
        for (int s = 1; s <= 3; ++s)
            for (int p = 1; p <= 4; ++p) {
                FixtureRow r;
                r.name = name;
                r.series = s;
                r.point = p;
                r.length = 4;
                r.value = QString::number(-120 - 30 * s - 20 * p);
                r.time = QStringLiteral("%1:%2:00")
                             .arg(name == QStringLiteral("Мост") ? 9 : 11)
                             .arg(10 + 4 * s + p);
                rows.push_back(r);
            }
    return FixtureTable(rows);
}

template <typename W> W* Find(QWidget& form, const char* name)
{
    W* w = form.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class GeometryWindow : public ::testing::Test {
protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    void TearDown() override { QStandardPaths::setTestModeEnabled(false); }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(GeometryWindow, UnitOrientationAndAutomaticIntervalFollowTheControls)
{
    const ArchiveTable table = TwoSurveys();
    TForm7 form(table, {}, 0);
    form.show();
    auto* unit = Find<QComboBox>(form, "ComboBox5");
    auto* mirrorX = Find<QCheckBox>(form, "CheckBox1");
    auto* turn = Find<QCheckBox>(form, "CheckBox3");
    auto* automatic = Find<QCheckBox>(form, "CheckBox4");
    auto* interval = Find<QSpinBox>(form, "SpinEdit1");
    ASSERT_TRUE(unit && mirrorX && turn && automatic && interval);
    EXPECT_EQ(form.mapOptions().length, LengthUnit::Centimetre);

    unit->setCurrentIndex(int(LengthUnit::Metre));
    mirrorX->click();
    turn->toggle(); // as an assistive tool toggles it
    automatic->toggle();
    const MapOptions o = form.mapOptions();
    EXPECT_EQ(o.length, LengthUnit::Metre);
    EXPECT_EQ(o.orientation, (Orientation{true, false, true}));
    EXPECT_TRUE(o.autoInterval);
    EXPECT_FALSE(interval->isEnabled());

    // The last choice carries over to the next survey, which has no record of its own.
    auto* list = Find<QListWidget>(form, "ListBox1");
    list->setCurrentRow(1);
    EXPECT_EQ(form.mapOptions().orientation, (Orientation{true, false, true}));
    EXPECT_EQ(unit->currentText(), QStringLiteral("м"));
}

TEST_F(GeometryWindow, RecordIsKeptBesideTheProjectWithItsUnitAndOrientation)
{
    const ArchiveTable table = TwoSurveys();
    const QString project = dir_.filePath(QStringLiteral("bridge.ar"));
    {
        TForm7 form(table, {}, 0);
        form.setProjectPath(project);
        EXPECT_TRUE(form.recordProblem().isEmpty());
        Find<QComboBox>(form, "ComboBox5")->setCurrentIndex(int(LengthUnit::Millimetre));
        Find<QCheckBox>(form, "CheckBox2")->toggle();

        // Fill the record through its dialog.
        bool typed = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* structure = dialog->findChild<QLineEdit*>(QStringLiteral("structure"));
            auto* cover = dialog->findChild<QLineEdit*>(QStringLiteral("coverDepth"));
            ASSERT_TRUE(structure && cover);
            QTest::keyClicks(structure, QStringLiteral("Viaduct km 12"));
            QTest::keyClicks(cover, QStringLiteral("35 mm"));
            typed = true;
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QTest::mouseClick(Find<QPushButton>(form, "Button6"), Qt::LeftButton);
        EXPECT_TRUE(typed);
        ASSERT_TRUE(QFile::exists(project + QStringLiteral(".survey.json")));
        EXPECT_FALSE(QFile::exists(project)); // the project file itself is never written
    }
    // Reopened, the survey shows its record, unit and orientation; the other survey does not
    // take them over.
    TForm7 again(table, {}, 0);
    again.setProjectPath(project);
    const SurveyRecord r = again.currentRecord();
    EXPECT_EQ(r.structure, QStringLiteral("Viaduct km 12"));
    EXPECT_EQ(r.coverDepth, QStringLiteral("35 mm"));
    EXPECT_EQ(again.mapOptions().length, LengthUnit::Millimetre);
    EXPECT_EQ(again.mapOptions().orientation, (Orientation{false, true, false}));
    Find<QListWidget>(again, "ListBox1")->setCurrentRow(1);
    EXPECT_TRUE(again.currentRecord().empty());
}

TEST_F(GeometryWindow, DamagedRecordFileIsReportedAndTheSurveysStillOpen)
{
    const QString project = dir_.filePath(QStringLiteral("bridge.ar"));
    QFile damaged(project + QStringLiteral(".survey.json"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"version\":1,\"surveys\":{\"x\":");
    damaged.close();
    const ArchiveTable table = TwoSurveys();
    TForm7 form(table, {}, 0);
    form.setProjectPath(project);
    EXPECT_TRUE(form.recordProblem().contains(QStringLiteral("повреждён")))
        << form.recordProblem().toStdString();
    EXPECT_FALSE(Find<QLabel>(form, "Label12")->isHidden());
    EXPECT_EQ(form.objects().size(), 2u);
    EXPECT_GE(form.currentObject(), 0);
}

TEST_F(GeometryWindow, CsvHasTheGridInTheChosenUnit)
{
    const ArchiveTable table = TwoSurveys();
    TForm7 form(table, {}, 0);
    Find<QComboBox>(form, "ComboBox5")->setCurrentIndex(int(LengthUnit::Metre));
    const QString path = dir_.filePath(QStringLiteral("grid.csv"));
    ASSERT_TRUE(form.writeCsv(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], QStringLiteral("x (м),y (м),значение (мВ),класс,строка"));
    // Point 4 of series 3: 3 steps of 20 cm, 2 steps of 30 cm; -120 - 90 - 80 = -290 mV.
    bool found = false;
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("0.6,0.6,-290,"))) found = line.endsWith(QStringLiteral(",12"));
    EXPECT_TRUE(found);
    // A file that cannot be written is refused and leaves nothing behind.
    const QString nowhere = dir_.filePath(QStringLiteral("missing/folder/grid.csv"));
    EXPECT_FALSE(form.writeCsv(nowhere));
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST_F(GeometryWindow, ACsvCutShortLeavesTheOldFileAsItWas)
{
    // A survey big enough that its CSV goes to the disk in one write, which a full disk (here a
    // file size limit, which holds for root too) takes only in part without an error.
    const ArchiveTable table = FixtureTable(LatestFirst(QStringLiteral("Мост"), 0, 40, 44, [](int s, int p) {
        return QString::number(-100 - 3 * s - 2 * p);
    }));
    TForm7 form(table, {}, 0);
    const QString path = dir_.filePath(QStringLiteral("grid.csv"));
    const QByteArray old = "the grid as it was";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    {
        const FileSizeLimit full(4096);
        EXPECT_FALSE(form.writeCsv(path));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    file.close();
    ASSERT_TRUE(form.writeCsv(path));
    EXPECT_GT(QFileInfo(path).size(), 32 * 1024);
}

namespace {

QStringList PdfPages(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-layout", "-enc", "UTF-8", path, "-"});
    EXPECT_TRUE(pdftotext.waitForFinished(60000)) << "pdftotext (poppler-utils) must be installed";
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
}

} // namespace

TEST_F(GeometryWindow, ReportPrintsTheRecordUnitAndOrientationOrSaysThereIsNoRecord)
{
    const ArchiveTable table = TwoSurveys();
    TForm7 form(table, {}, 0);
    form.setProjectPath(dir_.filePath(QStringLiteral("bridge.ar")));
    const QString empty = dir_.filePath(QStringLiteral("empty.pdf"));
    ASSERT_TRUE(form.writeReportPdf(empty));
    const QStringList before = PdfPages(empty);
    ASSERT_GE(before.size(), 2);
    EXPECT_TRUE(before[0].contains(QStringLiteral("Паспорт обследования не заполнен")))
        << before[0].toStdString();

    SurveyRecord record;
    record.structure = QStringLiteral("Viaduct km 12");
    record.electrodeCheck = QStringLiteral("+4 mV against the lab electrode");
    record.unit = LengthUnit::Metre;
    record.orientation = {false, true, false};
    ASSERT_TRUE(form.setCurrentRecord(record));
    const QString filled = dir_.filePath(QStringLiteral("filled.pdf"));
    ASSERT_TRUE(form.writeReportPdf(filled));
    const QString first = PdfPages(filled)[0].simplified();
    EXPECT_FALSE(first.contains(QStringLiteral("не заполнен")));
    EXPECT_TRUE(first.contains(QStringLiteral("Сооружение: Viaduct km 12"))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("+4 mV against the lab electrode")));
    EXPECT_TRUE(first.contains(QStringLiteral("Ориентация: ось Y отражена")));
    EXPECT_TRUE(first.contains(QStringLiteral("Шаги X/Y в м")));
    EXPECT_TRUE(first.contains(QStringLiteral("Y, м")));
}

TEST_F(GeometryWindow, CommonScaleSpansEverySurveyOfTheSensor)
{
    // The bridge reads -140 … -110 mV, the wall -440 … -410 mV.
    std::vector<FixtureRow> rows;
    for (int p = 1; p <= 4; ++p) {
        FixtureRow bridge;
        bridge.point = p;
        bridge.length = 4;
        bridge.value = QString::number(-100 - 10 * p); // -140 … -110
        bridge.time = QStringLiteral("09:00:%1").arg(10 + p);
        FixtureRow wall = bridge;
        wall.name = QStringLiteral("Стена");
        wall.value = QString::number(-400 - 10 * p); // -440 … -410
        wall.time = QStringLiteral("10:00:%1").arg(10 + p);
        rows.push_back(bridge);
        rows.push_back(wall);
    }
    const ArchiveTable table = FixtureTable(rows);
    TForm7 form(table, {}, 0);
    Find<QComboBox>(form, "ComboBox2")->setCurrentIndex(int(FillMode::Continuous));
    auto* list = Find<QListWidget>(form, "ListBox1");
    auto scaleText = [&] {
        const SurveyMap map(form.objects()[std::size_t(form.currentObject())], nullptr, form.mapOptions());
        for (const LegendEntry& e : map.legend())
            if (e.kind == LegendEntry::Kind::Scale) return e.text;
        return QString();
    };
    list->setCurrentRow(0);
    const QString own = scaleText();
    EXPECT_FALSE(own.contains(QStringLiteral("440"))) << own.toStdString();
    Find<QCheckBox>(form, "CheckBox5")->toggle();
    const QString common = scaleText();
    EXPECT_TRUE(common.contains(QStringLiteral("440")) && common.contains(QStringLiteral("110")))
        << common.toStdString();
    list->setCurrentRow(1);
    EXPECT_EQ(scaleText(), common);
}
