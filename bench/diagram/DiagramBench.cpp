// The corrosion diagram's costs: building the surfaces from the table, and one frame of the
// chart drawn in software at the window's start size, for the instrument's largest archive
// and for 100,000-row projects. "coarse" frames are those drawn while the view is dragged.
#include "diagram/ChartPainter.h"
#include "diagram/Surfaces.h"
#include "texts/Texts.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdlib>

namespace {

// The chart's start size at 120 dpi: 1103 wide, the window's height less toolbar and status bar.
const QSize kChartSize(1103, 950);

// `objects` objects of `series` series of `length` points, each listed from its latest
// measurement back, as the instrument leaves them.
ArchiveTable SurveyTable(int objects, int series, int length)
{
    const int rows = objects * series * length;
    ArchiveTable t(kArchiveColumns, rows + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    int r = 1;
    for (int o = 0; o < objects; ++o)
        for (int s = series; s >= 1; --s)
            for (int p = length; p >= 1; --p, ++r) {
                const bool resistance = o % 3 == 2;
                t.setCell(0, r, QString::number(r));
                t.setCell(1, r, QStringLiteral("Объект %1").arg(o + 1));
                t.setCell(2, r, DiagramText::SensorNames[resistance ? 1 : 0][0]);
                const double wave = std::sin(p * 0.3 + o) * std::cos(s * 0.2);
                t.setCell(4, r,
                          resistance ? QString::number(100 + 40 * o + 30 * wave, 'f', 1).replace('.', ',')
                                     : QString::number(std::lround(-100 - 30 * o - 80 * wave)));
                t.setCell(5, r, QStringLiteral("%1   |   %2").arg(s).arg(p));
                t.setCell(6, r, QString::number(length));
            }
    return t;
}

// The shape of the project benchmark's 100,000-row table: the object changes on every row,
// so every row is a surface of its own.
ArchiveTable ProjectBenchTable()
{
    constexpr int kRows = 100000;
    ArchiveTable t(kArchiveColumns, kRows + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= kRows; ++r) {
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, QStringLiteral("Объект %1").arg(r % 20 + 1));
        t.setCell(2, r, QStringLiteral("Потенциала, мВ    "));
        t.setCell(4, r, QString::number(-(r % 900)));
        t.setCell(5, r, QStringLiteral("%1   |   %2").arg(r / 50).arg(r % 50));
        t.setCell(6, r, QStringLiteral("50"));
    }
    return t;
}

const ArchiveTable& Table(int which)
{
    if (which == 0) {
        static const ArchiveTable largest = SurveyTable(20, 4, 22); // 1760 points
        return largest;
    }
    if (which == 1) {
        static const ArchiveTable survey = SurveyTable(20, 100, 50); // 100,000 rows, 20 objects
        return survey;
    }
    static const ArchiveTable scattered = ProjectBenchTable(); // 100,000 single rows
    return scattered;
}

const char* kNames[] = {"largest archive 1760", "100k rows 20 objects", "100k rows one per surface"};

void BM_BuildSurfaces(benchmark::State& state)
{
    const ArchiveTable& table = Table(int(state.range(0)));
    state.SetLabel(kNames[state.range(0)]);
    std::size_t surfaces = 0;
    for (auto _ : state) {
        const SurfacesResult result = buildSurfaces(table, 0);
        if (result.error) state.SkipWithError("a cell did not convert");
        surfaces = result.surfaces.size();
        benchmark::DoNotOptimize(surfaces);
    }
    state.counters["surfaces"] = double(surfaces);
}
BENCHMARK(BM_BuildSurfaces)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// range(0): table, range(1): 1 for the full grid, 0 for the grid drawn while dragging.
void BM_Frame(benchmark::State& state)
{
    const SurfacesResult built = buildSurfaces(Table(int(state.range(0))), 0);
    const bool full = state.range(1) != 0;
    state.SetLabel(
        QStringLiteral("%1, %2").arg(kNames[state.range(0)], full ? "full" : "coarse").toStdString());
    const int step = full ? 1 : ChartPainter::coarseStep(built.surfaces, 20000);
    const ChartTitles titles{DiagramText::AxisLeft[0], DiagramText::AxisRight[0], DiagramText::AxisBottom[0],
                             DiagramText::AxisDepth[0]};
    QImage image(kChartSize, QImage::Format_RGB32);
    ChartView view;
    for (auto _ : state) {
        // A little turn per frame, as while the user rotates the view.
        view.rotation = std::fmod(view.rotation + 0.5, 360);
        QPainter p(&image);
        ChartPainter::paint(p, image.rect(), built.surfaces, view, titles, step);
    }
    state.counters["grid_step"] = step;
}
BENCHMARK(BM_Frame)->Args({0, 1})->Args({1, 1})->Args({1, 0})->Args({2, 1})->Args({2, 0})->Unit(
    benchmark::kMillisecond);

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
