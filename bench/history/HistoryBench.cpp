// Keeping a read in the read history happens on the window thread right after the table is
// filled: the time of one keep of a full instrument archive (1760 records) into a history
// that already holds its 200 reads, and of listing that history the first time and again.
#include "texts/Texts.h"
#include "ui/ReadHistory.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

constexpr int kRecords = 1760;

ArchiveTable FullArchive()
{
    ArchiveTable t(kArchiveColumns, kRecords + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= kRecords; ++r) {
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
        t.setCell(10, r, QStringLiteral("10:00:00"));
        t.setCell(11, r, QStringLiteral("Ручной"));
    }
    return t;
}

const QDateTime kStart(QDate(2026, 1, 1), QTime(8, 0));

void BM_KeepRead(benchmark::State& state)
{
    QTemporaryDir dir;
    ReadHistory history(dir.filePath(QStringLiteral("reads")));
    const ArchiveTable table = FullArchive();
    int n = 0;
    for (; n < 200; ++n) history.keep(table, kStart.addSecs(n));
    for (auto _ : state)
        if (!history.keep(table, kStart.addSecs(n++))) state.SkipWithError("keep failed");
}
BENCHMARK(BM_KeepRead)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ListHistory(benchmark::State& state)
{
    QTemporaryDir dir;
    ReadHistory writer(dir.filePath(QStringLiteral("reads")));
    const ArchiveTable table = FullArchive();
    for (int n = 0; n < 200; ++n) writer.keep(table, kStart.addSecs(n));
    const bool again = state.range(0) != 0;
    ReadHistory reader(writer.folder());
    if (again) reader.entries();
    for (auto _ : state) {
        if (!again) reader = ReadHistory(writer.folder());
        benchmark::DoNotOptimize(reader.entries());
    }
}
BENCHMARK(BM_ListHistory)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"listed_before"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
