// Save and open of a 100,000-row project, with the memory each takes beyond the table.
// Memory is the peak resident size during the operation (the kernel's high-water mark,
// reset before each run) less the resident size before it.
#include "exchange/project/ProjectFile.h"

#include "texts/Texts.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <malloc.h>

#include <fstream>
#include <string>

namespace {

constexpr int kRows = 100000;

long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Hands freed heap back first, so that what a run allocates shows as new resident pages.
void ResetPeak()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

ArchiveTable BigTable()
{
    ArchiveTable t(kArchiveColumns, kRows + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= kRows; ++r) {
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, QStringLiteral("Объект %1").arg(r % 20 + 1));
        t.setCell(2, r, QStringLiteral("Потенциала, мВ    "));
        t.setCell(3, r, QStringLiteral(" -500  -  500"));
        t.setCell(4, r, QString::number(-(r % 900)));
        t.setCell(5, r, QStringLiteral("%1   |   %2").arg(r / 50).arg(r % 50));
        t.setCell(6, r, QStringLiteral("50"));
        t.setCell(7, r, QStringLiteral("10"));
        t.setCell(8, r, QStringLiteral("20"));
        t.setCell(9, r, QStringLiteral("12.09.2023"));
        t.setCell(10, r,
                  QStringLiteral("10:%1:%2")
                      .arg(r / 60 % 60, 2, 10, QLatin1Char('0'))
                      .arg(r % 60, 2, 10, QLatin1Char('0')));
        t.setCell(11, r, QStringLiteral("Ручной"));
    }
    return t;
}

void BM_SaveProject(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.ar");
    malloc_trim(0);
    const long before = StatusKb("VmRSS:");
    const ArchiveTable table = BigTable();
    const long tableKb = StatusKb("VmRSS:") - before;
    long extraKb = 0;
    for (auto _ : state) {
        const long start = StatusKb("VmRSS:");
        ResetPeak();
        if (saveProject(table, path) != ProjectStatus::Ok) state.SkipWithError("save failed");
        extraKb = std::max(extraKb, StatusKb("VmHWM:") - start);
    }
    state.counters["table_MiB"] = double(tableKb) / 1024;
    state.counters["extra_MiB"] = double(extraKb) / 1024;
    state.counters["extra_per_table"] = double(extraKb) / double(tableKb);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenProject(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.ar");
    saveProject(BigTable(), path);
    long peakKb = 0;
    long tableKb = 0;
    for (auto _ : state) {
        ArchiveTable table;
        ResetPeak();
        const long start = StatusKb("VmRSS:");
        if (openProject(table, path) != ProjectStatus::Ok) state.SkipWithError("open failed");
        state.PauseTiming();
        // The opened table stays resident; the peak above it is what opening cost.
        tableKb = StatusKb("VmRSS:") - start;
        peakKb = std::max(peakKb, StatusKb("VmHWM:") - start);
        table = ArchiveTable();
        state.ResumeTiming();
    }
    state.counters["table_MiB"] = double(tableKb) / 1024;
    state.counters["peak_MiB"] = double(peakKb) / 1024;
    state.counters["peak_per_table"] = double(peakKb) / double(tableKb);
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
