// The survey record file beside the project, and the CSV table of a survey.
#include "analysis/SurveyRecord.h"
#include "SurveyFixture.h"
#include "analysis/SurveyCsv.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

SurveyRecord FullRecord()
{
    SurveyRecord r;
    int k = 0;
    for (const RecordField& f : RecordFields()) {
        ++k;
        r.*f.member = QStringLiteral("«%1» \"%2\"\n№%2").arg(QLatin1String(f.key)).arg(k);
    }
    r.unit = LengthUnit::Metre;
    r.orientation = {true, false, true};
    return r;
}

} // namespace

TEST(SurveyRecord, EveryFieldUnitAndOrientationSurviveTheFile)
{
    SurveyRecords records{{QStringLiteral("Мост|potential|2014-05-17"), FullRecord()},
                          {QStringLiteral("Bridge|resistance|-"), SurveyRecord{}}};
    records[QStringLiteral("Bridge|resistance|-")].notes = QStringLiteral("wet");
    const auto back = RecordsFromJson(RecordsToJson(records));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, records);
    EXPECT_TRUE(SurveyRecord{}.empty());
    EXPECT_FALSE(FullRecord().empty());
    SurveyRecord blank;
    blank.coverDepth = QStringLiteral("   ");
    blank.unit = LengthUnit::Millimetre;
    EXPECT_TRUE(blank.empty());
}

TEST(SurveyRecord, DamagedFilesAreReportedNotRead)
{
    const QByteArray damaged[] = {"",
                                  "{",
                                  "[1,2]",
                                  "{\"version\":2,\"surveys\":{}}",
                                  "{\"version\":1}",
                                  "{\"version\":1,\"surveys\":{\"a\":3}}"};
    for (const QByteArray& text : damaged) {
        QString why;
        EXPECT_FALSE(RecordsFromJson(text, &why).has_value()) << text.toStdString();
        EXPECT_FALSE(why.isEmpty()) << text.toStdString();
    }
}

TEST(SurveyRecord, FileBesideTheProjectOrInTheProgramDataForAnUnsavedRead)
{
    EXPECT_EQ(RecordFilePath(QStringLiteral("/data/site/bridge.ar")),
              QStringLiteral("/data/site/bridge.ar.survey.json"));
    QStandardPaths::setTestModeEnabled(true);
    const QString unsaved = RecordFilePath(QString());
    EXPECT_TRUE(unsaved.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)))
        << unsaved.toStdString();
    QStandardPaths::setTestModeEnabled(false);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = RecordFilePath(dir.filePath(QStringLiteral("bridge.ar")));
    RecordsLoad none = LoadRecords(path);
    EXPECT_TRUE(none.records.empty());
    EXPECT_TRUE(none.error.isEmpty());

    const SurveyRecords records{{QStringLiteral("k"), FullRecord()}};
    QString why;
    ASSERT_TRUE(SaveRecords(path, records, &why)) << why.toStdString();
    const RecordsLoad loaded = LoadRecords(path);
    EXPECT_TRUE(loaded.error.isEmpty());
    EXPECT_EQ(loaded.records, records);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"version\":1,\"surv");
    file.close();
    const RecordsLoad damaged = LoadRecords(path);
    EXPECT_FALSE(damaged.error.isEmpty());
    EXPECT_TRUE(damaged.records.empty());

    // A write that cannot happen (its folder is a file) says why.
    why.clear();
    EXPECT_FALSE(SaveRecords(path + QStringLiteral("/x.json"), records, &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(SurveyRecord, AFileCutShortByAFullDiskKeepsTheOldRecords)
{
    // Enough records that the file goes to the disk in one write, which a full disk (here a
    // file size limit, which holds for root too) takes only in part without an error.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = RecordFilePath(dir.filePath(QStringLiteral("bridge.ar")));
    const SurveyRecords old{{QStringLiteral("k"), FullRecord()}};
    QString why;
    ASSERT_TRUE(SaveRecords(path, old, &why)) << why.toStdString();
    SurveyRecords many;
    for (int k = 0; k < 200; ++k) many[QStringLiteral("survey %1").arg(k)] = FullRecord();
    ASSERT_GT(RecordsToJson(many).size(), 64 * 1024);
    {
        const FileSizeLimit full(8192);
        why.clear();
        EXPECT_FALSE(SaveRecords(path, many, &why));
        EXPECT_EQ(why, QString::fromLocal8Bit(std::strerror(EFBIG))); // the reason, not "Unknown error"
    }
    EXPECT_EQ(LoadRecords(path).records, old);
    ASSERT_TRUE(SaveRecords(path, many, &why)) << why.toStdString();
    EXPECT_EQ(LoadRecords(path).records, many);
}

TEST(SurveyCsv, ReadingsWithPositionInTheChosenUnitClassAndRow)
{
    // Two series of three points, 20 cm apart along X and 30 cm between series, oldest first.
    std::vector<FixtureRow> rows;
    for (int s = 1; s <= 2; ++s)
        for (int p = 1; p <= 3; ++p) {
            FixtureRow r;
            r.series = s;
            r.point = p;
            r.length = 3;
            r.value = QString::number(-100 * p - 10 * s);
            r.time = QStringLiteral("09:%1:00").arg(10 + 3 * s + p);
            rows.push_back(r);
        }
    const auto surveys = GroupSurveys(FixtureTable(rows));
    ASSERT_EQ(surveys.size(), 1u);
    const auto classOf = [](double v) {
        return v < -250 ? QStringLiteral("likely, \"red\"") : QStringLiteral("ok");
    };

    const QStringList lines =
        SurveyCsv(surveys[0], LengthUnit::Metre, {}, classOf, 1).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 8); // header, six readings, the empty rest after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("x (m),y (m),value (mV),class,row"));
    EXPECT_TRUE(lines.contains(QStringLiteral("0,0,-110,ok,1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("0.4,0.3,-320,\"likely, \"\"red\"\"\",6")));

    // Mirrored in X and shown in millimetres: point 1 of series 1 moves to the far end.
    const QString mirrored = SurveyCsv(surveys[0], LengthUnit::Millimetre, {true, false, false}, classOf, 0);
    EXPECT_TRUE(mirrored.startsWith(QStringLiteral("x (мм),y (мм),значение (мВ),класс,строка\r\n")));
    EXPECT_TRUE(mirrored.contains(QStringLiteral("\r\n400,0,-110,ok,1\r\n")));
}

TEST(SurveyCsv, KeyTellsSurveysApartAndIgnoresRowOrder)
{
    SurveyObject a;
    a.name = QStringLiteral("Мост");
    a.sensor = SensorKind::Potential;
    a.first = QDateTime(QDate(2014, 5, 17), QTime(9, 0));
    SurveyObject later = a;
    later.first = QDateTime(QDate(2014, 6, 2), QTime(9, 0));
    SurveyObject other = a;
    other.sensor = SensorKind::Resistance;
    SurveyObject sameDay = a;
    sameDay.first = QDateTime(QDate(2014, 5, 17), QTime(15, 0));
    EXPECT_NE(SurveyKey(a), SurveyKey(later));
    EXPECT_NE(SurveyKey(a), SurveyKey(other));
    EXPECT_EQ(SurveyKey(a), SurveyKey(sameDay));
}
