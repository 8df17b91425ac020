// Speed and memory of the archive table: the fill of the largest archive, sorts of large
// tables (an opened project can hold far more rows than the instrument), and the memory a
// 100,000-row table takes.
#include "app/SharedState.h"
#include "archive/ArchiveTable.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <vector>

namespace {

std::vector<ArchiveRecord> Records(int n)
{
    QRandomGenerator random(1760);
    std::vector<ArchiveRecord> records(static_cast<std::size_t>(n));
    for (auto& r : records) {
        r.second = uint8_t(random.bounded(60));
        r.minute = uint8_t(random.bounded(60));
        r.hour = uint8_t(random.bounded(24));
        r.day = uint8_t(1 + random.bounded(28));
        r.month = uint8_t(1 + random.bounded(12));
        r.yearSince2000 = uint8_t(10 + random.bounded(15));
        r.pointNumber = uint8_t(random.bounded(100));
        r.seriesNumber = uint8_t(random.bounded(50));
        r.sensorType = uint8_t(random.bounded(2));
        r.rangeLow = int16_t(r.sensorType == 0 ? -500 : 0);
        r.rangeHigh = int16_t(r.sensorType == 0 ? 500 : 1000);
        r.objectIndex = uint8_t(random.bounded(20));
        r.mode = uint8_t(random.bounded(2));
        r.stepX = uint8_t(random.bounded(50));
        r.stepY = uint8_t(random.bounded(50));
        r.value = r.sensorType == 0 ? random.bounded(1000.0) - 500 : random.bounded(1000.0);
        r.seriesLength = uint16_t(1 + random.bounded(100));
    }
    return records;
}

ArchiveTable Table(int rows)
{
    ArchiveTable t;
    t.fillFromRecords(Records(rows), 0);
    return t;
}

void BM_FillLargestArchive(benchmark::State& state)
{
    const auto records = Records(1760);
    ArchiveTable t;
    for (auto _ : state) {
        t.fillFromRecords(records, 0);
        benchmark::DoNotOptimize(t.cell(11, 1760));
    }
}
BENCHMARK(BM_FillLargestArchive)->Unit(benchmark::kMillisecond);

// Each pass sorts a fresh copy of the table in archive (random) order.
void SortBench(benchmark::State& state, int column)
{
    const ArchiveTable original = Table(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        ArchiveTable t = original;
        state.ResumeTiming();
        const auto error = t.sortByColumn(column, +1);
        if (error) state.SkipWithError("sort refused");
        benchmark::DoNotOptimize(t.cell(column, 1));
        state.PauseTiming();
        t = ArchiveTable(0, 0); // the copy's release is not part of the sort
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

void BM_SortIntegerColumn(benchmark::State& state) { SortBench(state, 5); }
void BM_SortTextColumn(benchmark::State& state) { SortBench(state, 9); }
BENCHMARK(BM_SortIntegerColumn)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_SortTextColumn)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Bytes handed out by malloc: small blocks from the heap plus large blocks mapped apart.
std::size_t HeapBytes()
{
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Memory taken by a 100,000 x 12 table of archive texts, reported as counters (the time of
// this benchmark means nothing): heap bytes in use, malloc's own overhead included, and the
// growth of the resident set. The latter only shows when this benchmark runs alone, since
// memory freed by earlier ones stays with the process.
void BM_MemoryOf100000Rows(benchmark::State& state)
{
    const auto records = Records(100000);
    for (auto _ : state) {
        malloc_trim(0);
        const long rssBefore = ResidentKiB();
        const auto heapBefore = HeapBytes();
        ArchiveTable t;
        t.fillFromRecords(records, 0);
        state.counters["heap_MiB"] = double(HeapBytes() - heapBefore) / (1024.0 * 1024.0);
        state.counters["rss_MiB"] = double(ResidentKiB() - rssBefore) / 1024.0;
        benchmark::DoNotOptimize(t.cell(11, 100000));
    }
}
BENCHMARK(BM_MemoryOf100000Rows)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The user's locale decides date texts and collation; measure under a Russian one.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
