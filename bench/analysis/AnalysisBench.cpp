// Speed of the survey analysis: the map and iso-lines of the largest object the instrument can
// hold (1760 points), and the whole report of the largest archive written to a PDF.
#include "analysis/MapPainter.h"
#include "analysis/SurveyFigures.h"
#include "analysis/SurveyReport.h"
#include "archive/ArchiveTable.h"
#include "texts/Texts.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

// A potential field with two anodic spots and a ripple, as a real deck shows.
double Field(int series, int point, int sensor)
{
    const double spot =
        330 * std::exp(-((point - 12.0) * (point - 12.0) + (series - 9.0) * (series - 9.0)) / 30.0) +
        250 * std::exp(-((point - 30.0) * (point - 30.0) + (series - 28.0) * (series - 28.0)) / 50.0);
    const double mv = -140 - spot + 15 * std::sin(point * 0.9) * std::cos(series * 0.7);
    return sensor == 0 ? mv : std::max(4.0, 150 * std::exp((mv + 140) / 160));
}

// Appends one object's run, latest measurement first.
void AddRun(ArchiveTable& table, int& row, const QString& name, int sensor, int series, int points, int step)
{
    for (int s = series; s >= 1; --s)
        for (int p = points; p >= 1; --p, ++row) {
            const double v = Field(s, p, sensor);
            const QStringList cells = {QString::number(row),
                                       name,
                                       ExchangeText::SensorNames[std::size_t(sensor)][0],
                                       sensor == 0 ? " -999  -  999" : " 0  -  999",
                                       sensor == 0 ? QString::number(int(v)) : QString::number(v, 'f', 1),
                                       QStringLiteral("%1   |   %2").arg(s).arg(p),
                                       QString::number(points),
                                       QString::number(step),
                                       QString::number(step),
                                       QStringLiteral("02.03.2015"),
                                       QStringLiteral("08:%1:00").arg(p % 60, 2, 10, QLatin1Char('0')),
                                       QStringLiteral("Авто")};
            for (int c = 0; c < kArchiveColumns; ++c) table.setCell(c, row, cells[c]);
        }
}

ArchiveTable OneObject()
{
    ArchiveTable table(kArchiveColumns, 1761);
    int row = 1;
    AddRun(table, row, "Мост", 0, 40, 44, 20); // 1760 points
    return table;
}

// 1760 records: 20 objects, each with two series of 22 points per sensor on one grid.
ArchiveTable LargestArchive()
{
    ArchiveTable table(kArchiveColumns, 1761);
    int row = 1;
    for (int k = 1; k <= 20; ++k) {
        AddRun(table, row, QStringLiteral("Объект %1").arg(k), 1, 2, 22, 10);
        AddRun(table, row, QStringLiteral("Объект %1").arg(k), 0, 2, 22, 10);
    }
    return table;
}

void BM_MapAndContours1760(benchmark::State& state)
{
    const ArchiveTable table = OneObject();
    const auto objects = GroupSurveys(table);
    MapOptions options;
    options.interval = 50;
    QImage image(900, 650, QImage::Format_RGB32);
    std::size_t lines = 0;
    for (auto _ : state) {
        const SurveyMap map(objects.at(0), nullptr, options);
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::white);
        map.paint(p, QRectF(image.rect()));
        lines = map.content().isoLines.size();
    }
    state.counters["points"] = double(objects.at(0).points.size());
    state.counters["iso_lines"] = double(lines);
}
BENCHMARK(BM_MapAndContours1760)->Unit(benchmark::kMillisecond);

// What the window does when it opens on the largest object, its rows listed oldest first: group
// the table into surveys, compute the statistics with percentiles and classes, and draw the map.
void BM_GroupStatisticsMap1760(benchmark::State& state)
{
    const ArchiveTable latestFirst = OneObject();
    ArchiveTable table(kArchiveColumns, latestFirst.rowCount());
    for (int r = 1; r < table.rowCount(); ++r)
        for (int c = 0; c < kArchiveColumns; ++c)
            table.setCell(c, r, latestFirst.cell(c, table.rowCount() - r));
    MapOptions options;
    options.interval = 50;
    QImage image(900, 650, QImage::Format_RGB32);
    std::size_t surveys = 0;
    for (auto _ : state) {
        const auto objects = GroupSurveys(table);
        surveys = objects.size();
        const auto rows = StatisticsRows(objects.at(0), Electrode::CuCuSO4, 0);
        benchmark::DoNotOptimize(rows.data());
        const SurveyMap map(objects.at(0), nullptr, options);
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::white);
        map.paint(p, QRectF(image.rect()));
    }
    state.counters["surveys"] = double(surveys);
}
BENCHMARK(BM_GroupStatisticsMap1760)->Unit(benchmark::kMillisecond);

// Grouping and statistics of every survey of the largest archive (40 surveys of 44 readings).
void BM_GroupAndStatisticsLargestArchive(benchmark::State& state)
{
    const ArchiveTable table = LargestArchive();
    for (auto _ : state) {
        const auto objects = GroupSurveys(table);
        for (const SurveyObject& o : objects) {
            const ObjectFigures f = FiguresOf(o, Electrode::CuCuSO4, 0);
            benchmark::DoNotOptimize(f.summary.percentiles.data());
        }
    }
}
BENCHMARK(BM_GroupAndStatisticsLargestArchive)->Unit(benchmark::kMillisecond);

void BM_ContoursOnly1760(benchmark::State& state)
{
    const ArchiveTable table = OneObject();
    const auto objects = GroupSurveys(table);
    for (auto _ : state) {
        std::size_t n = 0;
        for (double level = -450; level <= -150; level += 50)
            n += ContourLines(objects.at(0).grid, level).size();
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ContoursOnly1760)->Unit(benchmark::kMillisecond);

void BM_ReportLargestArchivePdf(benchmark::State& state)
{
    const ArchiveTable table = LargestArchive();
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        // Reading the objects is part of what the user waits for.
        const auto objects = GroupSurveys(table);
        QPdfWriter writer(dir.filePath(QStringLiteral("report.pdf")));
        writer.setResolution(300);
        SetUpSurveyReportPage(writer);
        ReportOptions options;
        options.map.interval = 50;
        options.printedAt = QDateTime(QDate(2015, 3, 2), QTime(12, 0));
        pages = PaintSurveyReport(writer, table, objects, options);
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_ReportLargestArchivePdf)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
